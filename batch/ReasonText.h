// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FileCheck.h"
#include "job/FileState.h"
#include "job/RewriteJob.h"

#include <QString>

// Reasons in the user's language. The engine and the rewrite name a cause by
// a code (the engine's number, the system's errno, the job's ReasonCode, the
// check's StaleCause); the desktop program words it here. The system's own
// text stays as the system gives it.

// The engine's reason for its number, "error 13: WAVE file with PCM audio".
QString engineReasonText(std::int32_t errorCode);

// A failed rewrite's reason, without the step's message; empty when none is known.
QString rewriteReasonText(const brantlow::RewriteResult &result);

// The step's message, then the reason in parentheses: the batch run's line.
QString rewriteFailureText(const brantlow::RewriteResult &result);

// How a header is stale, or why a file is unreadable.
QString checkReasonText(const brantlow::FileCheck &check);

// The same for a state a list shows, from its codes and counts.
QString stateReasonText(const brantlow::FileState &state);

// A list's State column: "right", "stale (truncated: ...)", "missing",
// "not needed", "unreadable: " and the reason.
QString stateColumnText(const brantlow::FileState &state);
