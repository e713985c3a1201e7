// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

namespace brantlow {

// The settings file: the executable's path with ".ini" for its extension, or,
// when the executable's folder cannot be written (an installed program), the
// same name in the user's configuration folder.
QString settingsFilePath();
// Puts the settings file at `path` instead; an empty path goes back to the
// rule above. The program never calls it: its tests give each run a folder of
// its own, so that one that stops half-way leaves nothing in the next one's way.
void useSettingsFile(const QString &path);
// Picks between the two places; split out so that the choice can be tested.
QString chooseSettingsFile(const QString &executablePath, bool executableFolderWritable, const QString &configFolder);
// The executable's path without its last component; a root keeps its separator.
QString executableFolder();
// Where the open dialogs start when no folder is stored: the user's music
// folder, else the home folder.
QString firstFolder();
// The same rule for any path.
QString folderOf(const QString &path);

// A stored integer: signed decimal, or hexadecimal after "0x"/"0X" when the
// text is longer than two characters (wrapping to 32 bits, so 0x80000008 is
// -2147483640). Anything else is not a number.
std::optional<std::int32_t> parseProfileInteger(std::string_view text);

// One key at a time; missing keys and values that are not numbers give the
// default. Writes return false when the file could not be written.
std::int32_t readProfileInteger(const QString &file, const char *section, const char *key, std::int32_t defaultValue);
bool readProfileBool(const QString &file, const char *section, const char *key, bool defaultValue);
QString readProfileText(const QString &file, const char *section, const char *key, const QString &defaultValue);
bool writeProfileInteger(const QString &file, const char *section, const char *key, std::int32_t value);
bool writeProfileBool(const QString &file, const char *section, const char *key, bool value);
bool writeProfileText(const QString &file, const char *section, const char *key, const QString &value);

} // namespace brantlow
