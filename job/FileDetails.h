// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Binedit.h"
#include "engine/FileCheck.h"

#include <optional>

namespace brantlow {

// What the main window's Details tells of the file it holds: the header's
// verdict and what the engine's readers find, read from the image that
// openForRewrite loaded (or that a rewrite has just saved), so that the file
// is not read a second time. Nothing when no image is loaded.
std::optional<FileCheck> checkLoadedFile(const TBinEdit &engine);

} // namespace brantlow
