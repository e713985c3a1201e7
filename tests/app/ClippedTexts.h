// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The check that every text of a window fits the control that shows it,
// shared by the tests that draw the windows in other fonts and languages.

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

namespace apptest {

// Every visible label, check box, radio button and push button whose text
// does not fit inside it, that reaches past its parent's edge, or whose text
// another control of the same parent covers.
inline QStringList clippedTexts(QWidget *window)
{
    QStringList clipped;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window) || widget->window() != window)
            continue;
        QString text;
        int needed = 0;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            text = label->text();
            if (text.isEmpty())
                continue;
            QString plain = text;
            plain.remove(QLatin1Char('&'));
            // A label that wraps its text needs the height of its lines.
            const QRect room = label->contentsRect();
            if (label->wordWrap() && label->heightForWidth(room.width()) > room.height())
                clipped << QStringLiteral("\"%1\" needs more lines").arg(text);
            needed = label->wordWrap() ? 0 : label->fontMetrics().horizontalAdvance(plain);
            if (needed > label->contentsRect().width())
                clipped << QStringLiteral("\"%1\" needs %2, has %3")
                               .arg(text)
                               .arg(needed)
                               .arg(label->contentsRect().width());
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            text = button->text();
            // Tool buttons show only their pictures.
            if (text.isEmpty() || qobject_cast<QToolButton *>(button))
                continue;
            // A push button's size hint has a minimum width of its own;
            // what counts is its text inside the frame.
            QString plain = text;
            plain.remove(QLatin1Char('&'));
            const QStyle *style = button->style();
            const int indicator = qobject_cast<QRadioButton *>(button)
                ? style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
                    + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing)
                : qobject_cast<QCheckBox *>(button)
                ? style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing)
                : 6; // a push button's frame
            needed = indicator + button->fontMetrics().horizontalAdvance(plain);
            if (needed > button->width())
                clipped << QStringLiteral("\"%1\" needs %2, has %3").arg(text).arg(needed).arg(button->width());
        } else {
            continue;
        }
        const QWidget *parent = widget->parentWidget();
        if (widget->geometry().right() >= parent->width())
            clipped << QStringLiteral("\"%1\" reaches past its parent").arg(text);
        // The text's own width from its left edge, which a neighbour must
        // leave free (a caption ending under the box it names).
        const QRect textRect(widget->pos(), QSize(std::min(widget->width(), needed), widget->height()));
        for (QWidget *sibling : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (sibling != widget && sibling->isVisibleTo(window) && sibling->geometry().intersects(textRect))
                clipped << QStringLiteral("\"%1\" is covered by %2").arg(text, sibling->metaObject()->className());
        }
    }
    return clipped;
}

} // namespace apptest
