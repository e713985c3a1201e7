#include "Placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
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
