// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsFile.h"

#include "platform/IniFile.h"
#include "platform/PathParts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <charconv>

namespace brantlow {

namespace {

QString settingsFileInUse;

std::string encodePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

std::optional<std::int32_t> parseHex(std::string_view digits)
{
    std::uint32_t value = 0;
    const auto end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, value, 16);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> parseDecimal(std::string_view text)
{
    // from_chars takes no leading plus.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

QString chooseSettingsFile(const QString &executablePath, bool executableFolderWritable, const QString &configFolder)
{
    const std::string path = encodePath(executablePath);
    const std::string extension = platform::extensionPart(path);
    const std::string beside = path.substr(0, path.size() - extension.size()) + ".ini";
    if (executableFolderWritable || configFolder.isEmpty())
        return QFile::decodeName(beside.c_str());
    return QDir(configFolder).filePath(QFile::decodeName(platform::namePart(beside).c_str()));
}

void useSettingsFile(const QString &path)
{
    settingsFileInUse = path;
}

QString settingsFilePath()
{
    if (!settingsFileInUse.isEmpty())
        return settingsFileInUse;
    const QString executable = QCoreApplication::applicationFilePath();
    const QFileInfo folder(executableFolder());
    // An installed program never writes into its system folder, not even when
    // root can.
    const bool installed = QDir(executableFolder()).canonicalPath() == QDir(QStringLiteral(BRANTLOW_INSTALL_BINDIR)).canonicalPath();
    return chooseSettingsFile(executable, folder.isWritable() && !installed,
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString folderOf(const QString &path)
{
    QString folder = QFile::decodeName(platform::directoryPart(encodePath(path)).c_str());
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString executableFolder()
{
    return folderOf(QCoreApplication::applicationFilePath());
}

std::optional<std::int32_t> parseProfileInteger(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseHex(text.substr(2));
    return parseDecimal(text);
}

std::int32_t readProfileInteger(const QString &file, const char *section, const char *key, std::int32_t defaultValue)
{
    const std::string text = platform::readProfileString(encodePath(file), section, key, "");
    return parseProfileInteger(text).value_or(defaultValue);
}

bool readProfileBool(const QString &file, const char *section, const char *key, bool defaultValue)
{
    return readProfileInteger(file, section, key, defaultValue ? 1 : 0) != 0;
}

QString readProfileText(const QString &file, const char *section, const char *key, const QString &defaultValue)
{
    const std::string fallback = defaultValue.toStdString();
    return QString::fromStdString(platform::readProfileString(encodePath(file), section, key, fallback));
}

bool writeProfileInteger(const QString &file, const char *section, const char *key, std::int32_t value)
{
    return platform::writeProfileString(encodePath(file), section, key, std::to_string(value));
}

bool writeProfileBool(const QString &file, const char *section, const char *key, bool value)
{
    return writeProfileInteger(file, section, key, value ? 1 : 0);
}

bool writeProfileText(const QString &file, const char *section, const char *key, const QString &value)
{
    return platform::writeProfileString(encodePath(file), section, key, value.toStdString());
}

} // namespace brantlow

QString brantlow::firstFolder()
{
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return music;
    return QDir::homePath();
}
