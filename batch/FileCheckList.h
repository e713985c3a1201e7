#pragma once

#include <QByteArray>
#include <QList>
#include <QListWidget>
#include <QStringList>

// The batch window's file list: one checkable item per full path, in the
// order the paths were appended. Each item shows its path as text and keeps
// the path's bytes, which need not be UTF-8. Two paths that differ only in
// letter case count as the same item. Local files dropped onto the list are
// handed on through filesDropped; drops anywhere else in the window are not
// taken.
class FileCheckList : public QListWidget {
    Q_OBJECT
public:
    explicit FileCheckList(QWidget *parent = nullptr);

    // Position of the item holding `path` (letter case ignored), or -1.
    int findPath(const QByteArray &path) const;
    int findPath(const QString &path) const { return findPath(bytesOf(path)); }
    // Appends `path` checked.
    void appendChecked(const QByteArray &path);
    void appendChecked(const QString &path) { appendChecked(bytesOf(path)); }
    // Appends those of `paths` the list does not hold yet (letter case
    // ignored), checked, in their order; items already listed keep their marks.
    void mergeChecked(const QList<QByteArray> &paths);
    void setAllChecked(bool checked);
    int checkedCount() const;
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    // The path as shown, and its bytes.
    QString path(int row) const;
    QByteArray localPath(int row) const;

signals:
    // The bytes of the dropped local paths.
    void filesDropped(const QList<QByteArray> &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    static QByteArray bytesOf(const QString &path);
};
