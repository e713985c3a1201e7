// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run: per-file outcomes with their reasons, the error dialog and
// its hold on the run, the State column, Fix, Stop, the counter and caption.

#include "BatchTestSupport.h"

#include "batch/RunCounter.h"
#include "job/RewriteJob.h"
#include "platform/SafeReplace.h"

#include <QAccessible>
#include <QDateTime>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

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

// Whether `text` is `pattern`, each "*" in it standing for some text: a
// reason whose words are the engine's own.
bool matches(const QString &text, const QString &pattern)
{
    QStringList pieces;
    for (const QString &piece : pattern.split(QLatin1Char('*')))
        pieces << QRegularExpression::escape(piece);
    return QRegularExpression(QRegularExpression::anchoredPattern(pieces.join(QStringLiteral(".+"))))
        .match(text)
        .hasMatch();
}

void compareMatching(const QStringList &texts, const QStringList &patterns)
{
    QCOMPARE(texts.size(), patterns.size());
    for (int i = 0; i < texts.size(); ++i)
        QVERIFY2(matches(texts[i], patterns[i]), qPrintable(texts[i] + QStringLiteral(" ~ ") + patterns[i]));
}

QString counterReading(const TMultiFileDBox &box)
{
    QAccessibleInterface *counter = QAccessible::queryAccessibleInterface(box.Counter);
    // Read as one text: the labels inside are not read apart.
    return counter && counter->childCount() == 0 ? counter->text(QAccessible::Name) : QString();
}

// A file made by mp3Bytes, either as it was or with a Xing frame in front.
bool oldOrNew(const QByteArray &now, const QByteArray &before)
{
    return now == before || (now.mid(kXingOffset, 4) == "Xing" && now.size() > before.size() && now.endsWith(before));
}

const QString kNoSuchFile = QStringLiteral("Cannot open this File. (No such file or directory)");
const QString kNotAudio = QStringLiteral("This file is not MPEG/Audio. (*)");

} // namespace

class BatchRunTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_batch.settings = BatchSettings{};
        m_batch.shownWindow();
        m_batch.window.setRunJobs(1);
    }

    void runOverMixedFiles_data()
    {
        QTest::addColumn<bool>("addMode");
        QTest::addColumn<bool>("noErrDialog");
        QTest::addColumn<bool>("delItems");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("messages"); // of the error dialogs, in order
        QTest::addColumn<QStringList>("captions"); // of the error dialogs, in order
        QTest::addColumn<QStringList>("remaining"); // file names left in the list
        QTest::addColumn<QList<bool>>("marks"); // their check marks
        QTest::addColumn<QStringList>("states"); // their states; empty: not reached
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("done");
        QTest::addColumn<bool>("goodHasHeader");
        QTest::addColumn<bool>("taggedHasHeader");

        const QStringList allFailures = {"This file includes a VBR Header.", kNotAudio, kNoSuchFile};
        const QStringList failingNames = {"tagged.mp3", "notes.txt", "missing.mp3"};
        const QStringList all = {"good.mp3", "tagged.mp3", "notes.txt", "missing.mp3"};
        const QList<Answer> continueAll = {Answer::Continue, Answer::Continue, Answer::Continue};
        QStringList failedStates;
        for (const QString &message : allFailures)
            failedStates << QStringLiteral("failed: ") + message;
        const QStringList allStates = QStringList{"right"} + failedStates;

        QTest::newRow("silent failures, items kept")
            << true << true << false << QList<Answer>{} << QStringList{} << QStringList{} << all
            << QList<bool>{false, true, true, true} << allStates << "3 failed, 1 rewritten" << 4 << true << true;
        QTest::newRow("silent failures, done items deleted")
            << true << true << true << QList<Answer>{} << QStringList{} << QStringList{} << failingNames
            << QList<bool>{true, true, true} << failedStates << "3 failed, 1 rewritten" << 4 << true << true;
        QTest::newRow("dialogs, continue each")
            << true << false << true << continueAll << allFailures << failingNames << failingNames
            << QList<bool>{true, true, true} << failedStates << "3 failed, 1 rewritten" << 4 << true << true;
        QTest::newRow("dialogs, cancel at the first failure")
            << true << false << false << QList<Answer>{Answer::Cancel} << allFailures.mid(0, 1)
            << failingNames.mid(0, 1) << all << QList<bool>{false, true, true, true}
            << allStates.mid(0, 2) + QStringList{"", ""} << "Canceled: 1 failed, 1 rewritten, 2 not reached" << 2
            << true << true;
        QTest::newRow("dialogs, continue then Esc")
            << true << false << false << QList<Answer>{Answer::Continue, Answer::Escape} << allFailures.mid(0, 2)
            << failingNames.mid(0, 2) << all << QList<bool>{false, true, true, true}
            << allStates.mid(0, 3) + QStringList{""} << "Canceled: 2 failed, 1 rewritten, 1 not reached" << 3 << true
            << true;
        QTest::newRow("remove mode") << false << false << true << continueAll
                                     << QStringList{"This file includes no VBR header.", kNotAudio, kNoSuchFile}
                                     << QStringList{"good.mp3", "notes.txt", "missing.mp3"}
                                     << QStringList{"good.mp3", "notes.txt", "missing.mp3"}
                                     << QList<bool>{true, true, true}
                                     << QStringList{"failed: This file includes no VBR header.", failedStates[1],
                                                    failedStates[2]}
                                     << "3 failed, 1 rewritten" << 4 << false << false;
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
        QFETCH(QStringList, states);
        QFETCH(QString, title);
        QFETCH(int, done);
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
        QVERIFY(runToEnd(box));

        QStringList seenMessages, seenCaptions;
        for (const auto &seen : answerer.seen()) {
            seenMessages << seen.message;
            seenCaptions << seen.caption;
        }
        compareMatching(seenMessages, messages);
        QCOMPARE(seenCaptions, captions);
        QStringList names;
        for (const QString &path : listPaths(box))
            names << QFileInfo(path).fileName();
        QCOMPARE(names, remaining);
        QCOMPARE(listMarks(box), marks);
        QCOMPARE(box.windowTitle(), title);
        QCOMPARE(box.Label1->text(), QString::number(done));
        QCOMPARE(box.Label3->text(), QStringLiteral("4 Files"));
        QCOMPARE(counterReading(box), QStringLiteral("%1 of 4 files done").arg(done));
        QCOMPARE(box.ProgressBar1->maximum(), 4);
        QCOMPARE(box.ProgressBar1->value(), done);
        QCOMPARE(hasXingFrame(files.good), goodHasHeader);
        QCOMPARE(hasXingFrame(files.tagged), taggedHasHeader);
        QCOMPARE(readFile(files.text), textBefore);
        QVERIFY(!QFileInfo::exists(files.missing));
        QVERIFY(box.Button1->isEnabled() && box.Button2->isEnabled() && box.Button3->isEnabled());
        QCOMPARE(box.Button3->text(), QStringLiteral("&Folder"));
        // Failures stay in the State column with their reasons, dialogs or not.
        QStringList reached = listStates(box);
        for (int row = 0; row < states.size(); ++row) {
            if (states[row].isEmpty())
                reached[row].clear();
        }
        compareMatching(reached, states);
    }

    // Each verdict in the State column as the files are listed; a Fix run
    // then leaves every file as brantlow-cli fix leaves a copy of it.
    void statesAndAFixRun()
    {
        QTemporaryDir dir, oracle;
        const QString data = QStringLiteral(BRANTLOW_TEST_DATA_DIR);
        const QList<std::pair<QString, QString>> sources = {{"right.mp3", data + "/lame_xing.mp3"},
                                                            {"stale.mp3", data + "/real/cut_stale.mp3"},
                                                            {"missing.mp3", data + "/mpeg1_stereo_vbr.mp3"},
                                                            {"cbr.mp3", QString()},
                                                            {"notes.txt", QString()}};
        QStringList paths, copies;
        for (const auto &[name, source] : sources) {
            const QByteArray bytes = name == "cbr.mp3" ? mp3Bytes()
                : name == "notes.txt"                  ? QByteArray("not audio\n")
                                                       : readFile(source);
            QVERIFY(!bytes.isEmpty());
            paths << dir.filePath(name);
            copies << oracle.filePath(name);
            QVERIFY(writeFile(paths.last(), bytes) && writeFile(copies.last(), bytes));
        }
        paths << dir.filePath("gone.mp3");
        TMultiFileDBox &box = m_batch.window;
        for (const QString &path : paths)
            box.CheckListBox1->appendChecked(path);
        QTRY_VERIFY(!listStates(box).contains(QString()));
        compareMatching(listStates(box),
                        {"right", "stale (truncated: the header says 60 frames, 33 are there)", "missing", "not needed",
                         "unreadable: " + kNotAudio, "unreadable: " + kNoSuchFile});

        m_batch.settings.DelItems = false;
        m_batch.settings.NoErrDialog = true;
        box.RadioButton3->click();
        QCOMPARE(box.Button2->text(), QStringLiteral("Fi&x"));
        QVERIFY(runToEnd(box));

        compareMatching(listStates(box),
                        {"right", "right (the file looks truncated)", "right", "not needed", "failed: " + kNotAudio,
                         "failed: " + kNoSuchFile});
        QCOMPARE(listMarks(box), (QList<bool>{false, false, false, false, true, true}));
        QCOMPARE(box.windowTitle(), QStringLiteral("2 failed, 2 rewritten, 2 unchanged"));
        QCOMPARE(counterReading(box), QStringLiteral("6 of 6 files done"));
        QProcess cli;
        cli.start(QStringLiteral(BRANTLOW_CLI), QStringList{QStringLiteral("fix")} + copies);
        QVERIFY(cli.waitForFinished(60000));
        for (int i = 0; i < copies.size(); ++i)
            QVERIFY2(readFile(paths[i]) == readFile(copies[i]), qPrintable(paths[i]));
    }

    // While an error dialog is up no file starts; its Cancel stops the run.
    void errorDialogHoldsTheRun()
    {
        QTemporaryDir dir;
        TMultiFileDBox &box = m_batch.window;
        box.CheckListBox1->appendChecked(dir.filePath("notes.txt"));
        QVERIFY(writeFile(dir.filePath("notes.txt"), "text"));
        QStringList good;
        for (int i = 0; i < 20; ++i) {
            good << dir.filePath(QStringLiteral("g%1.mp3").arg(i));
            QVERIFY(writeFile(good.last(), mp3Bytes(3)));
            box.CheckListBox1->appendChecked(good.last());
        }
        int rewrittenWhileAsked = -1;
        answerNextModal([&](QWidget *) {
            QTest::qWait(200);
            rewrittenWhileAsked = int(std::count_if(good.begin(), good.end(), hasXingFrame));
            m_batch.errorDialog.CancelBtn->click();
        });
        QVERIFY(runToEnd(box));
        QCOMPARE(rewrittenWhileAsked, 0);
        QCOMPARE(std::count_if(good.begin(), good.end(), hasXingFrame), 0);
        QCOMPARE(box.windowTitle(), QStringLiteral("Canceled: 1 failed, 0 rewritten, 20 not reached"));
    }

    // Stop: the files in flight finish, within one replace group per worker,
    // nothing new starts, and each file is either as it was or rewritten.
    void stopWithinOneGroup()
    {
        QTemporaryDir dir;
        constexpr int kFiles = 600;
        constexpr unsigned kJobs = 2;
        TMultiFileDBox &box = m_batch.window;
        box.setRunJobs(kJobs);
        m_batch.settings.DelItems = false;
        QStringList paths;
        const QByteArray before = mp3Bytes(3);
        for (int i = 0; i < kFiles; ++i) {
            paths << dir.filePath(QStringLiteral("s%1.mp3").arg(i, 3, 10, QLatin1Char('0')));
            QVERIFY(writeFile(paths.last(), before));
            box.CheckListBox1->appendChecked(paths.last());
        }
        int rewrittenAtStop = -1;
        QString captionDuringStop;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (rewrittenAtStop >= 0 || !box.isRunning() || box.Label1->text() == QLatin1String("0"))
                return;
            QCOMPARE(box.Button3->text(), QStringLiteral("&Stop"));
            QVERIFY(!box.RadioButton1->isEnabled() && !box.CheckListBox1->isEnabled() && !box.Button2->isEnabled());
            QTest::keyClick(&box, Qt::Key_Escape);
            rewrittenAtStop = int(std::count_if(paths.begin(), paths.end(), hasXingFrame));
        });
        watch.start(0);
        QVERIFY(runToEnd(box));

        QVERIFY(rewrittenAtStop >= 0);
        const int rewritten = int(std::count_if(paths.begin(), paths.end(), hasXingFrame));
        QVERIFY2(rewritten - rewrittenAtStop <= int(kJobs * (brantlow::platform::ReplaceGroup::kMaxFiles + 1)),
                 qPrintable(QStringLiteral("%1 then %2").arg(rewrittenAtStop).arg(rewritten)));
        QVERIFY(rewritten < kFiles);
        QCOMPARE(box.windowTitle(),
                 QStringLiteral("Canceled: %1 rewritten, %2 not reached").arg(rewritten).arg(kFiles - rewritten));
        QCOMPARE(box.Label1->text(), QString::number(rewritten));
        QCOMPARE(box.Label3->text(), QStringLiteral("%1 Files").arg(kFiles));
        const QList<bool> marks = listMarks(box);
        for (int i = 0; i < kFiles; ++i) {
            const QByteArray now = readFile(paths[i]);
            QVERIFY2(oldOrNew(now, before), qPrintable(paths[i]));
            QCOMPARE(marks[i], now == before);
        }
    }

    // A run takes its files, mode and settings when it starts: the controls
    // that would change them are disabled, a drop waits for its end, and a
    // close stops it and then closes.
    void runTakesItsFilesAtTheStart()
    {
        QTemporaryDir dir;
        TMultiFileDBox &box = m_batch.window;
        m_batch.settings.DelItems = false;
        m_batch.settings.NoErrDialog = true;
        QStringList paths;
        for (int i = 0; i < 50; ++i) {
            paths << dir.filePath(QStringLiteral("r%1.mp3").arg(i, 2, 10, QLatin1Char('0')));
            QVERIFY(writeFile(paths.last(), mp3Bytes(3)));
            box.CheckListBox1->appendChecked(paths.last());
        }
        const QString late = dir.filePath("late.mp3");
        QVERIFY(writeFile(late, mp3Bytes(3)));
        QList<bool> enabled;
        bool visibleAfterClose = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!box.isRunning() || !enabled.isEmpty())
                return;
            QList<QWidget *> controls;
            controls << box.CheckListBox1 << box.RadioButton1 << box.RadioButton3 << box.Button1 << box.Button2
                     << box.SpeedButton1 << box.Button3;
            for (QWidget *control : controls)
                enabled << control->isEnabled();
            // The disabled list takes no drop: the window takes it over the list.
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(late)});
            const QPoint overList = box.CheckListBox1->geometry().center();
            QDragEnterEvent enter(overList, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&box, &enter);
            QDropEvent drop(overList, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&box, &drop);
            m_batch.settings.DelItems = true; // read at the start only
            box.close();
            visibleAfterClose = box.isVisible();
        });
        watch.start(0);
        QVERIFY(runToEnd(box));

        QCOMPARE(enabled, (QList<bool>{false, false, false, false, false, false, true}));
        QVERIFY(visibleAfterClose);
        QVERIFY(!box.isVisible());
        QVERIFY2(box.windowTitle().startsWith(QStringLiteral("Canceled: ")), qPrintable(box.windowTitle()));
        QCOMPARE(box.Label3->text(), QStringLiteral("50 Files"));
        QCOMPARE(listPaths(box), paths + QStringList{late});
        QCOMPARE(listMarks(box).last(), true);
        QVERIFY(!hasXingFrame(late));
    }

    // Clicking a header sorts the list by that column, again the other way;
    // a run goes in the order shown.
    void sortedListRunsInTheOrderShown()
    {
        QTemporaryDir dir;
        TMultiFileDBox &box = m_batch.window;
        for (const char *name : {"b.mp3", "c.mp3", "a.mp3"}) {
            QVERIFY(writeFile(dir.filePath(name), mp3Bytes(3)));
            box.CheckListBox1->appendChecked(dir.filePath(name));
        }
        QHeaderView *header = box.CheckListBox1->header();
        const QPoint onPath(header->sectionViewportPosition(0) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onPath);
        QCOMPARE(listPaths(box), (QStringList{dir.filePath("a.mp3"), dir.filePath("b.mp3"), dir.filePath("c.mp3")}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onPath);
        QCOMPARE(listPaths(box), (QStringList{dir.filePath("c.mp3"), dir.filePath("b.mp3"), dir.filePath("a.mp3")}));

        box.RadioButton2->click(); // every file fails, in the order of the run
        ErrorDialogAnswerer answerer(m_batch.errorDialog, {Answer::Continue, Answer::Continue, Answer::Continue});
        QVERIFY(runToEnd(box));
        QStringList order;
        for (const auto &seen : answerer.seen())
            order << seen.caption;
        QCOMPARE(order, (QStringList{"c.mp3", "b.mp3", "a.mp3"}));
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
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(old, QFileDevice::FileModificationTime));
        file.close();
        m_batch.settings.NotUpdate = notUpdate;
        m_batch.window.CheckListBox1->appendChecked(path);

        QVERIFY(runToEnd(m_batch.window));

        QVERIFY(hasXingFrame(path));
        const QDateTime now = QFileInfo(path).lastModified();
        if (notUpdate)
            QCOMPARE(now, old);
        else
            QVERIFY(now.secsTo(QDateTime::currentDateTime()) < 3600);
    }

private:
    TestBatchHost m_batch;
};

QTEST_MAIN(BatchRunTest)
#include "BatchRunTest.moc"
