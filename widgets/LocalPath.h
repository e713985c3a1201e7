// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

// File names on Linux are bytes. Qt shows them as text and, in a UTF-8
// locale, turns bytes that are not UTF-8 into replacement characters, which
// cannot be turned back. The windows show that text and keep the bytes.

// The text a window shows for a path's bytes.
QString shownPath(const QByteArray &localPath);

// The bytes of a path Qt handed over as text (a file dialog's choice): the
// text's own encoding when that names something, otherwise the one entry of
// each folder whose shown name is the text's. A name that matches no entry,
// or more than one, keeps the text's encoding (and then fails to open).
QByteArray localPathOf(const QString &shown);

// Whether the path names an existing file (or a link to one).
bool isExistingFile(const QByteArray &localPath);

// The bytes of a dropped local file's address, taken from its percent
// encoding, which keeps them.
QByteArray localPathOf(const QUrl &url);

// A path named on the command line, made absolute against the working folder
// and without "." and ".." parts or a trailing separator, as a dropped one
// would be.
QByteArray absoluteLocalPath(const QByteArray &argument);
