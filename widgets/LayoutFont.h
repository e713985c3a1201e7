// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QDialog;
class QFont;
class QSize;

// The font the windows' layouts are drawn in: Arial, `pixelHeight` pixels
// high, so that the texts fit the layouts' pixel positions.
QFont layoutFont(int pixelHeight);

// Gives a dialog the layout font and its layout's client size, which the
// user cannot change.
void setUpFixedDialog(QDialog *dialog, int fontPixelHeight, const QSize &clientSize);
