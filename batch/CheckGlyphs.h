#pragma once

#include <QPixmap>

// The 16 x 16 glyphs of the check-all and uncheck-all tool buttons: a grey
// box, with a black tick or empty, on a transparent background.
QPixmap tickedBoxGlyph();
QPixmap emptyBoxGlyph();
