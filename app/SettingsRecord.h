// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The behaviour switches and the remembered folder, held by the main window
// for the whole run and read by the other windows at the moment they need a
// value.
struct SettingsRecord {
    QString Folder;
    bool NotUpdate = true;
    int MaxOffset = 3;
    bool SubDirectory = true;
    bool NoErrDialog = false;
    bool DelItems = true;
};
