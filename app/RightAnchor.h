#pragma once

class QWidget;

// Keeps `child`'s right edge `rightMargin` pixels from its parent's right
// edge whenever the parent is resized; its left edge stays where it is.
void anchorRight(QWidget *child, int rightMargin);
