// The batch run: per-file outcomes, the error dialog, counters, time stamps,
// and the message loop between files.

#include "BatchTestSupport.h"

#include "job/RewriteJob.h"

#include <QDateTime>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace batchtest;
using Answer = ErrorDialogAnswerer::Answer;

namespace {

// One file of each kind a run meets, in list order.
struct RunFiles {
    QString good;    // plain MP3 without a VBR header
    QString tagged;  // plain MP3 that has one
    QString text;    // not MPEG audio
    QString missing; // not there at all
    QStringList inOrder() const { return {good, tagged, text, missing}; }
};

RunFiles makeRunFiles(const QTemporaryDir &dir)
{
    RunFiles files{dir.filePath("good.mp3"), dir.filePath("tagged.mp3"), dir.filePath("notes.txt"),
                   dir.filePath("missing.mp3")};
    writeFile(files.good, mp3Bytes());
    writeFile(files.tagged, mp3Bytes());
    brantlow::TBinEdit engine;
    brantlow::rewriteFile(engine, files.tagged.toStdString(), {});
    writeFile(files.text, "This is not an MPEG audio stream.\n");
    return files;
}

void setTimes(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class BatchRunTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_batch.settings = BatchSettings{};
        m_batch.shownWindow();
    }

    void runOverMixedFiles_data()
    {
        QTest::addColumn<bool>("addMode");
        QTest::addColumn<bool>("noErrDialog");
        QTest::addColumn<bool>("delItems");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("messages");   // of the error dialogs, in order
        QTest::addColumn<QStringList>("captions");   // of the error dialogs, in order
        QTest::addColumn<QStringList>("remaining");  // file names left in the list
        QTest::addColumn<QList<bool>>("marks");      // their check marks
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("progress");
        QTest::addColumn<bool>("goodHasHeader");
        QTest::addColumn<bool>("taggedHasHeader");

        const QStringList allFailures = {"This file includes a VBR Header.", "This file is not MPEG/Audio.",
                                         "Cannot open this File."};
        const QStringList failingNames = {"tagged.mp3", "notes.txt", "missing.mp3"};
        const QStringList all = {"good.mp3", "tagged.mp3", "notes.txt", "missing.mp3"};

        QTest::newRow("silent failures, items kept")
            << true << true << false << QList<Answer>{} << QStringList{} << QStringList{} << all
            << QList<bool>{false, true, true, true} << "Rewrite OK" << 4 << true << true;
        QTest::newRow("silent failures, done items deleted")
            << true << true << true << QList<Answer>{} << QStringList{} << QStringList{} << failingNames
            << QList<bool>{true, true, true} << "Rewrite OK" << 4 << true << true;
        QTest::newRow("dialogs, continue each")
            << true << false << true << QList<Answer>{Answer::Continue, Answer::Continue, Answer::Continue}
            << allFailures << failingNames << failingNames << QList<bool>{true, true, true} << "Rewrite OK" << 4
            << true << true;
        QTest::newRow("dialogs, cancel at the first failure")
            << true << false << false << QList<Answer>{Answer::Cancel} << allFailures.mid(0, 1)
            << failingNames.mid(0, 1) << all << QList<bool>{false, true, true, true} << "Canceled" << 2 << true
            << true;
        QTest::newRow("dialogs, continue then Esc")
            << true << false << false << QList<Answer>{Answer::Continue, Answer::Escape} << allFailures.mid(0, 2)
            << failingNames.mid(0, 2) << all << QList<bool>{false, true, true, true} << "Canceled" << 3 << true
            << true;
        QTest::newRow("remove mode")
            << false << false << true << QList<Answer>{Answer::Continue, Answer::Continue, Answer::Continue}
            << QStringList{"This file includes no VBR header.", "This file is not MPEG/Audio.",
                           "Cannot open this File."}
            << QStringList{"good.mp3", "notes.txt", "missing.mp3"}
            << QStringList{"good.mp3", "notes.txt", "missing.mp3"} << QList<bool>{true, true, true}
            << "Rewrite OK" << 4 << false << false;
    }

    void runOverMixedFiles()
    {
        QFETCH(bool, addMode);
        QFETCH(bool, noErrDialog);
        QFETCH(bool, delItems);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, remaining);
        QFETCH(QList<bool>, marks);
        QFETCH(QString, title);
        QFETCH(int, progress);
        QFETCH(bool, goodHasHeader);
        QFETCH(bool, taggedHasHeader);

        QTemporaryDir dir;
        const RunFiles files = makeRunFiles(dir);
        QVERIFY(hasXingFrame(files.tagged));
        const QByteArray textBefore = readFile(files.text);
        m_batch.settings.NoErrDialog = noErrDialog;
        m_batch.settings.DelItems = delItems;
        TMultiFileDBox &box = m_batch.window;
        if (!addMode)
            box.RadioButton2->click();
        for (const QString &path : files.inOrder())
            box.CheckListBox1->appendChecked(path);

        ErrorDialogAnswerer answerer(m_batch.errorDialog, answers);
        box.Button2->click();

        QStringList seenMessages, seenCaptions;
        for (const auto &seen : answerer.seen()) {
            seenMessages << seen.message;
            seenCaptions << seen.caption;
        }
        QCOMPARE(seenMessages, messages);
        QCOMPARE(seenCaptions, captions);
        QStringList names;
        for (const QString &path : listPaths(box))
            names << QFileInfo(path).fileName();
        QCOMPARE(names, remaining);
        QCOMPARE(listMarks(box), marks);
        QCOMPARE(box.windowTitle(), title);
        QCOMPARE(box.Label3->text(), QStringLiteral("4 Files"));
        QCOMPARE(box.ProgressBar1->maximum(), 4);
        QCOMPARE(box.ProgressBar1->value(), progress);
        QCOMPARE(hasXingFrame(files.good), goodHasHeader);
        QCOMPARE(hasXingFrame(files.tagged), taggedHasHeader);
        QCOMPARE(readFile(files.text), textBefore);
        QVERIFY(!QFileInfo::exists(files.missing));
        QVERIFY(box.Button1->isEnabled() && box.Button2->isEnabled() && box.Button3->isEnabled());
        QVERIFY(box.BinEdit.Image == nullptr || box.BinEdit.Image->Size() == 0);
    }

    void secondRunTakesWhatIsLeft()
    {
        // Cancel at the text file; then make it and the missing file good.
        QTemporaryDir dir;
        const RunFiles files = makeRunFiles(dir);
        m_batch.settings.DelItems = false;
        TMultiFileDBox &box = m_batch.window;
        box.CheckListBox1->appendChecked(files.good);
        box.CheckListBox1->appendChecked(files.text);
        box.CheckListBox1->appendChecked(files.missing);
        {
            ErrorDialogAnswerer answerer(m_batch.errorDialog, {Answer::Cancel});
            box.Button2->click();
        }
        QCOMPARE(listMarks(box), (QList<bool>{false, true, true}));
        QVERIFY(writeFile(files.text, mp3Bytes()));
        QVERIFY(writeFile(files.missing, mp3Bytes()));
        const QByteArray goodAfterFirstRun = readFile(files.good);

        ErrorDialogAnswerer answerer(m_batch.errorDialog, {});
        box.Button2->click();
        QCOMPARE(answerer.seen().size(), size_t(0));
        QCOMPARE(box.Label3->text(), QStringLiteral("2 Files"));
        QCOMPARE(listMarks(box), (QList<bool>{false, false, false}));
        QCOMPARE(readFile(files.good), goodAfterFirstRun);
        QVERIFY(hasXingFrame(files.text) && hasXingFrame(files.missing));
    }

    void countersShowListPositions_data()
    {
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<bool>("delItems");
        QTest::addColumn<QStringList>("positions"); // Label1 while each file is rewritten
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("left");

        QTest::newRow("last three of five") << QList<bool>{false, false, true, true, true} << false
                                            << QStringList{"3", "4", "5"} << "3 Files" << 5;
        QTest::newRow("deleted items move up") << QList<bool>{true, true, true} << true
                                               << QStringList{"1", "1", "1"} << "3 Files" << 0;
        QTest::newRow("nothing checked") << QList<bool>{false, false} << true << QStringList{} << "0 Files" << 2;
    }

    void countersShowListPositions()
    {
        QFETCH(QList<bool>, checked);
        QFETCH(bool, delItems);
        QFETCH(QStringList, positions);
        QFETCH(QString, count);
        QFETCH(int, left);

        QTemporaryDir dir;
        m_batch.settings.DelItems = delItems;
        TMultiFileDBox &box = m_batch.window;
        QList<QByteArray> before;
        for (int i = 0; i < checked.size(); ++i) {
            const QString path = dir.filePath(QStringLiteral("f%1.mp3").arg(i));
            QVERIFY(writeFile(path, mp3Bytes()));
            before << readFile(path);
            box.CheckListBox1->appendChecked(path);
            box.CheckListBox1->setChecked(i, checked[i]);
        }
        QStringList seen;
        RunProbe probe(box, [&] { seen << box.Label1->text(); });
        box.Button2->click();

        QCOMPARE(seen, positions);
        QCOMPARE(box.Label3->text(), count);
        QCOMPARE(box.CheckListBox1->count(), left);
        QCOMPARE(box.windowTitle(), QStringLiteral("Rewrite OK"));
        QCOMPARE(box.ProgressBar1->value(), int(positions.size()));
        for (int i = 0; i < checked.size(); ++i) {
            const QString path = dir.filePath(QStringLiteral("f%1.mp3").arg(i));
            QCOMPARE(readFile(path) == before[i], !checked[i]);
        }
    }

    void timeStamps_data()
    {
        QTest::addColumn<bool>("notUpdate");
        QTest::newRow("kept") << true;
        QTest::newRow("updated") << false;
    }

    void timeStamps()
    {
        QFETCH(bool, notUpdate);
        QTemporaryDir dir;
        const QString path = dir.filePath("old.mp3");
        QVERIFY(writeFile(path, mp3Bytes()));
        const QDateTime old = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6));
        setTimes(path, old);
        m_batch.settings.NotUpdate = notUpdate;
        m_batch.window.CheckListBox1->appendChecked(path);

        m_batch.window.Button2->click();

        QVERIFY(hasXingFrame(path));
        const QDateTime now = QFileInfo(path).lastModified();
        if (notUpdate)
            QCOMPARE(now, old);
        else
            QVERIFY(now.secsTo(QDateTime::currentDateTime()) < 3600);
    }

    void modeChangedDuringRunAppliesToTheNextFile()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath("first.mp3");
        const QString second = dir.filePath("second.mp3");
        QVERIFY(writeFile(first, mp3Bytes()));
        QVERIFY(writeFile(second, mp3Bytes()));
        brantlow::TBinEdit engine;
        QVERIFY(brantlow::rewriteFile(engine, second.toStdString(), {}).ok());
        TMultiFileDBox &box = m_batch.window;
        box.CheckListBox1->appendChecked(first);
        box.CheckListBox1->appendChecked(second);
        int files = 0;
        RunProbe probe(box, [&] {
            if (++files == 1)
                box.RadioButton2->click(); // before the first file is opened
        });
        ErrorDialogAnswerer answerer(m_batch.errorDialog, {Answer::Continue});
        box.Button2->click();
        QCOMPARE(answerer.seen().size(), size_t(1));
        QCOMPARE(answerer.seen()[0].message, QStringLiteral("This file includes no VBR header."));
        QVERIFY(!hasXingFrame(second));
    }

    void closeAndDropDuringRun()
    {
        // A close request waits for the end of the run; a file dropped (here:
        // appended) during the run is taken by the same run.
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < 3; ++i) {
            paths << dir.filePath(QStringLiteral("c%1.mp3").arg(i));
            QVERIFY(writeFile(paths.last(), mp3Bytes()));
        }
        TMultiFileDBox &box = m_batch.window;
        m_batch.settings.DelItems = false;
        box.CheckListBox1->appendChecked(paths[0]);
        box.CheckListBox1->appendChecked(paths[1]);
        int files = 0;
        bool visibleAfterClose = false;
        RunProbe probe(box, [&] {
            if (++files != 1)
                return;
            box.close();
            visibleAfterClose = box.isVisible();
            box.CheckListBox1->appendChecked(paths[2]);
        });
        box.Button2->click();

        QVERIFY(visibleAfterClose);
        QCOMPARE(files, 3);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.Label3->text(), QStringLiteral("2 Files"));
        QCOMPARE(listMarks(box), (QList<bool>{false, false, false}));
        for (const QString &path : paths)
            QVERIFY2(hasXingFrame(path), qPrintable(path));
    }

    void fiveHundredFilesStayResponsive()
    {
        QTemporaryDir dir;
        constexpr int kFiles = 500;
        TMultiFileDBox &box = m_batch.window;
        m_batch.settings.DelItems = false;
        for (int i = 0; i < kFiles; ++i) {
            const QString path = dir.filePath(QStringLiteral("n%1.mp3").arg(i, 3, 10, QLatin1Char('0')));
            QVERIFY(writeFile(path, mp3Bytes(3)));
            box.CheckListBox1->appendChecked(path);
        }
        // Each time the run lets events through, the file it is about to
        // rewrite must still be untouched and the window must show it.
        QStringList positions;
        int untouchedWhenSeen = 0;
        RunProbe probe(box, [&] {
            positions << box.Label1->text();
            if (!hasXingFrame(box.FileName))
                ++untouchedWhenSeen;
        });
        box.Button2->click();

        QCOMPARE(positions.size(), kFiles);
        QCOMPARE(positions.first(), QStringLiteral("1"));
        QCOMPARE(positions.last(), QString::number(kFiles));
        QCOMPARE(untouchedWhenSeen, kFiles);
        QVERIFY(probe.handledDuringRun() >= kFiles);
        QCOMPARE(box.ProgressBar1->value(), kFiles);
        QCOMPARE(box.windowTitle(), QStringLiteral("Rewrite OK"));
    }

private:
    TestBatchHost m_batch;
};

QTEST_MAIN(BatchRunTest)
#include "BatchRunTest.moc"
