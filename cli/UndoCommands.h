// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"

#include "job/BatchRunner.h"
#include "job/UndoLog.h"
#include "platform/SafeReplace.h"

namespace brantlow::cli {

// `undo`: one file of the run put back (its old content staged in `group`,
// reported once the group commits), or left alone with the reason.
FileReport undoReport(const UndoRecord &record, platform::ReplaceGroup &group, const Settings &settings);

// `runs`: one line (or JSON object) per logged run, oldest first.
void printRuns(bool json);

} // namespace brantlow::cli
