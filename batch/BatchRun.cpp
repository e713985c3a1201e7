// SPDX-License-Identifier: GPL-3.0-or-later
// The run of the multiple-file window: every checked row, in the order
// shown, through the runner the command line uses, on threads of its own.
// Reports come back in that order through a queued signal; the window stays
// free to answer, and Stop (the Folder button, or Esc) ends the run after
// the files in flight.

#include "AllRewriteDialog.h"
#include "RunLog.h"
#include "BackgroundRun.h"
#include "FileCheckList.h"
#include "MultiErrorDialog.h"
#include "ReasonText.h"
#include "RunCounter.h"
#include "StateChecker.h"
#include "UndoProgress.h"

#include "job/RewriteJobCount.h"
#include "widgets/LocalPath.h"
#include "widgets/RecoveryNotice.h"

#include "platform/PathParts.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using brantlow::Outcome;
using brantlow::RewriteMode;

RewriteMode TMultiFileDBox::selectedMode() const
{
    return AddMode == 1 ? RewriteMode::Add : AddMode == 2 ? RewriteMode::Fix : RewriteMode::Remove;
}

void TMultiFileDBox::Button2Click()
{
    if (m_running || m_scanning || m_undo)
        return;
    // The run takes its rows, mode and settings now; the controls that
    // would change them are disabled until it ends.
    m_runSettings = settings();
    m_runRows.clear();
    m_runPaths.clear();
    std::vector<brantlow::BatchItem> items;
    std::uint64_t largest = 0;
    for (int row = 0; row < CheckListBox1->count(); ++row) {
        if (!CheckListBox1->isChecked(row))
            continue;
        m_runRows.push_back(CheckListBox1->rowId(row));
        m_runPaths.push_back(CheckListBox1->localPath(row));
        brantlow::BatchItem item;
        item.path = m_runPaths.back().toStdString();
        item.named = true;
        item.bytes = brantlow::regularFileBytes(item.path);
        largest = std::max(largest, item.bytes);
        items.push_back(std::move(item));
    }
    std::vector<std::string> paths;
    for (const brantlow::BatchItem &item : items)
        paths.push_back(item.path);
    recoverInterruptedRewrites(this, paths);
    const int total = int(items.size());
    Counter->setCounts(0, total);
    // A Qt progress bar whose range is 0 to 0 shows a busy animation; an
    // empty run shows an empty bar instead.
    ProgressBar1->setRange(0, total > 0 ? total : 1);
    ProgressBar1->setValue(0);
    m_runDone = 0;
    m_reports.clear();
    m_runCounts.reset();
    m_running = true;
    setControlsEnabled(false);
    Button3->setText(stopCaption());
    showRunningFile(0);

    brantlow::BatchOptions options;
    options.jobs = m_runJobs > 0 ? m_runJobs : brantlow::defaultRewriteJobs();
    options.memoryBudget = brantlow::defaultMemoryBudget(largest);
    brantlow::RewriteOptions rewrite;
    rewrite.mode = selectedMode();
    rewrite.keepTimes = m_runSettings.NotUpdate;
    rewrite.seekRange = m_runSettings.MaxOffset;
    const bool ask = !m_runSettings.NoErrDialog && m_host.errorDialog != nullptr;
    // No check holds a file the run needs: none starts now, the one in
    // progress ends before the first file, and the run's reports stand for
    // the checks of its files.
    m_checker->pause();
    m_checker->clear();
    m_runLog = startRunLog(rewrite.mode);
    rewrite.undoLog = m_runLog.log.get();
    StateChecker *checker = m_checker.get();
    m_run->start(std::move(items), options, rewrite, ask, [checker] { checker->waitIdle(); });
}

void TMultiFileDBox::stopRun()
{
    if (!m_running || m_run->stopping())
        return;
    m_run->stop();
    Button3->setEnabled(false);
}

void TMultiFileDBox::fileReported(qsizetype index, const brantlow::FileReport &report, const ListState &state)
{
    m_reports.emplace_back(index, report, state);
    takeReports();
}

void TMultiFileDBox::takeReports()
{
    // An error dialog's own event loop brings more reports: they wait for
    // the answer, so that the list follows the order of the run.
    if (m_asking)
        return;
    while (!m_reports.empty()) {
        const auto [index, report, state] = std::move(m_reports.front());
        m_reports.pop_front();
        takeReport(index, report, state);
        if (m_asking)
            return;
    }
    if (m_runCounts)
        finishRun();
}

void TMultiFileDBox::takeReport(qsizetype index, const brantlow::FileReport &report, const ListState &state)
{
    ++m_runDone;
    Counter->setCounts(m_runDone, int(m_runRows.size()));
    ProgressBar1->setValue(m_runDone);
    showRunningFile(index + 1);
    QTreeWidgetItem *row = CheckListBox1->itemWithId(m_runRows[size_t(index)]);
    if (!row)
        return;
    FileCheckList::setState(row, listStateText(state));
    if (report.outcome == Outcome::Failed) {
        // A failed file keeps its mark. Once the run stops, later failures
        // are only listed.
        if (m_run->stopping() || m_runSettings.NoErrDialog || !m_host.errorDialog)
            return;
        if (askAboutFailure(index, QString::fromStdString(report.err)))
            m_run->answered();
        else
            stopRun();
        return;
    }
    row->setCheckState(FileCheckList::PathColumn, Qt::Unchecked);
    if (report.outcome == Outcome::Done && m_runSettings.DelItems)
        CheckListBox1->removeItem(row);
}

bool TMultiFileDBox::askAboutFailure(qsizetype index, const QString &message)
{
    TMultiErrorDBox *dialog = m_host.errorDialog;
    dialog->Label1->setText(message);
    dialog->FileName = m_runPaths[size_t(index)];
    m_asking = true;
    const int result = dialog->exec();
    m_asking = false;
    return result == TMultiErrorDBox::kContinue;
}

void TMultiFileDBox::showRunningFile(qsizetype next)
{
    if (next >= qsizetype(m_runPaths.size()))
        return;
    const QByteArray &path = m_runPaths[size_t(next)];
    FileName = shownPath(path);
    setWindowTitle(tr("Rewriting: ")
                   + shownPath(QByteArray::fromStdString(brantlow::platform::namePart(path.toStdString()))));
}

QString TMultiFileDBox::runSummary(const brantlow::BatchCounts &counts) const
{
    const bool stopped = counts.notReached > 0 || m_run->stopping();
    if (counts.failed == 0 && !stopped)
        return tr("Rewrite OK");
    QStringList parts;
    if (counts.failed > 0)
        parts << tr("%n failed", nullptr, int(counts.failed));
    parts << tr("%n rewritten", nullptr, int(counts.done));
    if (counts.unchanged > 0)
        parts << tr("%n unchanged", nullptr, int(counts.unchanged));
    if (counts.notReached > 0)
        parts << tr("%n not reached", nullptr, int(counts.notReached));
    const QString summary = parts.join(QStringLiteral(", "));
    return stopped ? tr("Canceled: ") + summary : summary;
}

void TMultiFileDBox::finishRun()
{
    m_run->join();
    const brantlow::BatchCounts counts = *m_runCounts;
    m_runCounts.reset();
    const bool stopped = m_run->stopping();
    setWindowTitle(runSummary(counts));
    endRunLog(this, m_runLog, counts);
    if (!stopped)
        QApplication::beep();
    BinEdit.ReleaseImage();
    m_running = false;
    Button3->setText(folderCaption());
    setControlsEnabled(true);
    m_checker->resume();
    checkStatesMissing();
    if (!m_waitingDrops.isEmpty())
        WMDropFiles(std::exchange(m_waitingDrops, {}));
    emit runFinished();
    if (m_closeRequested) {
        m_closeRequested = false;
        done(m_closeResult);
    }
}

void TMultiFileDBox::UndoLastRunExecute()
{
    if (m_running || m_scanning || m_undo)
        return;
    // No check holds a file open while it is put back: none starts now, and
    // the undo waits for the one in progress on its own thread.
    m_checker->pause();
    m_checker->clear();
    m_undo = new UndoProgress(this);
    setUndoRunning(true);
    connect(m_undo, &UndoProgress::finished, this, &TMultiFileDBox::undoFinished);
    StateChecker *checker = m_checker.get();
    m_undo->start(m_runJobs > 0 ? m_runJobs : brantlow::defaultRewriteJobs(), [checker] { checker->waitIdle(); });
}

void TMultiFileDBox::setUndoRunning(bool running)
{
    // Neither a run nor a second undo while the files are put back.
    Button2->setEnabled(!running);
    UndoLastRun1->setEnabled(!running);
}

void TMultiFileDBox::undoFinished()
{
    m_undo->deleteLater();
    m_undo = nullptr;
    setUndoRunning(false);
    m_checker->resume();
    // What each listed file holds now.
    for (int row = 0; row < CheckListBox1->count(); ++row)
        m_checker->enqueue(CheckListBox1->rowId(row), CheckListBox1->localPath(row));
    if (m_closeRequested) {
        m_closeRequested = false;
        done(m_closeResult);
    }
}

void TMultiFileDBox::checkStatesMissing()
{
    for (int row = 0; row < CheckListBox1->count(); ++row) {
        if (CheckListBox1->state(row).isEmpty())
            m_checker->enqueue(CheckListBox1->rowId(row), CheckListBox1->localPath(row));
    }
}

void TMultiFileDBox::stateChecked(quint64 id, const brantlow::FileState &state)
{
    if (QTreeWidgetItem *row = CheckListBox1->itemWithId(id))
        FileCheckList::setState(row, stateColumnText(state));
}
