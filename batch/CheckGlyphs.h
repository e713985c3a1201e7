// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>

// The 16 x 16 glyphs of the check-all and uncheck-all tool buttons: a box,
// with a tick or empty, on a transparent background, in the colours of the
// application's palette.
QPixmap tickedBoxGlyph();
QPixmap emptyBoxGlyph();
