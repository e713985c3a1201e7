// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user would: command line, open dialog, drop,
// Save, "&Multiple", and every failure it reports in its error dialog.

#include "AppTestSupport.h"

#include "app/DetailsDialog.h"
#include "app/ErrorDialg.h"
#include "app/Translations.h"
#include "batch/AllRewriteDialog.h"
#include "batch/FileCheckList.h"
#include "batch/UndoProgress.h"
#include "job/RewriteJob.h"
#include "job/RunLock.h"
#include "platform/ExclusiveFile.h"

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

#include <sys/fsuid.h>
#include <unistd.h>

using apptest::ErrorSeen;
using apptest::ModalAnswerer;

namespace {

const QString kWithHeader = QStringLiteral("This File includes a VBR Header.");
const QString kWithoutHeader = QStringLiteral("This File includes no VBR Header.");

// Closes the error dialog, noting its caption and message.
std::function<void(QWidget *)> noteErrors(ErrorSeen &seen)
{
    return [&seen](QWidget *modal) {
        seen.captions << modal->windowTitle();
        seen.messages << ErrorDBox->Label1->text();
        seen.reasons << ErrorDBox->Label2->text();
        static_cast<QDialog *>(modal)->accept();
    };
}

// What the command line says after its own text for the same failure
// ("Cannot open this File. (No such file or directory)"): the reason in its
// parentheses.
QString commandLineReason(const QString &path)
{
    brantlow::TBinEdit engine;
    brantlow::OpenedFile opened;
    const QString line = QString::fromStdString(
        brantlow::reasonText(brantlow::openForRewrite(engine, QFile::encodeName(path).toStdString(), opened)));
    const qsizetype open = line.indexOf(QLatin1Char('('));
    return open < 0 ? QString() : line.mid(open + 1).chopped(1);
}

// A WAVE file of 16-bit PCM: RIFF, its "fmt " chunk with format tag 1, and
// a second of silence.
QByteArray pcmWave()
{
    const auto le32 = [](quint32 v) { return QByteArray::fromRawData(reinterpret_cast<const char *>(&v), 4); };
    const QByteArray samples(88200, '\0');
    // Format 1, one channel, 44100 Hz, 88200 bytes a second, 2-byte blocks, 16 bits.
    const QByteArray fmt = QByteArray::fromHex("0100010044ac00008858010002001000");
    return "RIFF" + le32(4 + 8 + 16 + 8 + samples.size()) + "WAVE" + "fmt " + le32(16) + fmt + "data"
        + le32(samples.size()) + samples;
}

// Runs brantlow-cli with `arguments`; true when it exits 0.
bool runCli(const QStringList &arguments)
{
    QProcess cli;
    cli.start(QStringLiteral(BRANTLOW_CLI), arguments);
    return cli.waitForFinished(30000) && cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0;
}

// While it lives, file permissions hold for root too: the calling thread
// works on files as the unprivileged user "nobody".
class WithoutRootRights {
public:
    WithoutRootRights()
    {
        if (geteuid() != 0)
            return;
        setfsuid(65534);
        m_dropped = setfsuid(static_cast<uid_t>(-1)) == 65534;
    }
    ~WithoutRootRights()
    {
        if (m_dropped)
            setfsuid(0);
    }
    bool holds() const { return geteuid() != 0 || m_dropped; }

private:
    bool m_dropped = false;
};

bool saveEntryEnabled()
{
    return Form1->Save1->isEnabled() && Form1->ToolButton3->isEnabled();
}

void expectEmptyWindow()
{
    QVERIFY(Form1->FileName.isEmpty());
    QVERIFY(Form1->Edit1->text().isEmpty());
    QVERIFY(Form1->Label3->text().isEmpty());
    QVERIFY(!Form1->Save1->isEnabled());
    QVERIFY(!Form1->ToolButton3->isEnabled());
}

// Opens `path` through the window's own open dialog.
void openByDialog(const QString &path)
{
    apptest::triggerAnswering(Form1->FileOpen, apptest::chooseFile(path));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // English as the program shows it: the counting texts in their plural
    // forms ("1 file put back as it was").
    void initTestCase() { QCOMPARE(installTranslations(qApp), QString()); }

    void init()
    {
        QVERIFY(m_folder.isValid());
        apptest::freshSettingsFile();
        CreateForms();
    }

    void cleanup() { DestroyForms(); }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("opens");
        const QString existing = apptest::sampleWithHeader();
        QTest::newRow("one existing file") << QStringList{existing} << true;
        QTest::newRow("no argument") << QStringList{} << false;
        QTest::newRow("missing file") << QStringList{existing + QStringLiteral(".missing")} << false;
        QTest::newRow("two names") << QStringList{existing, existing} << false;
        QTest::newRow("a folder") << QStringList{QFileInfo(existing).absolutePath()} << false;
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, opens);
        ModalAnswerer answerer(apptest::rejectModal);
        Form1->setCommandLine(arguments);
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        if (opens) {
            QTRY_COMPARE(Form1->Label3->text(), kWithHeader);
            QCOMPARE(Form1->Edit1->text(), arguments.front());
            QCOMPARE(Form1->Save1->text(), QStringLiteral("&Remove VBR Header"));
            QVERIFY(saveEntryEnabled());
        } else {
            QTest::qWait(50);
            expectEmptyWindow();
        }
        QCOMPARE(answerer.count(), 0);
    }

    void openSaveReopen_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("openStatus");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("savedStatus");
        QTest::addColumn<QString>("reopenStatus");
        QTest::addColumn<QString>("reopenCaption");
        QTest::newRow("add") << apptest::sampleWithoutHeader() << kWithoutHeader << QStringLiteral("&Add VBR Header")
                             << QStringLiteral("This File includes a VBR Header Now.") << kWithHeader
                             << QStringLiteral("&Remove VBR Header");
        QTest::newRow("remove") << apptest::sampleWithHeader() << kWithHeader << QStringLiteral("&Remove VBR Header")
                                << QStringLiteral("This File includes no VBR Header Now.") << kWithoutHeader
                                << QStringLiteral("&Add VBR Header");
    }

    void openSaveReopen()
    {
        QFETCH(QString, sample);
        QFETCH(QString, openStatus);
        QFETCH(QString, caption);
        QFETCH(QString, savedStatus);
        QFETCH(QString, reopenStatus);
        QFETCH(QString, reopenCaption);
        const QString path = apptest::copyDatedBack(sample, m_folder.path(), QStringLiteral("song.mp3"));
        QVERIFY(!path.isEmpty());
        const QByteArray before = apptest::readFile(path);
        Form1->show();
        QCOMPARE(Form1->Save1->text(), QStringLiteral("&Save"));

        openByDialog(path);
        QCOMPARE(Form1->FileName, path);
        QCOMPARE(Form1->Edit1->text(), path);
        QCOMPARE(Form1->Label3->text(), openStatus);
        QCOMPARE(Form1->Save1->text(), caption);
        QVERIFY(saveEntryEnabled());
        // Only the open dialog moves the folder it starts in.
        QCOMPARE(Form1->Settings.Folder, m_folder.path());
        QCOMPARE(Form1->openDialogFolder(), m_folder.path());

        ErrorSeen seen;
        apptest::triggerAnswering(Form1->Save1, noteErrors(seen));
        QCOMPARE(seen.messages, QStringList());
        QCOMPARE(Form1->Label3->text(), savedStatus);
        QVERIFY(!Form1->Save1->isEnabled());
        QVERIFY(!Form1->ToolButton3->isEnabled());
        QCOMPARE(Form1->Save1->text(), caption);
        QVERIFY(apptest::readFile(path) != before);

        QVERIFY(Form1->OpenCurrentFile());
        QCOMPARE(Form1->Label3->text(), reopenStatus);
        QCOMPARE(Form1->Save1->text(), reopenCaption);
        QVERIFY(saveEntryEnabled());
        // The tool button saves too; removing the header that was added
        // gives back the original bytes.
        Form1->ToolButton3->click();
        QVERIFY(!saveEntryEnabled());
        if (QTest::currentDataTag() == QByteArray("add"))
            QCOMPARE(apptest::readFile(path), before);
        QVERIFY(Form1->OpenCurrentFile());
        QCOMPARE(Form1->Label3->text(), openStatus);
    }

    void undoLastRun_data()
    {
        QTest::addColumn<bool>("fromBatchList");
        QTest::newRow("File menu") << false;
        QTest::newRow("batch list context menu") << true;
    }

    // The save is a run with its log; the entry puts the file back and says so.
    void undoLastRun()
    {
        QFETCH(bool, fromBatchList);
        // This test's runs only.
        const QByteArray state = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", QDir(m_folder.path()).filePath(QStringLiteral("state")).toLocal8Bit());
        const QString path =
            apptest::copyDatedBack(apptest::sampleWithoutHeader(), m_folder.path(), QStringLiteral("undo.mp3"));
        const QByteArray before = apptest::readFile(path);
        Form1->show();
        openByDialog(path);
        ErrorSeen seen;
        apptest::triggerAnswering(Form1->Save1, noteErrors(seen));
        QVERIFY(apptest::readFile(path) != before);

        QAction *entry = fromBatchList ? MultiFileDBox->UndoLastRun1 : Form1->FileUndoLastRun;
        const QList<QAction *> menu = fromBatchList ? MultiFileDBox->CheckListBox1->actions()
                                                    : Form1->menuBar()->actions().front()->menu()->actions();
        QVERIFY(menu.contains(entry));
        const QString told = undoSummary(entry, {});
        qputenv("XDG_STATE_HOME", state);
        QCOMPARE(told, QStringLiteral("1 file put back as it was before the run."));
        QCOMPARE(apptest::readFile(path), before);
        if (!fromBatchList)
            QCOMPARE(Form1->Label3->text(), kWithoutHeader);
    }

    void undoInBackground_data()
    {
        QTest::addColumn<bool>("fromBatchList");
        QTest::addColumn<QString>("how");
        QTest::newRow("File menu") << false << "whole";
        QTest::newRow("File menu, run locked") << false << "locked";
        QTest::newRow("batch list") << true << "whole";
        QTest::newRow("batch list, stopped") << true << "stopped";
        QTest::newRow("batch list, run locked") << true << "locked";
    }

    // The undo of a run of three files: on a thread of its own, stopped
    // from its progress window before it began, or refused while another
    // undo holds the run.
    void undoInBackground()
    {
        QFETCH(bool, fromBatchList);
        QFETCH(QString, how);
        const QByteArray state = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", QDir(m_folder.path()).filePath(QStringLiteral("state-") + how).toLocal8Bit());
        QStringList paths;
        QList<QByteArray> before;
        for (int i = 0; i < 3; ++i) {
            paths << apptest::copyDatedBack(apptest::sampleWithoutHeader(), m_folder.path(),
                                            QStringLiteral("run%1.mp3").arg(i));
            before << apptest::readFile(paths.back());
        }
        QVERIFY(
            runCli(QStringList{QStringLiteral("add"), QStringLiteral("-q"), QStringLiteral("-j"), QStringLiteral("1")}
                   + paths));
        QList<QByteArray> added;
        for (const QString &path : paths)
            added << apptest::readFile(path);
        brantlow::RunLock held; // another undo of the run, as far as the windows can tell
        if (how == "locked") {
            brantlow::RunInfo run;
            std::vector<brantlow::UndoRecord> records;
            std::string error;
            QVERIFY(brantlow::readRun({}, run, records, error));
            QVERIFY(held.take(brantlow::runLogPath(run.id, error)));
        }
        MultiFileDBox->setRunJobs(1);
        QAction *entry = fromBatchList ? MultiFileDBox->UndoLastRun1 : Form1->FileUndoLastRun;
        const QString told = undoSummary(entry, [&] {
            UndoProgress *undo = fromBatchList ? MultiFileDBox->runningUndo() : Form1->runningUndo();
            QVERIFY(undo != nullptr);
            QVERIFY(undo->progressWindow()->isVisible());
            QVERIFY(!entry->isEnabled());
            if (how == "stopped") {
                auto *stop = undo->progressWindow()->findChild<QPushButton *>();
                QVERIFY(stop != nullptr);
                stop->click();
            }
        });
        qputenv("XDG_STATE_HOME", state);
        QVERIFY(entry->isEnabled());
        if (how == "locked")
            QCOMPARE(told, QStringLiteral("The last run cannot be undone now. (another undo of this run is running)"));
        else if (how == "whole")
            QCOMPARE(told, QStringLiteral("3 files put back as they were before the run."));
        else
            QVERIFY2(told.contains(QStringLiteral("\nStopped: 3 files not reached")), qPrintable(told));
        // A file the summary names as not reached (or every file of a
        // refused undo) is as the run left it; every other one is put back.
        for (int i = 0; i < paths.size(); ++i) {
            const bool left = how == "locked" || told.contains(paths[i]);
            QCOMPARE(apptest::readFile(paths[i]), left ? added[i] : before[i]);
        }
    }

    void timeStamps_data()
    {
        QTest::addColumn<bool>("notUpdate");
        QTest::newRow("kept") << true;
        QTest::newRow("renewed") << false;
    }

    void timeStamps()
    {
        QFETCH(bool, notUpdate);
        const QString path =
            apptest::copyDatedBack(apptest::sampleWithoutHeader(), m_folder.path(), QStringLiteral("dated.mp3"));
        const QDateTime opened = apptest::lastWriteTime(path);
        Form1->show();
        Form1->Settings.NotUpdate = notUpdate;
        Form1->FileName = path;
        QVERIFY(Form1->OpenCurrentFile());
        Form1->FileSave->trigger();
        QCOMPARE(Form1->Label3->text(), QStringLiteral("This File includes a VBR Header Now."));
        QCOMPARE(apptest::lastWriteTime(path) == opened, notUpdate);
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reasonHolds");
        const QByteArray mp3 = apptest::readFile(apptest::sampleWithoutHeader());
        QTest::newRow("missing") << QStringLiteral("gone.mp3") << QByteArray() << false
                                 << QStringLiteral("Cannot open this file.")
                                 << QStringLiteral("No such file or directory");
        QTest::newRow("locked") << QStringLiteral("busy.mp3") << mp3 << true << QStringLiteral("Cannot open this file.")
                                << QString();
        QTest::newRow("text named .mp3") << QStringLiteral("notes.mp3") << QByteArray("just some words\n") << false
                                         << QStringLiteral("This file is not MPEG/Audio file.") << QString();
        QTest::newRow("empty") << QStringLiteral("empty.mp3") << QByteArray("") << false
                               << QStringLiteral("This file is not MPEG/Audio file.") << QString();
        QTest::newRow("PCM WAVE") << QStringLiteral("speech.wav") << pcmWave() << false
                                  << QStringLiteral("This file is not MPEG/Audio file.") << QStringLiteral("PCM WAVE");
    }

    // The message of the failed step, and below it the reason the command
    // line gives for the same file.
    void openFailures()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, locked);
        QFETCH(QString, message);
        QFETCH(QString, reasonHolds);
        const QString path = QDir(m_folder.path()).filePath(name);
        QFile::remove(path);
        if (name != QStringLiteral("gone.mp3"))
            QVERIFY(apptest::writeFile(path, content));
        brantlow::platform::ExclusiveFile holder;
        if (locked)
            QVERIFY(holder.open(QFile::encodeName(path).toStdString(), brantlow::platform::FileAccess::Read));
        Form1->show();
        // A good file first, so that the failure visibly empties the window.
        Form1->FileName = apptest::sampleWithHeader();
        QVERIFY(Form1->OpenCurrentFile());

        ErrorSeen seen;
        {
            ModalAnswerer answerer(noteErrors(seen));
            Form1->FileName = path;
            QVERIFY(!Form1->OpenCurrentFile());
        }
        QCOMPARE(seen.messages, QStringList{message});
        QCOMPARE(seen.captions, QStringList{name});
        const QString reason = commandLineReason(path);
        QVERIFY(!reason.isEmpty());
        QCOMPARE(seen.reasons, QStringList{reason});
        QVERIFY2(reason.contains(reasonHolds), qPrintable(reason));
        expectEmptyWindow();
        QVERIFY(!Form1->FileDetails->isEnabled());
    }

    void typedNameThatDoesNotExist()
    {
        Form1->show();
        const QString path = QDir(m_folder.path()).filePath(QStringLiteral("typed-in.mp3"));
        ErrorSeen seen;
        // The open dialog first, then the error dialog.
        apptest::triggerAnswering(Form1->FileOpen, [&seen, path](QWidget *modal) {
            if (qobject_cast<QFileDialog *>(modal))
                apptest::chooseFile(path)(modal);
            else
                noteErrors(seen)(modal);
        });
        QCOMPARE(seen.messages, QStringList{QStringLiteral("Cannot open this file.")});
        QCOMPARE(seen.captions, QStringList{QStringLiteral("typed-in.mp3")});
        QCOMPARE(Form1->Settings.Folder, m_folder.path());
        expectEmptyWindow();
    }

    void cancelledOpenDialogChangesNothing()
    {
        Form1->show();
        Form1->FileName = apptest::sampleWithHeader();
        QVERIFY(Form1->OpenCurrentFile());
        const QString folder = Form1->Settings.Folder;
        openByDialog(QString());
        QCOMPARE(Form1->FileName, apptest::sampleWithHeader());
        QCOMPARE(Form1->Label3->text(), kWithHeader);
        QCOMPARE(Form1->Settings.Folder, folder);
    }

    void saveWithoutFileDoesNothing()
    {
        Form1->show();
        ModalAnswerer answerer(apptest::rejectModal);
        Form1->FileSave->trigger();
        QTest::qWait(20);
        QCOMPARE(answerer.count(), 0);
        expectEmptyWindow();
    }

    // The file vanished between open and Save: the error is shown and the
    // status goes back to what the open found, as the file is unchanged.
    void failedSaveKeepsOpenStatus()
    {
        const QString path =
            apptest::copyDatedBack(apptest::sampleWithoutHeader(), m_folder.path(), QStringLiteral("vanishing.mp3"));
        Form1->show();
        Form1->FileName = path;
        QVERIFY(Form1->OpenCurrentFile());
        QVERIFY(QFile::remove(path));
        ErrorSeen seen;
        apptest::triggerAnswering(Form1->FileSave, noteErrors(seen));
        QCOMPARE(seen.messages, QStringList{QStringLiteral("Cannot Add/Remove a VBR Header.")});
        QCOMPARE(seen.captions, QStringList{QStringLiteral("vanishing.mp3")});
        QVERIFY(seen.reasons.value(0).contains(QStringLiteral("No such file or directory")));
        QCOMPARE(Form1->Label3->text(), kWithoutHeader);
        QVERIFY(!saveEntryEnabled());
        QVERIFY(!QFileInfo::exists(path));
    }

    // A file its user may not write, in a folder where no new file can be
    // made: the save is refused, and the dialog says why.
    void saveRefusedByPermissions()
    {
        QDir folder(m_folder.path());
        QVERIFY(folder.mkpath(QStringLiteral("read-only")));
        const QString path = apptest::copyDatedBack(apptest::sampleWithoutHeader(), folder.filePath("read-only"),
                                                    QStringLiteral("kept.mp3"));
        const QByteArray before = apptest::readFile(path);
        Form1->show();
        Form1->FileName = path;
        QVERIFY(Form1->OpenCurrentFile());
        const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto enterable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(path, readable));
        QVERIFY(QFile::setPermissions(folder.filePath("read-only"), readable | enterable));
        // The temporary folder itself is only its owner's: "nobody" must reach the file.
        const QFile::Permissions folderBefore = QFile::permissions(m_folder.path());
        QVERIFY(QFile::setPermissions(m_folder.path(), folderBefore | enterable));
        ErrorSeen seen;
        {
            const WithoutRootRights unprivileged;
            if (unprivileged.holds())
                apptest::triggerAnswering(Form1->FileSave, noteErrors(seen));
        }
        QFile::setPermissions(m_folder.path(), folderBefore);
        QFile::setPermissions(folder.filePath("read-only"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (seen.messages.isEmpty() && geteuid() == 0)
            QSKIP("root's file rights cannot be dropped here");
        QCOMPARE(seen.messages, QStringList{QStringLiteral("Cannot Add/Remove a VBR Header.")});
        QVERIFY2(seen.reasons.value(0).contains(QStringLiteral("Permission denied")),
                 qPrintable(seen.reasons.value(0)));
        QCOMPARE(Form1->Label3->text(), kWithoutHeader);
        QCOMPARE(apptest::readFile(path), before);
    }

    void detailsAndFix_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<bool>("headerRemovedFirst");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QStringList>("facts");
        QTest::addColumn<bool>("fixable");
        QTest::addColumn<QString>("fixedStatus"); // a truncated file is told apart
        const QString right = QStringLiteral("This File's VBR Header is right Now.");
        // The header's fields as mutagen reads them.
        QTest::newRow("stale") << apptest::sampleFile("real/cut_stale.mp3") << false << QStringLiteral("Stale: ")
                               << QStringList{QStringLiteral("Xing, 60 frames, 5803 bytes"),
                                              QStringLiteral("LAME3.100, delay 576 samples, padding 909 samples"),
                                              QStringLiteral("track -7.9 dB")}
                               << true << QStringLiteral("Header fixed; the File looks truncated.");
        QTest::newRow("missing") << apptest::sampleWithoutHeader() << false << QStringLiteral("Missing: ")
                                 << QStringList{QStringLiteral("none")} << true << right;
        QTest::newRow("right") << apptest::sampleWithHeader() << false << QStringLiteral("Right: ")
                               << QStringList{QStringLiteral("Xing, ")} << false << right;
        QTest::newRow("not needed") << apptest::sampleFile("real/info_lame.mp3") << true
                                    << QStringLiteral("Not needed: ") << QStringList{QStringLiteral("constant bitrate")}
                                    << false << right;
    }

    // Details shows the verdict and the header's facts; Fix is offered for a
    // stale or missing header and writes what the command line's fix writes.
    void detailsAndFix()
    {
        QFETCH(QString, sample);
        QFETCH(bool, headerRemovedFirst);
        QFETCH(QString, verdict);
        QFETCH(QStringList, facts);
        QFETCH(bool, fixable);
        QFETCH(QString, fixedStatus);
        const QString path = apptest::copyDatedBack(sample, m_folder.path(), QStringLiteral("details.mp3"));
        const QString byCli = apptest::copyDatedBack(sample, m_folder.path(), QStringLiteral("by-cli.mp3"));
        if (headerRemovedFirst) {
            QVERIFY(runCli({QStringLiteral("remove"), QStringLiteral("-q"), path}));
            QVERIFY(runCli({QStringLiteral("remove"), QStringLiteral("-q"), byCli}));
        }
        Form1->show();
        QVERIFY(!Form1->FileDetails->isEnabled());
        Form1->FileName = path;
        QVERIFY(Form1->OpenCurrentFile());
        QCOMPARE(Form1->FileFix->isEnabled(), fixable);

        QString shownVerdict, shown;
        const int dialogs = apptest::triggerAnswering<TDetailsDBox>(Form1->FileDetails, [&](TDetailsDBox *dialog) {
            shownVerdict = dialog->Verdict->text();
            for (QLabel *row : {dialog->Header, dialog->Stream, dialog->Encoder, dialog->Gain, dialog->Tags})
                shown += row->text() + QLatin1Char('\n');
            dialog->accept();
        });
        QCOMPARE(dialogs, 1);
        QVERIFY2(shownVerdict.startsWith(verdict), qPrintable(shownVerdict));
        for (const QString &fact : facts)
            QVERIFY2(shown.contains(fact), qPrintable(fact + QStringLiteral(" not in:\n") + shown));
        if (!fixable)
            return;

        QCOMPARE(apptest::triggerAnswering(Form1->FileFix, apptest::rejectModal), 0);
        QCOMPARE(Form1->Label3->text(), fixedStatus);
        QVERIFY(!Form1->FileFix->isEnabled() && !saveEntryEnabled());
        QVERIFY(runCli({QStringLiteral("fix"), QStringLiteral("-q"), byCli}));
        QCOMPARE(apptest::readFile(path), apptest::readFile(byCli));
        // Details now tells of the fixed file.
        apptest::triggerAnswering<TDetailsDBox>(Form1->FileDetails, [&](TDetailsDBox *dialog) {
            shownVerdict = dialog->Verdict->text();
            dialog->accept();
        });
        QVERIFY2(shownVerdict.startsWith(QStringLiteral("Right: ")), qPrintable(shownVerdict));
    }

    void batchCommandLine_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("absolute paths") << false;
        QTest::newRow("relative to the working folder") << true;
    }

    // brantlow --batch FOLDER FILE: the batch window over the main window,
    // the folder scanned and the file listed as if both had been dropped.
    void batchCommandLine()
    {
        QFETCH(bool, relative);
        QDir folder(m_folder.path());
        QVERIFY(folder.mkpath(QStringLiteral("album/disc 2")));
        const QByteArray mp3 = apptest::readFile(apptest::sampleWithoutHeader());
        for (const char *name : {"album/a.mp3", "album/disc 2/b.mp3", "album/notes.txt", "single.wav"})
            QVERIFY(apptest::writeFile(folder.filePath(QLatin1String(name)), mp3));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        const QString prefix = relative ? QStringLiteral("./") : folder.path() + QLatin1Char('/');
        Form1->setCommandLine(QStringList{QStringLiteral("--batch"), prefix + QStringLiteral("album/"),
                                          prefix + QStringLiteral("single.wav")});
        QStringList listed;
        bool mainWindowShown = false;
        {
            ModalAnswerer answerer([&](QWidget *modal) {
                if (modal != MultiFileDBox || MultiFileDBox->CheckListBox1->count() < 3)
                    return; // not listed yet: the next look
                mainWindowShown = Form1->isVisible();
                for (int row = 0; row < MultiFileDBox->CheckListBox1->count(); ++row)
                    listed << MultiFileDBox->CheckListBox1->path(row);
                apptest::rejectModal(modal);
            });
            Form1->show();
            QTRY_VERIFY(!listed.isEmpty());
        }
        QDir::setCurrent(previous);
        QVERIFY(mainWindowShown);
        listed.sort();
        QCOMPARE(listed,
                 QStringList({folder.filePath("album/a.mp3"), folder.filePath("album/disc 2/b.mp3"),
                              folder.filePath("single.wav")}));
        expectEmptyWindow();
    }

    void dropOpensFirstFileOnly()
    {
        const QString first =
            apptest::copyDatedBack(apptest::sampleWithHeader(), m_folder.path(), QStringLiteral("first.mp3"));
        const QString second =
            apptest::copyDatedBack(apptest::sampleWithoutHeader(), m_folder.path(), QStringLiteral("second.mp3"));
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        const QString folderBefore = Form1->Settings.Folder;
        QVERIFY(Form1->acceptDrops());

        QVERIFY(apptest::dropUrls(
            Form1, {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second), QUrl::fromLocalFile(second)}));
        QTRY_COMPARE(Form1->Edit1->text(), first);
        QCOMPARE(Form1->Label3->text(), kWithHeader);
        QCOMPARE(Form1->Settings.Folder, folderBefore);
        QCOMPARE(Form1->openDialogFolder(), folderBefore);
    }

    void multipleEmptiesWindow()
    {
        Form1->show();
        Form1->FileName = apptest::sampleWithHeader();
        QVERIFY(Form1->OpenCurrentFile());
        QWidget *shown = nullptr;
        apptest::triggerAnswering(Form1->FileMultiple, [&shown](QWidget *modal) {
            shown = modal;
            apptest::rejectModal(modal);
        });
        QCOMPARE(shown, static_cast<QWidget *>(MultiFileDBox));
        QVERIFY(!Form1->BinEdit.Image);
        expectEmptyWindow();
    }

    void batchWindowReadsTheMainWindow_data()
    {
        QTest::addColumn<bool>("subDirectory");
        QTest::addColumn<bool>("notUpdate");
        QTest::addColumn<int>("maxOffset");
        QTest::addColumn<bool>("noErrDialog");
        QTest::addColumn<bool>("delItems");
        // Between them the two rows tell every two switches apart.
        QTest::newRow("first") << false << true << 17 << true << false;
        QTest::newRow("second") << false << true << -4 << false << true;
    }

    // Each value read when the batch window needs it, from the main window's
    // settings record and path box; its error dialog is the program's one.
    void batchWindowReadsTheMainWindow()
    {
        QFETCH(bool, subDirectory);
        QFETCH(bool, notUpdate);
        QFETCH(int, maxOffset);
        QFETCH(bool, noErrDialog);
        QFETCH(bool, delItems);
        const BatchHost host = mainWindowHost();
        Form1->Settings.SubDirectory = subDirectory;
        Form1->Settings.NotUpdate = notUpdate;
        Form1->Settings.MaxOffset = maxOffset;
        Form1->Settings.NoErrDialog = noErrDialog;
        Form1->Settings.DelItems = delItems;
        QFont pathFont(QStringLiteral("Courier"));
        pathFont.setPointSize(15);
        Form1->Edit1->setFont(pathFont);

        const BatchSettings read = host.settings();
        QCOMPARE(read.SubDirectory, subDirectory);
        QCOMPARE(read.NotUpdate, notUpdate);
        QCOMPARE(read.MaxOffset, maxOffset);
        QCOMPARE(read.NoErrDialog, noErrDialog);
        QCOMPARE(read.DelItems, delItems);
        QCOMPARE(host.openDialogFolder(), Form1->openDialogFolder());
        QCOMPARE(host.listFont(), pathFont);
        QVERIFY(!host.listTextColour());
        QPalette palette = Form1->Edit1->palette();
        palette.setColor(QPalette::Text, Qt::red);
        Form1->Edit1->setPalette(palette);
        QCOMPARE(host.listTextColour().value_or(QColor()), QColor(Qt::red));
        QCOMPARE(host.errorDialog, MultiErrorDBox);

        // "&Multiple" shows the batch window with the path box's font.
        QFont listFont;
        apptest::triggerAnswering(Form1->FileMultiple, [&listFont](QWidget *modal) {
            listFont = MultiFileDBox->CheckListBox1->font();
            apptest::rejectModal(modal);
        });
        QCOMPARE(listFont, pathFont);
    }

    void onlyTheWidthCanChange()
    {
        Form1->show();
        QCOMPARE(Form1->size(), QSize(435, 174));
        QCOMPARE(Form1->minimumHeight(), 174);
        QCOMPARE(Form1->maximumHeight(), 174);
        QCOMPARE(Form1->minimumWidth(), 150);
        QCOMPARE(Form1->maximumWidth(), Form1->screen()->geometry().width());

        // The group box and the path box follow the right edge.
        const int groupRight = Form1->width() - Form1->GroupBox1->geometry().right();
        const int editRight = Form1->GroupBox1->width() - Form1->Edit1->geometry().right();
        Form1->resize(600, 300);
        QCOMPARE(Form1->size(), QSize(600, 174));
        QCOMPARE(Form1->width() - Form1->GroupBox1->geometry().right(), groupRight);
        QCOMPARE(Form1->GroupBox1->width() - Form1->Edit1->geometry().right(), editRight);
        Form1->resize(100, 174);
        QCOMPARE(Form1->width(), 150);
    }

    void exitClosesTheWindow()
    {
        Form1->show();
        Form1->FileExit->trigger();
        QVERIFY(!Form1->isVisible());
        QVERIFY(QFileInfo::exists(brantlow::settingsFilePath()));
    }

private:
    // Triggers an undo entry; it must come back at once with the undo still
    // running (the summary waits for the event loop), where `whileRunning`
    // looks at it. Returns the summary's text once it comes.
    static QString undoSummary(QAction *entry, const std::function<void()> &whileRunning)
    {
        QString told;
        ModalAnswerer answerer(apptest::answerOnly<QMessageBox>([&told](QMessageBox *box) {
            told = box->text();
            box->accept();
        }));
        entry->trigger();
        [&] { QCOMPARE(answerer.count(), 0); }();
        if (whileRunning)
            whileRunning();
        [&] { QTRY_COMPARE(answerer.count(), 1); }();
        return told;
    }

    QTemporaryDir m_folder;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
