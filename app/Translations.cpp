// SPDX-License-Identifier: GPL-3.0-or-later
#include "Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Built into the program as a resource (translations/CMakeLists.txt).
const QString kBuiltIn = QStringLiteral(":/i18n/brantlow_%1.qm");

// "de-DE" and "de_DE" as the file names have it, "de_DE" then "de".
QStringList candidates(const QString &language)
{
    QString name = language;
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    QStringList names{name};
    while (name.contains(QLatin1Char('_'))) {
        name.truncate(name.lastIndexOf(QLatin1Char('_')));
        names << name;
    }
    return names;
}

} // namespace

QString translationLanguage(const QStringList &uiLanguages)
{
    for (const QString &language : uiLanguages) {
        for (const QString &name : candidates(language)) {
            // English is what the program is written in: a language wanted
            // after it is not wanted as much.
            if (name == QLatin1String("en") || name == QLatin1String("C"))
                return {};
            if (QFile::exists(kBuiltIn.arg(name)))
                return name;
        }
    }
    return {};
}

QString installTranslations(QCoreApplication *application)
{
    // English needs a translation too, for the plural forms of the texts
    // that count ("1 folder", "2 folders"); installed first, so that a
    // language's own translation is asked before it.
    auto *english = new QTranslator(application);
    if (english->load(kBuiltIn.arg(QStringLiteral("en"))))
        QCoreApplication::installTranslator(english);
    const QString language = translationLanguage(QLocale::system().uiLanguages());
    if (language.isEmpty())
        return {};
    auto *own = new QTranslator(application);
    if (own->load(kBuiltIn.arg(language)))
        QCoreApplication::installTranslator(own);
    // Numbers that a translation writes with %L follow the language:
    // "0,862 s" in German.
    QLocale::setDefault(QLocale(language));
    // Qt's own texts in the same language; without the system's file (the
    // Qt translations package not installed) they stay English.
    auto *qt = new QTranslator(application);
    if (qt->load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    return language;
}
