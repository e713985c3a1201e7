#include "RightAnchor.h"

#include <QEvent>
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
