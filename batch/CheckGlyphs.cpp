#include "CheckGlyphs.h"

#include <QPainter>
#include <QPolygonF>

namespace {

constexpr int kGlyphSize = 16;

QPixmap boxGlyph(bool ticked)
{
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(2, 2, 11, 11);
    if (ticked) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
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
