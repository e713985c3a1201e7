// The run of the multiple-file window: every checked item, in list order,
// through the shared per-file rewrite.

#include "AllRewriteDialog.h"
#include "FileCheckList.h"
#include "MultiErrorDialog.h"

#include "widgets/LocalPath.h"

#include "platform/PathParts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <functional>
#include <utility>

using brantlow::RewriteMode;
using brantlow::RewriteStep;

namespace {

// Puts the window back into its idle state however the run ends, so that an
// exception from the engine (memory exhausted) cannot leave the buttons
// disabled and the window unable to close.
class RunScope {
public:
    RunScope(bool &running, std::function<void()> onEnd) : m_running(running), m_onEnd(std::move(onEnd))
    {
        m_running = true;
    }
    ~RunScope()
    {
        m_running = false;
        m_onEnd();
    }
    RunScope(const RunScope &) = delete;
    RunScope &operator=(const RunScope &) = delete;

private:
    bool &m_running;
    std::function<void()> m_onEnd;
};

} // namespace

void TMultiFileDBox::Button2Click()
{
    if (m_running)
        return;
    setPushButtonsEnabled(false);
    {
        RunScope scope(m_running, [this] {
            BinEdit.ReleaseImage();
            setPushButtonsEnabled(true);
        });

        const int checked = CheckListBox1->checkedCount();
        Label3->setText(QString::number(checked) + QStringLiteral(" Files"));
        // A Qt progress bar whose range is 0 to 0 shows a busy animation; an
        // empty run shows an empty bar instead.
        ProgressBar1->setRange(0, checked > 0 ? checked : 1);
        ProgressBar1->setValue(0);
        Label1->setText(QStringLiteral("0"));
        bool cancelled = false;

        // The bound is read again before every position: items dropped during
        // the run are taken in the same run when they are checked.
        for (int position = 0; position < CheckListBox1->count(); ++position) {
            if (!CheckListBox1->isChecked(position))
                continue;
            FileName = CheckListBox1->path(position);
            m_itemPath = CheckListBox1->localPath(position);
            setWindowTitle(QStringLiteral("Rewriting: ") + shownPath(QByteArray::fromStdString(
                               brantlow::platform::namePart(m_itemPath.toStdString()))));
            Label1->setText(QString::number(position + 1));
            QCoreApplication::processEvents();

            const RewriteStep step = rewriteItem();
            if (step == RewriteStep::Done) {
                CheckListBox1->setChecked(position, false);
                stepProgress();
                if (settings().DelItems) {
                    delete CheckListBox1->takeItem(position);
                    --position;
                }
            } else if (!reportFailure(step)) {
                cancelled = true;
                break;
            }
        }

        if (cancelled) {
            setWindowTitle(QStringLiteral("Canceled"));
        } else {
            setWindowTitle(QStringLiteral("Rewrite OK"));
            QApplication::beep();
        }
    }

    if (m_closeRequested) {
        m_closeRequested = false;
        done(m_closeResult);
    }
}

RewriteMode TMultiFileDBox::selectedMode() const
{
    return AddMode == 1 ? RewriteMode::Add : RewriteMode::Remove;
}

RewriteStep TMultiFileDBox::rewriteItem()
{
    const brantlow::RewriteResult opened = brantlow::openForRewrite(BinEdit, m_itemPath.toStdString(), m_opened);
    if (!opened.ok())
        return opened.step;
    const RewriteStep modeCheck = brantlow::checkMode(m_opened, selectedMode());
    if (modeCheck != RewriteStep::Done)
        return modeCheck;
    if (!RewriteCurrentFile())
        return m_rewriteFailure;
    return RewriteStep::Done;
}

bool TMultiFileDBox::RewriteCurrentFile()
{
    brantlow::RewriteOptions options;
    options.mode = selectedMode();
    const BatchSettings current = settings();
    options.keepTimes = current.NotUpdate;
    options.seekRange = current.MaxOffset;
    m_rewriteFailure = brantlow::rewriteOpened(BinEdit, m_opened, options).step;
    return m_rewriteFailure == RewriteStep::Done;
}

bool TMultiFileDBox::reportFailure(RewriteStep step)
{
    if (settings().NoErrDialog || !m_host.errorDialog) {
        stepProgress();
        return true;
    }
    TMultiErrorDBox *dialog = m_host.errorDialog;
    dialog->Label1->setText(QString::fromUtf8(brantlow::batchFailureText(step)));
    dialog->FileName = m_itemPath;
    const int result = dialog->exec();
    stepProgress();
    return result == TMultiErrorDBox::kContinue;
}

void TMultiFileDBox::stepProgress()
{
    ProgressBar1->setValue(ProgressBar1->value() + 1);
}
