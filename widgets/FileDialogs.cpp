#include "FileDialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>

QStringList fileDialogFilters()
{
    return {
        QStringLiteral("Supported Files(.mp3; .rmp; .wav) (*.[mM][pP]3 *.[rR][mM][pP] *.[wW][aA][vV])"),
        QStringLiteral("Normal MP3 Files(.mp3) (*.[mM][pP]3)"),
        QStringLiteral("RIFF/MP3(RMP3) Files(.rmp) (*.[rR][mM][pP])"),
        QStringLiteral("RIFF/WAVE Files(.wav) (*.[wW][aA][vV])"),
        QStringLiteral("All files (*)"),
    };
}

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
