// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunCounter.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace {

// One static text without children: the labels inside are not read apart.
class CounterAccessible : public QAccessibleWidget {
public:
    explicit CounterAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::StaticText) {}
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
};

QAccessibleInterface *counterAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("RunCounter") && object && object->isWidgetType())
        return new CounterAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

// The gaps around the slash, and its width.
constexpr int kGap = 6;
constexpr int kSlashWidth = 8;

} // namespace

RunCounter::RunCounter(QWidget *parent) : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(counterAccessible);
        return true;
    }();
    Q_UNUSED(installed);

    // The counts grow away from the slash as their numbers get longer.
    done = new QLabel(this);
    done->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    slash = new QLabel(QStringLiteral("/"), this);
    slash->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    total = new QLabel(this);
    setAccessibleDescription(tr("Files the run has done, of the files it took"));
    setCounts(0, 0);
}

QString RunCounter::totalText(int totalCount)
{
    // English keeps "1 Files"; other languages have their plural forms.
    return tr("%n Files", nullptr, totalCount);
}

int RunCounter::arrange(int doneWidth, int totalWidth)
{
    const int height = 16;
    done->setGeometry(0, 0, doneWidth, height);
    slash->setGeometry(doneWidth + kGap, 0, kSlashWidth, height);
    total->setGeometry(doneWidth + 2 * kGap + kSlashWidth, 0, totalWidth, height);
    return doneWidth + 2 * kGap + kSlashWidth + totalWidth;
}

void RunCounter::setCounts(int doneCount, int totalCount)
{
    done->setText(QString::number(doneCount));
    total->setText(totalText(totalCount));
    setAccessibleName(totalCount == 1 ? tr("%1 of %2 file done").arg(doneCount).arg(totalCount)
                                      : tr("%1 of %n files done", nullptr, totalCount).arg(doneCount));
}
