// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileCheckList.h"

#include "widgets/LocalPath.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QResizeEvent>
#include <QSet>
#include <QStyledItemDelegate>
#include <QUrl>

namespace {

constexpr int kLocalPathRole = Qt::UserRole;
constexpr int kIdRole = Qt::UserRole + 1;

} // namespace

QList<QByteArray> FileCheckList::droppedFiles(const QMimeData *mime)
{
    QList<QByteArray> paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(localPathOf(url));
    }
    return paths;
}

namespace {

// Paths cut short in the middle, so that both the folder and the name show.
class MiddleElided : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideMiddle;
    }
};

// The share of the list's width the paths take until the user sets it.
constexpr int kPathShareInTenths = 6;

// Letter case ignored: the case-folded text of a UTF-8 path; for other bytes,
// which several paths may show alike, the bytes with ASCII letters lowered.
QString caseKey(const QByteArray &path)
{
    const QString shown = shownPath(path);
    if (QFile::encodeName(shown) == path)
        return shown.toCaseFolded();
    return QLatin1Char('\0') + QString::fromLatin1(path.toLower());
}

} // namespace

FileCheckList::FileCheckList(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderLabels({tr("File"), tr("State")});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    // Sorted once per click on a header, never by itself: rows appended later
    // go to the end, and rows keep their places while states come in.
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(true);
    connect(header(), &QHeaderView::sectionClicked, this, &FileCheckList::sortByHeader);
    setItemDelegateForColumn(PathColumn, new MiddleElided(this));
    connect(header(), &QHeaderView::sectionResized, this, [this](int section) {
        if (section == PathColumn && !m_sizingPaths)
            m_pathsSizedByUser = true;
    });
}

void FileCheckList::resizeEvent(QResizeEvent *event)
{
    QTreeWidget::resizeEvent(event);
    if (m_pathsSizedByUser)
        return;
    m_sizingPaths = true;
    header()->resizeSection(PathColumn, viewport()->width() * kPathShareInTenths / 10);
    m_sizingPaths = false;
}

QByteArray FileCheckList::bytesOf(const QString &path)
{
    return localPathOf(path);
}

void FileCheckList::sortByHeader(int column)
{
    // Once its indicator shows, the header turns it round itself on a
    // second click of the same column.
    QHeaderView *bar = header();
    if (!bar->isSortIndicatorShown()) {
        bar->setSortIndicator(column, Qt::AscendingOrder);
        bar->setSortIndicatorShown(true);
    }
    sortItems(column, bar->sortIndicatorOrder());
}

int FileCheckList::findPath(const QByteArray &path) const
{
    const QString key = caseKey(path);
    for (int row = 0; row < count(); ++row) {
        if (caseKey(localPath(row)) == key)
            return row;
    }
    return -1;
}

void FileCheckList::appendChecked(const QByteArray &path)
{
    auto *entry = new QTreeWidgetItem({shownPath(path), QString()});
    entry->setToolTip(PathColumn, entry->text(PathColumn));
    const quint64 id = m_nextId++;
    entry->setData(PathColumn, kLocalPathRole, path);
    entry->setData(PathColumn, kIdRole, id);
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    entry->setCheckState(PathColumn, Qt::Checked);
    addTopLevelItem(entry);
    m_byId.insert(id, entry);
    emit rowAdded(id, path);
}

void FileCheckList::mergeChecked(const QList<QByteArray> &paths)
{
    QSet<QString> listed;
    listed.reserve(count());
    for (int row = 0; row < count(); ++row)
        listed.insert(caseKey(localPath(row)));
    for (const QByteArray &path : paths) {
        if (!listed.contains(caseKey(path)))
            appendChecked(path);
    }
}

void FileCheckList::removeItem(QTreeWidgetItem *item)
{
    m_byId.remove(item->data(PathColumn, kIdRole).toULongLong());
    delete item;
}

void FileCheckList::clearRows()
{
    m_byId.clear();
    clear();
}

void FileCheckList::setAllChecked(bool checked)
{
    for (int row = 0; row < count(); ++row)
        setChecked(row, checked);
}

int FileCheckList::checkedCount() const
{
    int checked = 0;
    for (int row = 0; row < count(); ++row) {
        if (isChecked(row))
            ++checked;
    }
    return checked;
}

bool FileCheckList::isChecked(int row) const
{
    return topLevelItem(row)->checkState(PathColumn) == Qt::Checked;
}

void FileCheckList::setChecked(int row, bool checked)
{
    topLevelItem(row)->setCheckState(PathColumn, checked ? Qt::Checked : Qt::Unchecked);
}

QString FileCheckList::path(int row) const
{
    return topLevelItem(row)->text(PathColumn);
}

QByteArray FileCheckList::localPath(int row) const
{
    return topLevelItem(row)->data(PathColumn, kLocalPathRole).toByteArray();
}

QString FileCheckList::state(int row) const
{
    return topLevelItem(row)->text(StateColumn);
}

void FileCheckList::setState(QTreeWidgetItem *item, const QString &state)
{
    item->setText(StateColumn, state);
    // The whole text where the column cuts it short.
    item->setToolTip(StateColumn, state);
}

quint64 FileCheckList::rowId(int row) const
{
    return topLevelItem(row)->data(PathColumn, kIdRole).toULongLong();
}

void FileCheckList::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void FileCheckList::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedFiles(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileCheckList::dropEvent(QDropEvent *event)
{
    const QList<QByteArray> paths = droppedFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}
