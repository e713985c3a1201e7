// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// The program in the user's language: its own texts from the translations
// built into it, and Qt's (the standard dialogs' buttons and file dialogs)
// from the system's Qt translations folder.

// The language whose translation the program shows for the user's
// languages, most wanted first ("de-DE", "fr"): the first one that is
// English, the language the program is written in, or that has a built-in
// translation. Empty for English.
QString translationLanguage(const QStringList &uiLanguages);

// Installs the translators for QLocale::system().uiLanguages() (LANGUAGE,
// then LC_ALL, LC_MESSAGES, LANG) before any window is made, and the English
// plural forms beneath them; returns the language taken, empty for English.
QString installTranslations(QCoreApplication *application);
