// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTreeWidget>

class QMimeData;

// The batch window's file list: one checkable row per full path, in the
// order the paths were appended until the user sorts it by a column header.
// Each row shows its path and the file's state, and keeps the path's bytes,
// which need not be UTF-8, and a number of its own that no other row of
// this list ever had. Two paths that differ only in letter case count as
// the same row. Local files dropped onto the list are handed on through
// filesDropped; drops anywhere else in the window are not taken.
class FileCheckList : public QTreeWidget {
    Q_OBJECT
public:
    enum Column { PathColumn = 0, StateColumn = 1 };

    explicit FileCheckList(QWidget *parent = nullptr);

    int count() const { return topLevelItemCount(); }
    // Position of the row holding `path` (letter case ignored), or -1.
    int findPath(const QByteArray &path) const;
    int findPath(const QString &path) const { return findPath(bytesOf(path)); }
    // Appends `path` checked.
    void appendChecked(const QByteArray &path);
    void appendChecked(const QString &path) { appendChecked(bytesOf(path)); }
    // Appends those of `paths` the list does not hold yet (letter case
    // ignored), checked, in their order; rows already listed keep their marks.
    void mergeChecked(const QList<QByteArray> &paths);
    void removeItem(QTreeWidgetItem *item);
    void clearRows();
    void setAllChecked(bool checked);
    int checkedCount() const;
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    // The path as shown, and its bytes.
    QString path(int row) const;
    QByteArray localPath(int row) const;
    QString state(int row) const;
    static void setState(QTreeWidgetItem *item, const QString &state);
    // The local paths a drag carries, as bytes.
    static QList<QByteArray> droppedFiles(const QMimeData *mime);

    // A row's own number, and the row that has it (none once it is gone).
    quint64 rowId(int row) const;
    QTreeWidgetItem *itemWithId(quint64 id) const { return m_byId.value(id); }

signals:
    // The bytes of the dropped local paths.
    void filesDropped(const QList<QByteArray> &paths);
    // A row was appended: its number and path, for its state to be found.
    void rowAdded(quint64 id, const QByteArray &path);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static QByteArray bytesOf(const QString &path);
    void sortByHeader(int column);

    quint64 m_nextId = 1;
    // The paths' column follows the list's width until the user sizes it.
    bool m_pathsSizedByUser = false;
    bool m_sizingPaths = false;
    QHash<quint64, QTreeWidgetItem *> m_byId;
};
