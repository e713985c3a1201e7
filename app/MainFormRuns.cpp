// SPDX-License-Identifier: GPL-3.0-or-later
// Rewrites of the open file, each a run of its own with its undo log, and
// taking the last run back.

#include "MainForm.h"

#include "widgets/RecoveryNotice.h"

#include "batch/RunLog.h"
#include "batch/UndoProgress.h"
#include "job/RewriteJobCount.h"

#include <QAction>
#include <QLabel>

namespace {

// The status after a rewrite in the given mode.
QString successStatus(brantlow::RewriteMode mode)
{
    switch (mode) {
    case brantlow::RewriteMode::Add:
        return TForm1::tr("This File includes a VBR Header Now.");
    case brantlow::RewriteMode::Remove:
        return TForm1::tr("This File includes no VBR Header Now.");
    case brantlow::RewriteMode::Fix:
        return TForm1::tr("This File's VBR Header is right Now.");
    }
    return {};
}

} // namespace

brantlow::RewriteResult TForm1::rewriteAs(brantlow::RewriteMode mode)
{
    brantlow::RewriteOptions options;
    options.mode = mode;
    options.keepTimes = Settings.NotUpdate;
    options.seekRange = Settings.MaxOffset;
    recoverInterruptedRewrites(this, {Opened.path});
    RunLog log = startRunLog(mode);
    options.undoLog = log.log.get();
    m_lastRewrite = brantlow::rewriteOpened(BinEdit, Opened, options);
    brantlow::BatchCounts counts;
    (m_lastRewrite.ok() ? counts.done : counts.failed) = 1;
    endRunLog(this, log, counts);
    // A failure leaves the file as it was opened.
    if (m_lastRewrite.ok()) {
        // A fixed file that lost its end needs a new copy more than a new header.
        Label3->setText(m_lastRewrite.truncated ? tr("Header fixed; the File looks truncated.")
                                                : successStatus(options.mode));
        learnFacts(false);
    } else {
        Label3->setText(m_openStatus);
    }
    return m_lastRewrite;
}

void TForm1::FileUndoLastRunExecute()
{
    if (m_undo)
        return;
    // The open file may be one the run changed: it is neither shown nor
    // rewritten until it is read again afterwards.
    BinEdit.ReleaseImage();
    disableRewriteEntries();
    forgetFacts();
    setUndoRunning(true);
    m_undo = new UndoProgress(this);
    connect(m_undo, &UndoProgress::finished, this, &TForm1::undoFinished);
    m_undo->start(brantlow::defaultRewriteJobs());
}

void TForm1::setUndoRunning(bool running)
{
    // No other file is opened, and no run or second undo started, while
    // the files are put back.
    for (QAction *entry : {FileOpen, FileMultiple, FileUndoLastRun})
        entry->setEnabled(!running);
}

void TForm1::undoFinished()
{
    m_undo->deleteLater();
    m_undo = nullptr;
    setUndoRunning(false);
    if (!FileName.isEmpty())
        OpenCurrentFile();
}
