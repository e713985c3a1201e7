// SPDX-License-Identifier: GPL-3.0-or-later
// The batch window's folder scan: the shared folder walker, run on the
// user-interface thread while the window keeps repainting and taking input,
// with the counts so far in the caption and a way to cancel it.

#include "AllRewriteDialog.h"
#include "FileCheckList.h"

#include "widgets/FileDialogs.h"
#include "widgets/LocalPath.h"

#include "platform/DirectoryWalk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Waiting events are handled this often during a scan: by count, so that a
// fast scan still lets them in, and by time, for slow folders.
constexpr unsigned kEntriesBetweenEvents = 64;
constexpr qint64 kMillisecondsBetweenEvents = 50;
// Problems named in the report's text; all of them are in its details.
constexpr int kProblemsShown = 5;

// The folder and the system's own reason.
QString problemLine(const brantlow::platform::WalkProblem &problem)
{
    return TMultiFileDBox::tr("%1: %2").arg(shownPath(QByteArray::fromStdString(problem.path)),
                                            QString::fromLocal8Bit(problem.reason.c_str()));
}

} // namespace

void TMultiFileDBox::Button3Click()
{
    // During a run this is the Stop button.
    if (m_running) {
        stopRun();
        return;
    }
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Select a folder."));
    closeLeftoverCompletion();
    if (folder.isEmpty())
        return;
    setPushButtonsEnabled(false);
    // The dialog shows folder names that are not UTF-8 with replacement characters.
    MergeScan(localPathOf(folder));
    setPushButtonsEnabled(true);
}

void TMultiFileDBox::MergeScan(const QByteArray &folder)
{
    QList<QByteArray> found;
    SearchFolder(found, folder);
    CheckListBox1->mergeChecked(found);
}

void TMultiFileDBox::SearchFolder(QList<QByteArray> &list, const QByteArray &folder)
{
    using namespace brantlow::platform;
    if (m_scanning)
        return;
    m_scanning = true;
    m_scanCancelled = false;

    // While the scan runs, "&Folder" cancels it and nothing else may start;
    // drops wait for the next scan.
    const bool enabled[] = {Button1->isEnabled(), Button2->isEnabled(), Button3->isEnabled()};
    const QString caption = windowTitle();
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    Button3->setText(scanCancelCaption());
    Button3->setEnabled(true);
    CheckListBox1->setAcceptDrops(false);

    WalkOptions options;
    options.recursive = settings().SubDirectory;
    options.extensions = audioExtensions();
    std::vector<WalkProblem> problems;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    unsigned entries = 0;
    WalkCallbacks callbacks;
    callbacks.file = [&](const FoundFile &file) { list.append(QByteArray::fromStdString(file.path)); };
    callbacks.problem = [&](const WalkProblem &problem) { problems.push_back(problem); };
    callbacks.keepGoing = [&](const WalkProgress &progress) {
        if (entries++ % kEntriesBetweenEvents == 0 || sinceEvents.elapsed() >= kMillisecondsBetweenEvents) {
            setWindowTitle(tr("Scanning: %1, %2")
                               .arg(tr("%n folders", nullptr, int(progress.folders)),
                                    tr("%n files", nullptr, int(progress.files))));
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        return !m_scanCancelled;
    };
    DirectoryWalker walker(options, callbacks);
    walker.walk(folder.toStdString());

    setWindowTitle(caption);
    Button3->setText(folderCaption());
    Button1->setEnabled(enabled[0]);
    Button2->setEnabled(enabled[1]);
    Button3->setEnabled(enabled[2]);
    CheckListBox1->setAcceptDrops(true);
    m_scanning = false;
    reportScanProblems(problems);

    if (m_closeRequested && !m_running) {
        m_closeRequested = false;
        QMetaObject::invokeMethod(this, [this] { done(m_closeResult); }, Qt::QueuedConnection);
    }
}

void TMultiFileDBox::reportScanProblems(const std::vector<brantlow::platform::WalkProblem> &problems)
{
    if (problems.empty())
        return;
    // Not modal: the files found are listed and the user goes on working.
    if (!m_scanReport) {
        m_scanReport = new QMessageBox(QMessageBox::Warning, tr("Folder scan"), QString(), QMessageBox::Close, this);
        m_scanReport->setModal(false);
    }
    QStringList lines;
    for (const auto &problem : problems)
        lines << problemLine(problem);
    QString text = problems.size() == 1 ? tr("1 folder could not be scanned:")
                                        : tr("%n folders could not be scanned:", nullptr, int(problems.size()));
    text += QLatin1Char('\n') + lines.mid(0, kProblemsShown).join(QLatin1Char('\n'));
    if (lines.size() > kProblemsShown)
        text += QStringLiteral("\n...");
    m_scanReport->setText(text);
    m_scanReport->setDetailedText(lines.join(QLatin1Char('\n')));
    m_scanReport->show();
}

void TMultiFileDBox::keyPressEvent(QKeyEvent *event)
{
    // Esc cancels a scan and stops a run; otherwise it closes the window.
    if ((m_scanning || m_running) && event->key() == Qt::Key_Escape) {
        m_scanCancelled = true;
        stopRun();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
