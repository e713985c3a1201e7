// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AnchoredGeometry.h"
#include "BatchHost.h"
#include "ListRewrite.h"
#include "RunLog.h"

#include "engine/Binedit.h"
#include "job/BatchRunner.h"
#include "job/FileState.h"
#include "job/RewriteJob.h"

#include "platform/DirectoryWalk.h"

#include <QAction>
#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

class BackgroundRun;
class FileCheckList;
class RunCounter;
class StateChecker;
class UndoProgress;
class QFileDialog;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;

// The multiple-file window: a check list of files with each one's state,
// collected by the file dialog, a folder scan or drops, and one run that
// adds, removes or fixes the VBR header in every checked file, several files
// at once, while the window goes on answering.
class TMultiFileDBox : public QDialog {
    Q_OBJECT
public:
    explicit TMultiFileDBox(QWidget *parent = nullptr);
    ~TMultiFileDBox() override;

    // What the window reads of the program around it; set before it is shown.
    void setHost(BatchHost host) { m_host = std::move(host); }

    FileCheckList *CheckListBox1;
    // The list's context menu entry.
    QAction *UndoLastRun1;
    QGroupBox *GroupBox1;
    QRadioButton *RadioButton1; // "Add"
    QRadioButton *RadioButton2; // "Remove"
    QRadioButton *RadioButton3; // "Fix"
    QPushButton *Button1;       // "&Browse"
    QPushButton *Button3;       // "&Folder"
    QPushButton *Button2;       // the run button
    QToolButton *SpeedButton1;  // check all
    QToolButton *SpeedButton2;  // uncheck all
    QLabel *Label4;
    QProgressBar *ProgressBar1;
    RunCounter *Counter; // holds the next three
    QLabel *Label1; // files the run has done
    QLabel *Label2;
    QLabel *Label3; // number of files the run took
    QFileDialog *OpenDialog1;

    QString FileName; // the first file of the run not done yet
    std::uint8_t AddMode = 0; // 1 Add, 0 Remove, 2 Fix
    brantlow::TBinEdit BinEdit;

    // True from the start of a run to its end.
    bool isRunning() const { return m_running; }
    // The undo of the last run, while it runs.
    UndoProgress *runningUndo() const { return m_undo; }
    // Files a run rewrites at once; one per core unless set.
    void setRunJobs(unsigned jobs) { m_runJobs = jobs; }
    // True while a folder scan runs.
    bool isScanning() const { return m_scanning; }

    void Button1Click();
    void Button2Click();
    void UndoLastRunExecute();
    void Button3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    // Files and folders dropped onto the list (their paths' bytes).
    void WMDropFiles(const QList<QByteArray> &names);

    void done(int result) override;

signals:
    // A run has ended and the window is idle again.
    void runFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FormShow();
    // Places the controls at their design bounds, widened for the font in use.
    void placeControls();
    void FormClose();
    void MergeScan(const QByteArray &folder);
    void SearchFolder(QList<QByteArray> &list, const QByteArray &folder);
    void reportScanProblems(const std::vector<brantlow::platform::WalkProblem> &problems);
    void setPushButtonsEnabled(bool enabled);
    // Everything but the Stop button, while a run goes on.
    void setControlsEnabled(bool enabled);
    // A drop over the disabled list during a run, kept for its end.
    bool takesDropDuringRun(QDropEvent *event) const;

    // The run, in BatchRun.cpp.
    brantlow::RewriteMode selectedMode() const;
    void stopRun();
    void fileReported(qsizetype index, const brantlow::FileReport &report, const ListState &state);
    void takeReports();
    void takeReport(qsizetype index, const brantlow::FileReport &report, const ListState &state);
    // Asks Continue or Cancel about a failed file; false for Cancel.
    bool askAboutFailure(qsizetype index, const QString &message);
    void showRunningFile(qsizetype next);
    void finishRun();
    QString runSummary(const brantlow::BatchCounts &counts) const;
    // The undo of the last run, in BatchRun.cpp.
    void setUndoRunning(bool running);
    void undoFinished();
    void checkStatesMissing();
    void stateChecked(quint64 id, const brantlow::FileState &state);

    BatchSettings settings() const { return m_host.settings ? m_host.settings() : BatchSettings{}; }

    // The run button's caption for a mode, and the captions of "&Folder",
    // which cancels a scan and stops a run.
    static QString runCaption(brantlow::RewriteMode mode);
    static QString folderCaption();
    static QString scanCancelCaption();
    static QString stopCaption();

    BatchHost m_host;
    AnchoredGeometry m_geometry;
    std::unique_ptr<StateChecker> m_checker;
    // Declared after the checker, which the run waits for when it starts.
    std::unique_ptr<BackgroundRun> m_run;
    RunLog m_runLog; // the run's, while it runs
    UndoProgress *m_undo = nullptr; // while an undo runs
    unsigned m_runJobs = 0;
    // What a run took when it started: its rows and their paths, and the settings.
    std::vector<quint64> m_runRows;
    std::vector<QByteArray> m_runPaths;
    BatchSettings m_runSettings;
    // Reports that came while an error dialog was up, or before the window took them.
    std::deque<std::tuple<qsizetype, brantlow::FileReport, ListState>> m_reports;
    std::optional<brantlow::BatchCounts> m_runCounts; // set when the run's thread is done
    int m_runDone = 0;
    bool m_asking = false;
    // Files and folders dropped during a run, listed when it ends.
    QList<QByteArray> m_waitingDrops;
    bool m_running = false;
    bool m_scanning = false;
    bool m_scanCancelled = false;
    // Folders the last scan could not read, shown beside the window.
    QPointer<QMessageBox> m_scanReport;
    // A close asked for during a run, carried out when the run ends.
    bool m_closeRequested = false;
    int m_closeResult = QDialog::Rejected;
};
