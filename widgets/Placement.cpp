// SPDX-License-Identifier: GPL-3.0-or-later
#include "Placement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

class RightAnchor : public QObject {
public:
    RightAnchor(QWidget *child, int rightMargin) : QObject(child), m_child(child), m_rightMargin(rightMargin)
    {
        child->parentWidget()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_child->parentWidget() && event->type() == QEvent::Resize)
            follow();
        return false;
    }

    void follow()
    {
        const int width = m_child->parentWidget()->width() - m_child->x() - m_rightMargin;
        m_child->resize(std::max(0, width), m_child->height());
    }

private:
    QWidget *m_child;
    int m_rightMargin;
};

} // namespace

void anchorRight(QWidget *child, int rightMargin)
{
    (new RightAnchor(child, rightMargin))->follow();
}

QLabel *labelAt(QWidget *parent, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void centreOnOwner(QWidget *dialog)
{
    QWidget *owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible())
        owner = QApplication::activeWindow();
    if (!owner || owner == dialog || !owner->isVisible()) {
        centreOnScreen(dialog);
        return;
    }
    const QRect ownerFrame = owner->frameGeometry();
    const QRect client = dialog->geometry();
    QRect frame = dialog->frameGeometry();
    if (frame == client) {
        const QRect ownerClient = owner->geometry();
        frame = client.adjusted(ownerFrame.left() - ownerClient.left(), ownerFrame.top() - ownerClient.top(),
                                ownerFrame.right() - ownerClient.right(), ownerFrame.bottom() - ownerClient.bottom());
    }
    frame.moveCenter(ownerFrame.center());
    // An owner partly off its screen must not take the dialog with it.
    if (const QScreen *screen = owner->screen()) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
        frame.moveTop(std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
    }
    // move() places a window's frame.
    dialog->move(frame.topLeft());
}

QRect placeOnScreens(const QRect &bounds, const QList<QRect> &available)
{
    // Enough of the title bar along the frame's top to grab it, or the
    // whole of a small window.
    const int seenWidth = std::min(bounds.width(), 48);
    const int seenHeight = std::min(bounds.height(), 24);
    const QRect titleBar(bounds.topLeft(), QSize(bounds.width(), seenHeight));
    const QRect *nearest = nullptr;
    qint64 nearestDistance = 0;
    for (const QRect &area : available) {
        const QRect seen = area.intersected(titleBar);
        if (seen.width() >= seenWidth && seen.height() >= seenHeight)
            return bounds;
        const QPoint centre = bounds.center();
        const qint64 dx = centre.x() - std::clamp(centre.x(), area.left(), area.right());
        const qint64 dy = centre.y() - std::clamp(centre.y(), area.top(), area.bottom());
        const qint64 distance = dx * dx + dy * dy;
        if (!nearest || distance < nearestDistance) {
            nearest = &area;
            nearestDistance = distance;
        }
    }
    if (!nearest)
        return bounds;
    const QSize size = bounds.size().boundedTo(nearest->size());
    const int left = std::clamp(bounds.left(), nearest->left(), nearest->right() + 1 - size.width());
    const int top = std::clamp(bounds.top(), nearest->top(), nearest->bottom() + 1 - size.height());
    return QRect(QPoint(left, top), size);
}

int widthForText(const QAbstractButton *button)
{
    QString text = button->text();
    text.remove(QLatin1Char('&'));
    const int textWidth = button->fontMetrics().horizontalAdvance(text);
    const QStyle *style = button->style();
    if (qobject_cast<const QRadioButton *>(button))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button)
            + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button) + textWidth;
    if (qobject_cast<const QCheckBox *>(button))
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
            + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button) + textWidth;
    // A push button: its text between the frame's margins.
    return textWidth + 16;
}
