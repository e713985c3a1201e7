// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileDialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>

#include <utility>

QStringList fileDialogFilters()
{
    // Each kind's name in the user's language, its patterns as they are.
    const std::pair<const char *, const char *> filters[] = {
        {QT_TRANSLATE_NOOP("FileDialogs", "Supported Files(.mp3; .rmp; .wav)"),
         "*.[mM][pP]3 *.[rR][mM][pP] *.[wW][aA][vV]"},
        {QT_TRANSLATE_NOOP("FileDialogs", "Normal MP3 Files(.mp3)"), "*.[mM][pP]3"},
        {QT_TRANSLATE_NOOP("FileDialogs", "RIFF/MP3(RMP3) Files(.rmp)"), "*.[rR][mM][pP]"},
        {QT_TRANSLATE_NOOP("FileDialogs", "RIFF/WAVE Files(.wav)"), "*.[wW][aA][vV]"},
        {QT_TRANSLATE_NOOP("FileDialogs", "All files"), "*"},
    };
    QStringList result;
    for (const auto &[name, patterns] : filters)
        result << QStringLiteral("%1 (%2)").arg(QCoreApplication::translate("FileDialogs", name),
                                                QLatin1String(patterns));
    return result;
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
