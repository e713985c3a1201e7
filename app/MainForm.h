// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FontDialog.h"
#include "PathBoxFont.h"
#include "SettingsRecord.h"

#include "engine/Binedit.h"
#include "engine/FileCheck.h"
#include "job/RewriteJob.h"

#include <QMainWindow>
#include <QStringList>

#include <optional>

class QAction;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolBar;
class QToolButton;
class TDetailsDBox;
class UndoProgress;

// The main window and its single-file mode: one file opened, its VBR header
// state shown, and Save adding or removing the header in place. It owns the
// settings record, loads it when created and shown, and writes it at close.
// Details shows what the file holds, and Fix makes a stale or missing header
// right as the command line's fix does.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The initial folder of the open dialog; the batch window's file dialog
    // starts there too.
    QString openDialogFolder() const;
    // Replaces the program's own arguments (without the program name) that
    // FormShow looks at: main hands over their bytes; tests use text.
    void setCommandLine(const QList<QByteArray> &arguments);
    void setCommandLine(const QStringList &arguments);

    SettingsRecord Settings;

    QString FileName;
    bool AddMode = false;
    brantlow::TBinEdit BinEdit;
    // The path and time stamps captured when FileName was opened.
    brantlow::OpenedFile Opened;
    // Character set, colour and pitch of Edit1's font as the settings file has them.
    brantlow::FontExtras PathFontExtras;

    QToolBar *ToolBar1;
    QToolButton *ToolButton2;
    QToolButton *ToolButton3;
    QGroupBox *GroupBox1;
    QLabel *Label1;
    QLineEdit *Edit1;
    QLabel *Label2;
    QLabel *Label3;

    QAction *FileOpen;
    QAction *FileSave;
    QAction *FileFix;
    QAction *FileDetails;
    QAction *FileMultiple;
    QAction *FileUndoLastRun;
    QAction *FileExit;
    QAction *HelpAbout;
    QAction *SettingOther;
    QAction *SettingFont;
    // The "File" menu's save entry: enabled and captioned together with
    // ToolButton3, apart from the FileSave action.
    QAction *Save1;

    QFileDialog *OpenDialog1;
    FontDialog *FontDialog1;
    TDetailsDBox *DetailsDialog1;

public slots:
    void FileOpenExecute();
    void FileSaveExecute();
    void FileFixExecute();
    void FileDetailsExecute();
    void FileMultipleExecute();
    void FileUndoLastRunExecute();
    void FileExitExecute();
    void HelpAboutExecute();
    void SettingOtherExecute();
    void SettingFontExecute();

public:
    bool OpenCurrentFile();
    // The undo of the last run, while it runs.
    UndoProgress *runningUndo() const { return m_undo; }
    bool RewriteCurrentFile();
    void ShowOpenError();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildLayout();
    void buildActions();
    void setSaveEntryEnabled(bool enabled);
    // Save and Fix after a rewrite, whichever it was: to change the file
    // again, the user opens it again.
    void disableRewriteEntries();
    // What the open file holds, read for Details from the loaded image (and
    // Fix offered when asked and its header is stale or missing); forgotten
    // when no file is open (MainFormDetails.cpp).
    void learnFacts(bool offerFix);
    void forgetFacts();
    // Adds, removes or fixes the header of the open file and saves it; the
    // job's result, the status label showing the outcome.
    brantlow::RewriteResult rewriteAs(brantlow::RewriteMode mode);
    // ErrorDBox with the message and the failure's reason.
    void showError(const char *message, const brantlow::RewriteResult &result);
    // The batch window, with these files and folders listed as if dropped.
    void showBatchWindow(const QList<QByteArray> &paths);
    // The undo of the last run (MainFormRuns.cpp).
    void setUndoRunning(bool running);
    void undoFinished();
    void FormShow();
    void FormClose();
    // Settings file passes (MainFormSettings.cpp).
    void LoadSettings();
    void LoadFont();
    void SaveSettings();
    void applyGeometry(int left, int top, int width, int height);
    // Gives Edit1 the font and the colour PathFontExtras names.
    void applyPathFont(const QFont &font);

    // The bytes of the path FileName shows (file names need not be UTF-8);
    // FileName set on its own is looked up from its text.
    QByteArray localFileName() const;

    QList<QByteArray> m_commandLine;
    QByteArray m_localFileName;
    QString m_openDialogFolder;
    // Label3's text after the last successful open, shown again when a save fails.
    QString m_openStatus;
    // What the open file holds: found at the open, and again after a
    // successful rewrite (a failed one leaves the file as it was opened).
    std::optional<brantlow::FileCheck> m_facts;
    brantlow::RewriteResult m_lastRewrite;
    UndoProgress *m_undo = nullptr; // while an undo runs
};
