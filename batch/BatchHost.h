// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class TMultiErrorDBox;

// The settings the batch window reads, each at the moment it needs it: the
// user may change them in the settings dialog between two runs.
// The defaults are those of a settings file that does not exist yet.
struct BatchSettings {
    bool SubDirectory = true;   // a folder scan descends into sub-folders
    bool NotUpdate = true;      // keep the last-write time of rewritten files
    std::int32_t MaxOffset = 3; // seek range for a removal
    bool NoErrDialog = false;   // go on after a failure without asking
    bool DelItems = true;       // take rewritten files off the list
};

// What the batch window is handed by the program that shows it, so that it
// never reaches into the main window.
struct BatchHost {
    std::function<BatchSettings()> settings;
    // Read each time the window is shown.
    std::function<QString()> openDialogFolder;
    std::function<QFont()> listFont;
    // The path box's text colour where one is set; none follows the theme.
    std::function<std::optional<QColor>()> listTextColour;
    // Asks Continue or Cancel after a failed file.
    TMultiErrorDBox *errorDialog = nullptr;
};
