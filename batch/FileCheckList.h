#pragma once

#include <QListWidget>
#include <QStringList>

// The batch window's file list: one checkable item per full path, in the
// order the paths were appended. Two paths that differ only in letter case
// count as the same item. Local files dropped onto the list are handed on
// through filesDropped; drops anywhere else in the window are not taken.
class FileCheckList : public QListWidget {
    Q_OBJECT
public:
    explicit FileCheckList(QWidget *parent = nullptr);

    // Position of the item holding `path` (letter case ignored), or -1.
    int findPath(const QString &path) const;
    // Appends `path` checked.
    void appendChecked(const QString &path);
    // Appends those of `paths` the list does not hold yet (letter case
    // ignored), checked, in their order; items already listed keep their marks.
    void mergeChecked(const QStringList &paths);
    void setAllChecked(bool checked);
    int checkedCount() const;
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    QString path(int row) const;

signals:
    void filesDropped(const QStringList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
