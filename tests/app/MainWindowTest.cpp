// The main window driven as a user would: command line, open dialog, drop,
// Save, "&Multiple", and every failure it reports in its error dialog.

#include "AppTestSupport.h"

#include "app/ErrorDialg.h"
#include "batch/AllRewriteDialog.h"
#include "batch/FileCheckList.h"
#include "platform/ExclusiveFile.h"

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

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
        static_cast<QDialog *>(modal)->accept();
    };
}

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
        const QByteArray mp3 = apptest::readFile(apptest::sampleWithoutHeader());
        QTest::newRow("missing") << QStringLiteral("gone.mp3") << QByteArray() << false
                                 << QStringLiteral("Cannot open this file.");
        QTest::newRow("locked") << QStringLiteral("busy.mp3") << mp3 << true << QStringLiteral("Cannot open this file.");
        QTest::newRow("text named .mp3") << QStringLiteral("notes.mp3") << QByteArray("just some words\n") << false
                                         << QStringLiteral("This file is not MPEG/Audio file.");
        QTest::newRow("empty") << QStringLiteral("empty.mp3") << QByteArray("") << false
                               << QStringLiteral("This file is not MPEG/Audio file.");
    }

    void openFailures()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, locked);
        QFETCH(QString, message);
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
        expectEmptyWindow();
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
        QCOMPARE(Form1->Label3->text(), kWithoutHeader);
        QVERIFY(!saveEntryEnabled());
        QVERIFY(!QFileInfo::exists(path));
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
    QTemporaryDir m_folder;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
