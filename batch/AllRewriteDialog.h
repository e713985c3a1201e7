#pragma once

#include "AnchoredGeometry.h"
#include "BatchHost.h"

#include "engine/Binedit.h"
#include "job/RewriteJob.h"

#include "platform/DirectoryWalk.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

class FileCheckList;
class QFileDialog;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;

// The multiple-file window: a check list of files, collected by the file
// dialog, a folder scan or drops, and one run that adds or removes the VBR
// header in every checked file.
class TMultiFileDBox : public QDialog {
    Q_OBJECT
public:
    explicit TMultiFileDBox(QWidget *parent = nullptr);
    ~TMultiFileDBox() override;

    // What the window reads of the program around it; set before it is shown.
    void setHost(BatchHost host) { m_host = std::move(host); }

    FileCheckList *CheckListBox1;
    QGroupBox *GroupBox1;
    QRadioButton *RadioButton1; // "Add"
    QRadioButton *RadioButton2; // "Remove"
    QPushButton *Button1;       // "&Browse"
    QPushButton *Button3;       // "&Folder"
    QPushButton *Button2;       // the run button
    QToolButton *SpeedButton1;  // check all
    QToolButton *SpeedButton2;  // uncheck all
    QLabel *Label4;
    QProgressBar *ProgressBar1;
    QLabel *Label1; // list position of the item being rewritten
    QLabel *Label2;
    QLabel *Label3; // number of checked files
    QFileDialog *OpenDialog1;

    QString FileName;         // the item being rewritten
    std::uint8_t AddMode = 0; // 1 Add, 0 Remove
    brantlow::TBinEdit BinEdit;

    // True from the start of a run to its end.
    bool isRunning() const { return m_running; }
    // True while a folder scan runs.
    bool isScanning() const { return m_scanning; }

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void RadioButton1Click();
    void RadioButton2Click();
    // Files and folders dropped onto the list (their paths' bytes).
    void WMDropFiles(const QList<QByteArray> &names);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormShow();
    // Places the controls at their design bounds, widened for the font in use.
    void placeControls();
    void FormClose();
    void MergeScan(const QByteArray &folder);
    void SearchFolder(QList<QByteArray> &list, const QByteArray &folder);
    void reportScanProblems(const std::vector<brantlow::platform::WalkProblem> &problems);
    void setPushButtonsEnabled(bool enabled);

    // Part of the run for one file: the step it ended at.
    brantlow::RewriteStep rewriteItem();
    brantlow::RewriteMode selectedMode() const;
    bool RewriteCurrentFile();
    // Shows the failure; false when the user chose Cancel.
    bool reportFailure(brantlow::RewriteStep step);
    void stepProgress();

    BatchSettings settings() const { return m_host.settings ? m_host.settings() : BatchSettings{}; }

    BatchHost m_host;
    AnchoredGeometry m_geometry;
    // The item's path and the time stamps captured before loading it.
    brantlow::OpenedFile m_opened;
    // The bytes of FileName's path.
    QByteArray m_itemPath;
    brantlow::RewriteStep m_rewriteFailure = brantlow::RewriteStep::Done;
    bool m_running = false;
    bool m_scanning = false;
    bool m_scanCancelled = false;
    // Folders the last scan could not read, shown beside the window.
    QPointer<QMessageBox> m_scanReport;
    // A close asked for during a run, carried out when the run ends.
    bool m_closeRequested = false;
    int m_closeResult = QDialog::Rejected;
};
