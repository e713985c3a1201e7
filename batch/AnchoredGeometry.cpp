// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnchoredGeometry.h"

#include <QWidget>

void AnchoredGeometry::place(QWidget *widget, QRect designRect, Edges anchors)
{
    widget->setGeometry(designRect);
    m_placements.append({widget, designRect, anchors});
}

void AnchoredGeometry::apply(QSize clientSize) const
{
    const int dx = clientSize.width() - m_design.width();
    const int dy = clientSize.height() - m_design.height();
    for (const Placement &p : m_placements) {
        QRect r = p.designRect;
        if (p.anchors.testFlag(Right)) {
            if (p.anchors.testFlag(Left))
                r.setWidth(r.width() + dx);
            else
                r.translate(dx, 0);
        }
        if (p.anchors.testFlag(Bottom)) {
            if (p.anchors.testFlag(Top))
                r.setHeight(r.height() + dy);
            else
                r.translate(0, dy);
        }
        p.widget->setGeometry(r);
    }
}
