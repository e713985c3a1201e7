// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckGlyphs.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPolygonF>

namespace {

constexpr int kGlyphSize = 16;

// Drawn in the palette's colours for an edit field, so that they stand out
// in light and dark themes alike.
QPixmap boxGlyph(bool ticked)
{
    const QPalette palette = QGuiApplication::palette();
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(palette.color(QPalette::Mid), 1));
    painter.setBrush(palette.color(QPalette::Base));
    painter.drawRect(2, 2, 11, 11);
    if (ticked) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(palette.color(QPalette::Text), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(QPolygonF({QPointF(4.5, 7.5), QPointF(7, 10), QPointF(11.5, 4.5)}));
    }
    return pixmap;
}

} // namespace

QPixmap tickedBoxGlyph()
{
    return boxGlyph(true);
}

QPixmap emptyBoxGlyph()
{
    return boxGlyph(false);
}
