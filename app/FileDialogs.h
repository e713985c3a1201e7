#pragma once

class QFileDialog;

// A name typed into a file dialog and confirmed at once with Enter can leave
// the name box's completion list open after the dialog has closed, where it
// takes every key meant for the window below. These close it with the dialog.

// Runs `dialog` modally; returns its result.
int execFileDialog(QFileDialog *dialog);
// For the static file dialogs: closes such a list if one is left open.
void closeLeftoverCompletion();
