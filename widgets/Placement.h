// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QAbstractButton;
class QLabel;
class QWidget;

// Controls placed at fixed pixel positions, as the windows' layouts give them.

// A label sized to its text, its top-left corner at (left, top) of `parent`.
QLabel *labelAt(QWidget *parent, const QString &text, int left, int top);

// The width a push button, check box or radio button needs to show its text
// in its current font: the text, and the indicator or a frame's margins.
// Unlike the size hint, it leaves out a style's minimum width and spare room,
// so that a control at its design width stays there when its text fits.
int widthForText(const QAbstractButton *button);

// Keeps `child`'s right edge `rightMargin` pixels from its parent's right
// edge whenever the parent is resized; its left edge stays where it is.
void anchorRight(QWidget *child, int rightMargin);

// Moves a top-level window to the middle of the screen it is on.
void centreOnScreen(QWidget *window);

// Moves a dialog's frame to the middle of its owner's frame (its parent's
// window, else the active window), kept on the owner's screen; with no owner
// shown, to the middle of the screen. Before its first show the dialog's
// frame is taken to be as thick as the owner's.
void centreOnOwner(QWidget *dialog);

// Where a window whose frame is stored at `bounds` is shown: where it was
// when enough of its title bar (the frame's top rows) lies within one of the
// screens' `available` areas to be grabbed and moved;
// otherwise moved wholly onto the nearest of them, its size kept where it
// fits. With no screen known, as it was.
QRect placeOnScreens(const QRect &bounds, const QList<QRect> &available);
