// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolbarImages.h"

#include <QPainter>
#include <QPixmap>

namespace {

// The 16-pixel drawings, also drawn at the pixel sizes that screens scaled by
// 1.25 to 3 need, so that they are never a small picture blown up.
QIcon iconFrom(void (*draw)(QPainter &))
{
    QIcon icon;
    for (const int size : {16, 20, 24, 28, 32, 40, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        if (size != 16) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(size / 16.0, size / 16.0);
        }
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// An opened yellow folder.
void drawOpen(QPainter &p)
{
    const QColor outline(0x80, 0x60, 0x00);
    p.setPen(outline);
    p.setBrush(QColor(0xE8, 0xC0, 0x40));
    p.drawPolygon(QPolygon({QPoint(1, 3), QPoint(5, 3), QPoint(7, 5), QPoint(13, 5), QPoint(13, 13), QPoint(1, 13)}));
    p.setBrush(QColor(0xFF, 0xE0, 0x70));
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
}

// A blue floppy disk with its label and shutter.
void drawSave(QPainter &p)
{
    p.setPen(QColor(0x10, 0x20, 0x60));
    p.setBrush(QColor(0x30, 0x50, 0xB0));
    p.drawPolygon(QPolygon({QPoint(1, 1), QPoint(13, 1), QPoint(14, 2), QPoint(14, 14), QPoint(1, 14)}));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(4, 2, 8, 5);
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(4, 10, 7, 4);
    p.setBrush(QColor(0x10, 0x20, 0x60));
    p.drawRect(8, 11, 2, 2);
}

} // namespace

QIcon openImage()
{
    return iconFrom(drawOpen);
}

QIcon saveImage()
{
    return iconFrom(drawSave);
}
