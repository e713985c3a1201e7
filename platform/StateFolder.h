// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brantlow::platform {

// The one folder besides the files a user names that the tool writes to: its
// own records of what it is doing and what it did (journals of rewrites under
// way, temporary names it created, the logs of its runs). It is the user's
// own: $XDG_STATE_HOME/brantlow, else ~/.local/state/brantlow, made with mode
// 0700 when missing (its parents as well). `sub` names a folder inside it,
// made the same way. An empty string when it cannot be made, with `error`
// set to the errno.
std::string stateFolder(const std::string &sub, int &error);

} // namespace brantlow::platform
