// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalPath.h"

#include "platform/DirectoryWalk.h"

#include <QFile>
#include <QUrl>

#include <filesystem>
#include <system_error>

namespace {

bool exists(const QByteArray &path)
{
    std::error_code error;
    return std::filesystem::symlink_status(path.toStdString(), error).type() != std::filesystem::file_type::not_found
        && !error;
}

} // namespace

bool isExistingFile(const QByteArray &localPath)
{
    std::error_code error;
    return std::filesystem::is_regular_file(localPath.toStdString(), error);
}

QString shownPath(const QByteArray &localPath)
{
    return QFile::decodeName(localPath);
}

QByteArray localPathOf(const QString &shown)
{
    const QByteArray encoded = QFile::encodeName(shown);
    const int slash = shown.lastIndexOf(QLatin1Char('/'));
    if (exists(encoded) || slash < 0)
        return encoded;
    const QString name = shown.mid(slash + 1);
    if (name.isEmpty())
        return encoded;
    const QByteArray folder = slash == 0 ? QByteArray("/") : localPathOf(shown.left(slash));

    std::string match;
    int matches = 0;
    brantlow::platform::enumerateDirectory(folder.toStdString(), [&](const brantlow::platform::DirectoryEntry &entry) {
        if (QFile::decodeName(QByteArray::fromStdString(entry.name)) == name) {
            match = entry.name;
            ++matches;
        }
    });
    const QByteArray separator = folder.endsWith('/') ? QByteArray() : QByteArray("/");
    if (matches != 1)
        return folder + separator + QFile::encodeName(name);
    return folder + separator + QByteArray::fromStdString(match);
}

QByteArray localPathOf(const QUrl &url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

QByteArray absoluteLocalPath(const QByteArray &argument)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(argument.toStdString(), error).lexically_normal();
    if (error)
        return argument;
    if (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return QByteArray::fromStdString(path.string());
}
