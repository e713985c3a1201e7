// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QRect>
#include <QSize>
#include <QVector>

class QWidget;

// Keeps child widgets at fixed distances from the window edges they are
// anchored to while the window is resized. A control anchored to both
// opposite edges stretches; one anchored to neither edge of an axis keeps its
// design position on that axis.
class AnchoredGeometry {
public:
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    Q_DECLARE_FLAGS(Edges, Edge)

    explicit AnchoredGeometry(QSize designClientSize) : m_design(designClientSize) {}

    // Places `widget` at `designRect` (client coordinates of the design size)
    // and remembers how it follows the window.
    void place(QWidget *widget, QRect designRect, Edges anchors);
    // Moves every placed widget for the new client size.
    void apply(QSize clientSize) const;

private:
    struct Placement {
        QWidget *widget;
        QRect designRect;
        Edges anchors;
    };
    QSize m_design;
    QVector<Placement> m_placements;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AnchoredGeometry::Edges)
