// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QFileDialog;

// The filters of the open dialogs: the supported files in any letter case
// (SONG.MP3 too), each kind alone, and every file.
QStringList fileDialogFilters();

// A name typed into a file dialog and confirmed at once with Enter can leave
// the name box's completion list open after the dialog has closed, where it
// takes every key meant for the window below. These close it with the dialog.

// Runs `dialog` modally; returns its result.
int execFileDialog(QFileDialog *dialog);
// For the static file dialogs: closes such a list if one is left open.
void closeLeftoverCompletion();
