#include "FileDialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>

int execFileDialog(QFileDialog *dialog)
{
    const int result = dialog->exec();
    closeLeftoverCompletion();
    return result;
}

void closeLeftoverCompletion()
{
    // A completion list is an item view shown as a popup; menus are left alone.
    if (auto *popup = qobject_cast<QAbstractItemView *>(QApplication::activePopupWidget()))
        popup->close();
}
