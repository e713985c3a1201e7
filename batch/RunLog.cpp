// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunLog.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

const char *commandOf(brantlow::RewriteMode mode)
{
    switch (mode) {
    case brantlow::RewriteMode::Add:
        return "add";
    case brantlow::RewriteMode::Remove:
        return "remove";
    case brantlow::RewriteMode::Fix:
        return "fix";
    }
    return "";
}

void warn(QWidget *parent, const std::string &why)
{
    QMessageBox::warning(parent, QCoreApplication::translate("RunLog", "Undo Log"),
                         QCoreApplication::translate("RunLog", "This run cannot be undone: its log cannot be written.")
                             + QStringLiteral("\n\n") + QString::fromStdString(why));
}

} // namespace

RunLog startRunLog(brantlow::RewriteMode mode)
{
    RunLog run;
    run.log = brantlow::UndoLog::start(commandOf(mode), run.problem);
    return run;
}

void endRunLog(QWidget *parent, RunLog &run, const brantlow::BatchCounts &counts)
{
    std::string problem = std::move(run.problem);
    if (run.log) {
        run.log->finish(counts.unchanged, counts.failed);
        problem = run.log->takeWarning();
        run.log.reset();
    }
    if (!problem.empty() && counts.done > 0)
        warn(parent, problem);
}
