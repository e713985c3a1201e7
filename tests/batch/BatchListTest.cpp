// SPDX-License-Identifier: GPL-3.0-or-later
// The batch window's file list: showing, Browse, Folder, drops, check marks.

#include "BatchTestSupport.h"

#include <QDirIterator>
#include <QDropEvent>
#include <QMimeData>
#include <QPalette>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <QMessageBox>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace batchtest;

namespace {

// The supported files under `folder` in the order the file system returns
// them, sub-folders walked where they are met: worked out independently of
// the window, through QDir, each folder's entries sorted by name.
QStringList expectedScan(const QString &folder, bool subFolders)
{
    static const QStringList kSupported = {QStringLiteral("mp3"), QStringLiteral("rmp"), QStringLiteral("wav")};
    QStringList found;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &info : entries) {
        const QString path = info.filePath();
        if (info.isDir()) {
            if (subFolders)
                found += expectedScan(path, true);
        } else if (info.fileName().contains(QLatin1Char('.'))
                   && kSupported.contains(info.fileName().section(QLatin1Char('.'), -1).toLower())) {
            found << path;
        }
    }
    return found;
}

QStringList fileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names << QFileInfo(path).fileName();
    return names;
}

void dropOn(QWidget *target, const QStringList &paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

} // namespace

class BatchListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_tree.isValid());
        // root: the six names of the extension test, a sub-folder with its
        // own sub-folder, and a folder whose name looks like an MP3.
        const QString root = m_tree.path();
        for (const char *name : {"SONG.MP3", "b.Wav", "c.rmp", "d.mp3.bak", "e.mp2", "noextension", "f."})
            QVERIFY(writeFile(root + QLatin1Char('/') + QLatin1String(name), mp3Bytes(2)));
        QVERIFY(writeFile(root + QStringLiteral("/sub/inner.mp3"), mp3Bytes(2)));
        QVERIFY(writeFile(root + QStringLiteral("/sub/deeper/deep.wav"), mp3Bytes(2)));
        QVERIFY(writeFile(root + QStringLiteral("/sub/skip.txt"), "text"));
        QVERIFY(writeFile(root + QStringLiteral("/album.mp3/track.rmp"), mp3Bytes(2)));
        QVERIFY(writeFile(root + QStringLiteral("/z.mp3"), mp3Bytes(2)));
    }

    void init()
    {
        m_batch.settings = BatchSettings{};
        m_batch.shownWindow();
    }

    void showingResetsTheWindow()
    {
        TMultiFileDBox &box = m_batch.window;
        box.CheckListBox1->appendChecked(m_tree.path() + QStringLiteral("/SONG.MP3"));
        box.RadioButton2->click();
        QCOMPARE(box.AddMode, 0);
        QCOMPARE(box.Button2->text(), QStringLiteral("&Remove"));
        box.Label1->setText(QStringLiteral("7"));
        box.Label3->setText(QStringLiteral("9 Files"));
        box.ProgressBar1->setValue(5);
        box.setWindowTitle(QStringLiteral("Rewrite OK"));
        QFont pathFont(QStringLiteral("Courier"));
        pathFont.setPointSize(15);
        m_batch.listFont = pathFont;
        m_batch.listTextColour = QColor(Qt::red);
        m_batch.openDialogFolder = m_tree.path();

        m_batch.shownWindow();

        QCOMPARE(box.CheckListBox1->count(), 0);
        QVERIFY(box.RadioButton1->isChecked());
        QVERIFY(!box.RadioButton2->isChecked());
        QCOMPARE(box.AddMode, 1);
        QCOMPARE(box.Button2->text(), QStringLiteral("&Add"));
        QCOMPARE(box.Label1->text(), QStringLiteral("0"));
        QCOMPARE(box.Label3->text(), QStringLiteral("0 Files"));
        QCOMPARE(box.ProgressBar1->value(), 0);
        QCOMPARE(box.windowTitle(), QStringLiteral("Multiple File Mode"));
        QCOMPARE(box.CheckListBox1->font(), pathFont);
        QCOMPARE(box.CheckListBox1->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(box.OpenDialog1->directory().path(), m_tree.path());

        // Without a colour of its own the list follows the theme again.
        m_batch.listFont = QFont();
        m_batch.listTextColour.reset();
        m_batch.shownWindow();
        QCOMPARE(box.CheckListBox1->palette().color(QPalette::Text), QPalette().color(QPalette::Text));
    }

    void folderScan_data()
    {
        QTest::addColumn<bool>("subFolders");
        QTest::newRow("own files only") << false;
        QTest::newRow("with sub-folders") << true;
    }

    void folderScan()
    {
        QFETCH(bool, subFolders);
        m_batch.settings.SubDirectory = subFolders;
        answerFolderDialog(m_tree.path());
        m_batch.window.Button3->click();

        const QStringList listed = listPaths(m_batch.window);
        QCOMPARE(listed, expectedScan(m_tree.path(), subFolders));
        QStringList names = fileNames(listed);
        names.sort();
        QStringList wanted = {"SONG.MP3", "b.Wav", "c.rmp", "z.mp3"};
        if (subFolders)
            wanted += {"deep.wav", "inner.mp3", "track.rmp"};
        wanted.sort();
        QCOMPARE(names, wanted);
        QCOMPARE(listMarks(m_batch.window), QList<bool>(listed.size(), true));
        QVERIFY(m_batch.window.Button1->isEnabled() && m_batch.window.Button2->isEnabled()
                && m_batch.window.Button3->isEnabled());
    }

    void folderScanTakesSubFolderFilesWhereTheFolderIsMet()
    {
        // One sub-folder between files: its file must sit exactly where the
        // folder comes by name, not after the folder's own files.
        QTemporaryDir dir;
        for (const char *name : {"d.mp3", "a.mp3", "x.mp3", "c.mp3"})
            QVERIFY(writeFile(dir.path() + QLatin1Char('/') + QLatin1String(name), "x"));
        QVERIFY(writeFile(dir.path() + QStringLiteral("/m/inner.mp3"), "x"));
        QStringList order;
        for (const char *name : {"a.mp3", "c.mp3", "d.mp3", "m/inner.mp3", "x.mp3"})
            order << dir.path() + QLatin1Char('/') + QLatin1String(name);

        answerFolderDialog(dir.path());
        m_batch.window.Button3->click();
        QCOMPARE(listPaths(m_batch.window), order);
    }

    void folderScanSurvivesALinkBackToItsOwnFolder()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.path() + QStringLiteral("/one.mp3"), "x"));
        QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/sub")));
        QVERIFY(QFile::link(dir.path(), dir.path() + QStringLiteral("/sub/back")));
        answerFolderDialog(dir.path());
        m_batch.window.Button3->click();
        QCOMPARE(listPaths(m_batch.window), QStringList{dir.path() + QStringLiteral("/one.mp3")});
    }

    void cancelledDialogsAddNothing()
    {
        answerFolderDialog(QString());
        m_batch.window.Button3->click();
        answerNextModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        m_batch.window.Button1->click();
        QCOMPARE(m_batch.window.CheckListBox1->count(), 0);
    }

    void browseTakesAnyExtensionAndSkipsListedPaths()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.path() + QStringLiteral("/notes.txt"), "text"));
        QVERIFY(writeFile(dir.path() + QStringLiteral("/Song.mp3"), mp3Bytes(2)));
        QVERIFY(writeFile(dir.path() + QStringLiteral("/other.mp3"), mp3Bytes(2)));
        TMultiFileDBox &box = m_batch.window;
        box.CheckListBox1->appendChecked(dir.path() + QStringLiteral("/SONG.MP3"));
        box.CheckListBox1->setChecked(0, false);

        answerOpenDialog(dir.path(), {"notes.txt", "Song.mp3", "other.mp3"});
        box.Button1->click();

        QCOMPARE(listPaths(box), (QStringList{dir.path() + "/SONG.MP3", dir.path() + "/notes.txt",
                                              dir.path() + "/other.mp3"}));
        QCOMPARE(listMarks(box), (QList<bool>{false, true, true}));
    }

    void scanAddsOnlyPathsNotListedInAnyLetterCase()
    {
        TMultiFileDBox &box = m_batch.window;
        m_batch.settings.SubDirectory = false;
        const QString listedInOtherCase = m_tree.path() + QStringLiteral("/song.mp3");
        box.CheckListBox1->appendChecked(listedInOtherCase);
        box.CheckListBox1->setChecked(0, false);

        answerFolderDialog(m_tree.path());
        box.Button3->click();

        QStringList wanted = expectedScan(m_tree.path(), false);
        wanted.removeAll(m_tree.path() + QStringLiteral("/SONG.MP3"));
        wanted.prepend(listedInOtherCase);
        QCOMPARE(listPaths(box), wanted);
        QList<bool> marks(wanted.size(), true);
        marks[0] = false;
        QCOMPARE(listMarks(box), marks);
    }

    void drops_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("dropped"); // relative to the tree
        QTest::addColumn<QStringList>("listed");  // relative to the tree, in order

        QTest::newRow("supported files, the rest ignored")
            << "list" << QStringList{"c.rmp", "e.mp2", "noextension", "nothere.mp3x", "b.Wav"}
            << QStringList{"c.rmp", "b.Wav"};
        QTest::newRow("letter case duplicates")
            << "list" << QStringList{"c.rmp", "C.RMP", "b.Wav", "B.wav"} << QStringList{"c.rmp", "b.Wav"};
        QTest::newRow("folder named like an MP3 is scanned, not listed")
            << "list" << QStringList{"album.mp3"} << QStringList{"album.mp3/track.rmp"};
        QTest::newRow("on a push button") << "button" << QStringList{"c.rmp"} << QStringList{};
        QTest::newRow("on the progress bar") << "progress" << QStringList{"c.rmp"} << QStringList{};
        QTest::newRow("on the window") << "window" << QStringList{"c.rmp"} << QStringList{};
    }

    void drops()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, listed);
        TMultiFileDBox &box = m_batch.window;
        QWidget *on = target == "list"     ? box.CheckListBox1->viewport()
                      : target == "button" ? static_cast<QWidget *>(box.Button1)
                      : target == "progress" ? static_cast<QWidget *>(box.ProgressBar1)
                                             : static_cast<QWidget *>(&box);
        QStringList paths;
        for (const QString &name : dropped)
            paths << m_tree.path() + QLatin1Char('/') + name;
        dropOn(on, paths);

        QStringList wanted;
        for (const QString &name : listed)
            wanted << m_tree.path() + QLatin1Char('/') + name;
        QCOMPARE(listPaths(box), wanted);
        QCOMPARE(listMarks(box), QList<bool>(wanted.size(), true));
    }

    void dropKeepsEarlierMarks()
    {
        TMultiFileDBox &box = m_batch.window;
        box.CheckListBox1->appendChecked(m_tree.path() + QStringLiteral("/z.mp3"));
        box.CheckListBox1->setChecked(0, false);
        dropOn(box.CheckListBox1->viewport(), {m_tree.path() + QStringLiteral("/c.rmp")});
        QCOMPARE(listMarks(box), (QList<bool>{false, true}));
    }

    void checkAllAndUncheckAll()
    {
        TMultiFileDBox &box = m_batch.window;
        box.SpeedButton1->click(); // empty list: nothing to do, nothing breaks
        box.SpeedButton2->click();
        for (const char *name : {"a", "b", "c"})
            box.CheckListBox1->appendChecked(QLatin1String(name));
        box.CheckListBox1->setChecked(1, false);
        box.Label1->setText(QStringLiteral("2"));

        box.SpeedButton1->click();
        QCOMPARE(listMarks(box), (QList<bool>{true, true, true}));
        box.SpeedButton2->click();
        QCOMPARE(listMarks(box), (QList<bool>{false, false, false}));
        QCOMPARE(box.Label1->text(), QStringLiteral("2"));
    }

    void resizingKeepsTheAnchors()
    {
        TMultiFileDBox &box = m_batch.window;
        const QRect list = box.CheckListBox1->geometry();
        const QRect run = box.Button2->geometry();
        const QRect glyph = box.SpeedButton1->geometry();
        const QRect progress = box.ProgressBar1->geometry();
        box.resize(box.size() + QSize(100, 50));
        QCOMPARE(box.CheckListBox1->geometry(), list.adjusted(0, 0, 100, 50));
        QCOMPARE(box.Button2->geometry(), run.translated(100, 0));
        QCOMPARE(box.SpeedButton1->geometry(), glyph.translated(0, 50));
        QCOMPARE(box.ProgressBar1->geometry(), progress.adjusted(0, 50, 100, 50));
        box.resize(100, 100);
        QCOMPARE(box.size(), box.minimumSize());
    }

    // The window repaints and takes input while a scan runs, shows what it
    // has found so far, and Esc stops it keeping what was found.
    void scanShowsCountsAndCancelsWithEscape()
    {
        QTemporaryDir dir;
        constexpr int kFolders = 40;
        constexpr int kFilesEach = 10;
        for (int folder = 0; folder < kFolders; ++folder) {
            for (int file = 0; file < kFilesEach; ++file)
                QVERIFY(writeFile(dir.path() + QStringLiteral("/%1/%2.mp3").arg(folder, 2, 10, QLatin1Char('0')).arg(file), "x"));
        }
        TMultiFileDBox &box = m_batch.window;
        QStringList captions;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!box.isScanning())
                return;
            captions << box.windowTitle();
            QVERIFY(box.Button3->isEnabled());
            QCOMPARE(box.Button3->text(), QStringLiteral("&Cancel"));
            if (captions.size() == 3)
                QTest::keyClick(&box, Qt::Key_Escape);
        });
        watch.start(0);
        answerFolderDialog(dir.path());
        box.Button3->click();
        watch.stop();

        QCOMPARE(captions.size(), 3);
        QVERIFY2(captions.front().startsWith(QStringLiteral("Scanning: ")), qPrintable(captions.front()));
        QVERIFY2(captions.back().contains(QStringLiteral(" files")), qPrintable(captions.back()));
        const int listed = box.CheckListBox1->count();
        QVERIFY2(listed > 0 && listed < kFolders * kFilesEach, qPrintable(QString::number(listed)));
        QVERIFY(box.isVisible());
        QCOMPARE(box.windowTitle(), QStringLiteral("Multiple File Mode"));
        QCOMPARE(box.Button3->text(), QStringLiteral("&Folder"));
        QVERIFY(box.Button1->isEnabled() && box.Button2->isEnabled() && box.Button3->isEnabled());
    }

    // A folder that cannot be read is named, with its reason, in a report
    // beside the window that leaves it usable; the rest is listed.
    void unreadableFolderIsReported()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every folder");
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.path() + QStringLiteral("/a.mp3"), "x"));
        QVERIFY(writeFile(dir.path() + QStringLiteral("/locked/b.mp3"), "x"));
        QVERIFY(QFile::setPermissions(dir.path() + QStringLiteral("/locked"), QFileDevice::Permissions()));
        m_batch.settings.SubDirectory = true;
        answerFolderDialog(dir.path());
        m_batch.window.Button3->click();
        QFile::setPermissions(dir.path() + QStringLiteral("/locked"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        QCOMPARE(listPaths(m_batch.window), QStringList{dir.path() + QStringLiteral("/a.mp3")});
        auto *report = m_batch.window.findChild<QMessageBox *>();
        QVERIFY(report && report->isVisible() && !report->isModal());
        QVERIFY2(report->text().contains(dir.path() + QStringLiteral("/locked: Permission denied")),
                 qPrintable(report->text()));
        report->close();
    }

    void nameThatIsNotUtf8_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder scan") << "scan";
        QTest::newRow("drop") << "drop";
        QTest::newRow("browse") << "browse";
    }

    // Listed with replacement characters, kept as bytes, and rewritten.
    void nameThatIsNotUtf8()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        // A folder and a file whose names hold bytes that are not UTF-8.
        const QByteArray folder = QFile::encodeName(dir.path()) + QByteArrayLiteral("/ÿ");
        const QByteArray path = folder + QByteArrayLiteral("/café.mp3");
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        {
            std::ofstream out(path.toStdString(), std::ios::binary);
            const QByteArray bytes = mp3Bytes(12);
            out.write(bytes.constData(), bytes.size());
        }
        const QString shown = QFile::decodeName(path);
        TMultiFileDBox &box = m_batch.window;
        if (how == "scan") {
            answerFolderDialog(dir.path());
            box.Button3->click();
        } else if (how == "drop") {
            QMimeData mime;
            mime.setUrls({QUrl(QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/")))});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(box.CheckListBox1->viewport(), &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(box.CheckListBox1->viewport(), &drop);
        } else {
            answerOpenDialog(QFile::decodeName(folder), {QFile::decodeName(QByteArrayLiteral("café.mp3"))});
            box.Button1->click();
        }
        QCOMPARE(listPaths(box), QStringList{shown});
        QCOMPARE(box.CheckListBox1->localPath(0), path);

        m_batch.settings.NoErrDialog = true;
        QVERIFY(runToEnd(box));
        std::ifstream in(path.toStdString(), std::ios::binary);
        std::string head(kXingOffset + 4, '\0');
        in.read(head.data(), std::streamsize(head.size()));
        QCOMPARE(QByteArray::fromStdString(head).mid(kXingOffset, 4), QByteArray("Xing"));
    }

private:
    TestBatchHost m_batch;
    QTemporaryDir m_tree;
};

QTEST_MAIN(BatchListTest)
#include "BatchListTest.moc"
