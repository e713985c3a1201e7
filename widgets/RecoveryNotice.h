// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

class QWidget;

// Puts back the files among `paths` that an interrupted in-place rewrite
// left half done, before the window reads or rewrites them, and tells the
// user which, in a message box over `parent`. Nothing shows when there were
// none.
void recoverInterruptedRewrites(QWidget *parent, const std::vector<std::string> &paths);
