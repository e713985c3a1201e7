// SPDX-License-Identifier: GPL-3.0-or-later
#include "UndoProgress.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace {

QString lines(const std::vector<std::string> &texts)
{
    QString text;
    for (const std::string &line : texts)
        text += QStringLiteral("\n") + QString::fromStdString(line);
    return text;
}

} // namespace

UndoProgress::UndoProgress(QWidget *window) : QObject(window), m_window(window)
{
    // Not modal: the window that started the undo goes on answering.
    m_progress = new QProgressDialog(window);
    m_progress->setWindowModality(Qt::NonModal);
    m_progress->setWindowTitle(QCoreApplication::translate("RunLog", "Undo Last Run"));
    m_progress->setLabelText(QCoreApplication::translate("RunLog", "Undoing the last run..."));
    m_progress->setCancelButtonText(QCoreApplication::translate("RunLog", "&Stop"));
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    // Stop keeps the window up, saying it stops, until the undo has ended.
    disconnect(m_progress, &QProgressDialog::canceled, m_progress, &QProgressDialog::cancel);
    connect(m_progress, &QProgressDialog::canceled, this, &UndoProgress::stop);
}

UndoProgress::~UndoProgress()
{
    m_stop = 1;
    if (m_thread.joinable())
        m_thread.join();
    delete m_progress;
}

void UndoProgress::start(unsigned jobs, std::function<void()> first)
{
    if (m_running)
        return;
    m_running = true;
    m_stop = 0;
    m_progress->show();
    // The thread starts once the event loop turns: the progress window is
    // drawn first, and a Stop before then leaves every file as it is.
    QTimer::singleShot(0, this, [this, jobs, first = std::move(first)]() mutable { launch(jobs, std::move(first)); });
}

void UndoProgress::launch(unsigned jobs, std::function<void()> first)
{
    m_thread = std::thread([this, jobs, first = std::move(first)] {
        if (first)
            first();
        brantlow::UndoControl control;
        control.stop = &m_stop;
        control.progress = [this](std::size_t finished, std::size_t total) {
            QMetaObject::invokeMethod(
                this, [this, finished, total] { progressed(qsizetype(finished), qsizetype(total)); },
                Qt::QueuedConnection);
        };
        m_summary = brantlow::undoRun({}, jobs, control);
        QMetaObject::invokeMethod(this, &UndoProgress::ended, Qt::QueuedConnection);
    });
}

void UndoProgress::stop()
{
    if (!m_running || m_stop.load() != 0)
        return;
    m_stop = 1;
    m_progress->setLabelText(
        QCoreApplication::translate("RunLog", "Stopping: the files in progress are finished first..."));
    if (auto *button = m_progress->findChild<QPushButton *>())
        button->setEnabled(false);
}

void UndoProgress::progressed(qsizetype finished, qsizetype total)
{
    m_progress->setRange(0, total > 0 ? int(total) : 1);
    m_progress->setValue(int(finished));
    if (m_stop.load() == 0)
        m_progress->setLabelText(
            QCoreApplication::translate("RunLog", "Undoing the last run: %1 of %2 files").arg(finished).arg(total));
}

void UndoProgress::ended()
{
    m_thread.join();
    m_progress->hide();
    m_running = false;
    QMessageBox::information(m_window, QCoreApplication::translate("RunLog", "Undo Last Run"), summaryText());
    emit finished();
}

QString UndoProgress::summaryText() const
{
    const brantlow::UndoSummary &summary = m_summary;
    QString text;
    if (summary.locked) {
        text = QCoreApplication::translate("RunLog", "The last run cannot be undone now.") + QStringLiteral(" (")
            + QString::fromStdString(summary.error) + QStringLiteral(")");
    } else if (!summary.error.empty()) {
        text = QCoreApplication::translate("RunLog", "There is no run to undo.") + QStringLiteral(" (")
            + QString::fromStdString(summary.error) + QStringLiteral(")");
    } else {
        text = QCoreApplication::translate("RunLog", "%n file(s) put back as they were before the run.", nullptr,
                                           int(summary.putBack));
        if (summary.alreadyBack > 0)
            text += QStringLiteral("\n")
                + QCoreApplication::translate("RunLog", "%n file(s) already as they were before the run.", nullptr,
                                              int(summary.alreadyBack));
        if (!summary.notPutBack.empty())
            text += QStringLiteral("\n")
                + QCoreApplication::translate("RunLog", "%n file(s) left as they are:", nullptr,
                                              int(summary.notPutBack.size()))
                + lines(summary.notPutBack);
        if (!summary.notReached.empty())
            text += QStringLiteral("\n")
                + QCoreApplication::translate("RunLog", "Stopped: %n file(s) not reached, left as they are:", nullptr,
                                              int(summary.notReached.size()))
                + lines(summary.notReached);
    }
    if (!summary.warning.empty())
        text += QStringLiteral("\n\n") + QString::fromStdString(summary.warning);
    return text;
}
