// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window in each of its states and every dialog of the
// desktop program to PNG files: app_screenshots <folder> [de | fr]. Run it on
// the offscreen platform; each picture gets a plain title strip with the
// window's caption, since the platform draws no frames. Without a language
// it draws the English pictures, then runs itself for German and French,
// whose pictures are named with the language ("main-with-header-de.png").

#include "DarkPalette.h"

#include "tests/app/AppTestSupport.h"

#include "app/About.h"
#include "app/DetailsDialog.h"
#include "app/ErrorDialg.h"
#include "app/OtherDialog.h"
#include "app/Translations.h"

#include <QLabel>
#include <QPainter>
#include <QProcess>

#include <cstdio>

namespace {

constexpr int kTitleHeight = 22;

bool savePicture(QWidget *window, const QString &folder, const QString &name)
{
    const QPixmap client = window->grab();
    QImage picture(client.width(), client.height() + kTitleHeight, QImage::Format_RGB32);
    picture.fill(QColor(0x3A, 0x5F, 0x9F));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(12);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.drawText(QRect(6, 0, client.width() - 12, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     window->windowTitle());
    painter.drawPixmap(0, kTitleHeight, client);
    painter.end();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

// Shows a modal dialog, takes its picture from inside its event loop, closes it.
bool pictureOfModal(const std::function<void()> &run, const QString &folder, const QString &name)
{
    bool saved = false;
    apptest::ModalAnswerer answerer([&](QWidget *modal) {
        QApplication::processEvents();
        saved = savePicture(modal, folder, name);
        static_cast<QDialog *>(modal)->reject();
    });
    run();
    return saved;
}

// The program's windows in a language: the main window with a file that has
// a header, and every dialog. Names end in "-" and the language.
bool drawLanguage(const QString &folder, const QDir &work, const QString &language)
{
    const QString suffix = QLatin1Char('-') + language;
    const QString with =
        apptest::copyDatedBack(apptest::sampleWithHeader(), work.path(), QStringLiteral("With header.mp3"));
    Form1->FileName = with;
    Form1->OpenCurrentFile();
    bool ok = savePicture(Form1, folder, QStringLiteral("main-with-header") + suffix);
    const QString stale =
        apptest::copyDatedBack(apptest::sampleFile("real/cut_stale.mp3"), work.path(), QStringLiteral("Stale.mp3"));
    Form1->FileName = stale;
    Form1->OpenCurrentFile();
    ok &= pictureOfModal([] { Form1->FileDetails->trigger(); }, folder, QStringLiteral("details") + suffix);
    const QString text = QDir(work.path()).filePath(QStringLiteral("notes.mp3"));
    apptest::writeFile(text, "not audio\n");
    Form1->FileName = text;
    ok &= pictureOfModal([] { Form1->OpenCurrentFile(); }, folder, QStringLiteral("error-dialog") + suffix);
    ok &= pictureOfModal([] { Form1->SettingOther->trigger(); }, folder, QStringLiteral("other-setting") + suffix);
    ok &= pictureOfModal([] { Form1->HelpAbout->trigger(); }, folder, QStringLiteral("about-box") + suffix);
    ok &= pictureOfModal([] { Form1->SettingFont->trigger(); }, folder, QStringLiteral("font-dialog") + suffix);
    DestroyForms();
    QFile::remove(brantlow::settingsFilePath());
    for (const QString &made : {with, stale, text})
        QFile::remove(made);
    return ok;
}

// The German and French pictures, each drawn by a run of this program.
bool drawLanguages(const QString &folder)
{
    bool ok = true;
    for (const char *language : {"de", "fr"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {folder, QLatin1String(language)});
        ok = child.waitForFinished(120000) && child.exitCode() == 0 && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    const QString language = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    // The user's language, as the program takes it; English otherwise,
    // whatever the language of the session that draws the pictures.
    qputenv("LANGUAGE", language.isEmpty() ? QByteArray("en") : QByteArray(argv[2]));
    QApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: app_screenshots <folder> [de | fr]\n");
        return 2;
    }
    if (installTranslations(&app) != language) {
        std::fprintf(stderr, "app_screenshots: no translation for %s\n", argv[2]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    // A fixed folder, so that the pictures do not change from run to run.
    QDir work(QDir::temp().filePath(QStringLiteral("Music")));
    work.mkpath(QStringLiteral("."));
    apptest::freshSettingsFile();
    CreateForms();
    Form1->show();
    QApplication::processEvents();
    if (!language.isEmpty())
        return drawLanguage(folder, work, language) ? 0 : 1;

    bool ok = savePicture(Form1, folder, QStringLiteral("main-empty"));

    const QString without =
        apptest::copyDatedBack(apptest::sampleWithoutHeader(), work.path(), QStringLiteral("Without header.mp3"));
    Form1->FileName = without;
    Form1->OpenCurrentFile();
    ok &= savePicture(Form1, folder, QStringLiteral("main-without-header"));
    Form1->FileSave->trigger();
    ok &= savePicture(Form1, folder, QStringLiteral("main-after-save"));

    const QString with =
        apptest::copyDatedBack(apptest::sampleWithHeader(), work.path(), QStringLiteral("With header.mp3"));
    Form1->FileName = with;
    Form1->OpenCurrentFile();
    ok &= savePicture(Form1, folder, QStringLiteral("main-with-header"));

    // The facts of a stale file, in the default palette and in a dark one.
    const QString stale =
        apptest::copyDatedBack(apptest::sampleFile("real/cut_stale.mp3"), work.path(), QStringLiteral("Stale.mp3"));
    Form1->FileName = stale;
    Form1->OpenCurrentFile();
    ok &= savePicture(Form1, folder, QStringLiteral("main-stale"));
    ok &= pictureOfModal([] { Form1->FileDetails->trigger(); }, folder, QStringLiteral("details-stale"));
    Form1->DetailsDialog1->setPalette(darkPalette());
    ok &= pictureOfModal([] { Form1->FileDetails->trigger(); }, folder, QStringLiteral("details-dark"));
    Form1->DetailsDialog1->setPalette(QPalette());

    const QString text = QDir(work.path()).filePath(QStringLiteral("notes.mp3"));
    apptest::writeFile(text, "not audio\n");
    Form1->FileName = text;
    ok &= pictureOfModal([] { Form1->OpenCurrentFile(); }, folder, QStringLiteral("error-dialog"));

    ok &= pictureOfModal([] { Form1->SettingOther->trigger(); }, folder, QStringLiteral("other-setting"));
    ok &= pictureOfModal([] { Form1->HelpAbout->trigger(); }, folder, QStringLiteral("about-box"));
    ok &= pictureOfModal([] { Form1->SettingFont->trigger(); }, folder, QStringLiteral("font-dialog"));

    DestroyForms();
    QFile::remove(brantlow::settingsFilePath());
    for (const QString &made : {without, with, stale, text})
        QFile::remove(made);
    ok &= drawLanguages(folder);
    return ok ? 0 : 1;
}
