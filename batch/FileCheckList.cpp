#include "FileCheckList.h"

#include "widgets/LocalPath.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QUrl>

namespace {

constexpr int kLocalPathRole = Qt::UserRole;

QList<QByteArray> localFiles(const QMimeData *mime)
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

FileCheckList::FileCheckList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

QByteArray FileCheckList::bytesOf(const QString &path)
{
    return localPathOf(path);
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
    auto *entry = new QListWidgetItem(shownPath(path));
    entry->setData(kLocalPathRole, path);
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    entry->setCheckState(Qt::Checked);
    addItem(entry);
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

QByteArray FileCheckList::localPath(int row) const
{
    return item(row)->data(kLocalPathRole).toByteArray();
}

void FileCheckList::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
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
    const QList<QByteArray> paths = localFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}
