// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of every window as a Linux desktop shows them without Arial:
// desktop_screenshots <folder> <name prefix> [dark]. Every window is drawn
// in DejaVu Sans with its longest texts and the batch counters at 99,999;
// "dark" draws them with the Fusion style's dark palette instead. Run on the
// offscreen platform; QT_SCALE_FACTOR=1.5 gives the 144 dpi pictures.

#include "DarkPalette.h"

#include "tests/app/AppTestSupport.h"

#include "app/About.h"
#include "app/DetailsDialog.h"
#include "app/ErrorDialg.h"
#include "app/OtherDialog.h"
#include "app/Translations.h"
#include "batch/AllRewriteDialog.h"
#include "batch/FileCheckList.h"
#include "batch/MultiErrorDialog.h"
#include "job/FileDetails.h"

#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyleFactory>

#include <cstdio>

namespace {

bool save(QWidget *window, const QString &folder, const QString &name)
{
    window->show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    window->hide();
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    const bool dark = argc == 4 && qstrcmp(argv[3], "dark") == 0;
    if (dark)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // English as the program shows it, whatever the language of the session
    // that draws the pictures.
    qputenv("LANGUAGE", "en");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: desktop_screenshots <folder> <name prefix> [dark]\n");
        return 2;
    }
    installTranslations(&app);
    if (dark)
        QApplication::setPalette(darkPalette());
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(folder);
    QDir work(QDir::temp().filePath(QStringLiteral("Music")));
    work.mkpath(QStringLiteral("."));
    apptest::freshSettingsFile();
    CreateForms();
    const QList<QWidget *> windows = {Form1,     AboutBox,  MultiFileDBox,        MultiErrorDBox,
                                      ErrorDBox, OtherDBox, Form1->DetailsDialog1};
    if (!dark) {
        for (QWidget *window : windows)
            apptest::useFontFamily(window, QStringLiteral("DejaVu Sans"));
    }

    const QString song =
        apptest::copyDatedBack(apptest::sampleWithoutHeader(), work.path(), QStringLiteral("Night Drive.mp3"));
    Form1->show();
    Form1->FileName = song;
    Form1->OpenCurrentFile();
    Form1->FileSave->trigger();
    bool ok = save(Form1, folder, prefix + QStringLiteral("main"));
    ok &= save(OtherDBox, folder, prefix + QStringLiteral("other-setting"));
    ok &= save(AboutBox, folder, prefix + QStringLiteral("about-box"));
    ErrorDBox->Label1->setText(QStringLiteral("This file is not MPEG/Audio file."));
    ErrorDBox->Label2->setText(QStringLiteral("PCM WAVE"));
    ok &= save(ErrorDBox, folder, prefix + QStringLiteral("error-dialog"));
    // The facts of a stale file (the dark one is app_screenshots'):
    // details-dejavu-96dpi.png, details-dejavu-144dpi.png.
    if (!dark) {
        const QString stale =
            apptest::copyDatedBack(apptest::sampleFile("real/cut_stale.mp3"), work.path(), QStringLiteral("Stale.mp3"));
        Form1->FileName = stale;
        Form1->OpenCurrentFile();
        Form1->DetailsDialog1->showFacts(QStringLiteral("Stale.mp3"), *brantlow::checkLoadedFile(Form1->BinEdit));
        ok &= save(Form1->DetailsDialog1, folder, QStringLiteral("details-") + prefix.chopped(1));
        QFile::remove(stale);
    }
    MultiErrorDBox->Label1->setText(QStringLiteral("Cannot Add/Remove a VBR Header."));
    ok &= save(MultiErrorDBox, folder, prefix + QStringLiteral("batch-error"));

    MultiFileDBox->show();
    for (const char *name : {"01 - Intro.mp3", "02 - Highway Lights.mp3", "03 - Broken Radio.mp3"})
        MultiFileDBox->CheckListBox1->appendChecked(work.filePath(QLatin1String(name)));
    MultiFileDBox->CheckListBox1->setChecked(1, false);
    MultiFileDBox->RadioButton2->setChecked(true);
    MultiFileDBox->Label1->setText(QStringLiteral("99999"));
    MultiFileDBox->Label3->setText(QStringLiteral("99999 Files"));
    MultiFileDBox->ProgressBar1->setValue(60);
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(prefix + QStringLiteral("batch.png"));
    ok &= MultiFileDBox->grab().save(path);
    std::printf("wrote %s\n", qPrintable(path));

    DestroyForms();
    QFile::remove(brantlow::settingsFilePath());
    QFile::remove(song);
    return ok ? 0 : 1;
}
