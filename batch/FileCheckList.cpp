#include "FileCheckList.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSet>
#include <QUrl>

namespace {

QStringList localFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

// The same equality as QString::compare(..., Qt::CaseInsensitive), in a form
// that can be hashed.
QString caseKey(const QString &path)
{
    return path.toCaseFolded();
}

} // namespace

FileCheckList::FileCheckList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

int FileCheckList::findPath(const QString &path) const
{
    for (int row = 0; row < count(); ++row) {
        if (QString::compare(item(row)->text(), path, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

void FileCheckList::appendChecked(const QString &path)
{
    auto *entry = new QListWidgetItem(path);
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    entry->setCheckState(Qt::Checked);
    addItem(entry);
}

void FileCheckList::mergeChecked(const QStringList &paths)
{
    QSet<QString> listed;
    listed.reserve(count());
    for (int row = 0; row < count(); ++row)
        listed.insert(caseKey(item(row)->text()));
    for (const QString &path : paths) {
        if (!listed.contains(caseKey(path)))
            appendChecked(path);
    }
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
    return item(row)->checkState() == Qt::Checked;
}

void FileCheckList::setChecked(int row, bool checked)
{
    item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QString FileCheckList::path(int row) const
{
    return item(row)->text();
}

void FileCheckList::dragEnterEvent(QDragEnterEvent *event)
{
    if (localFiles(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileCheckList::dragMoveEvent(QDragMoveEvent *event)
{
    if (localFiles(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileCheckList::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}
