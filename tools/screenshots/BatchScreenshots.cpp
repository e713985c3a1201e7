// Pictures of the batch window (a filled list, a run half-way through, the
// end of the run) and of its error dialog, written as PNG files into the
// folder given on the command line. Run with QT_QPA_PLATFORM=offscreen.

#include "app/Forms.h"
#include "app/MainForm.h"
#include "tests/app/TempSettingsFile.h"
#include "tests/batch/BatchTestSupport.h"

#include <QProgressBar>
#include <QTemporaryDir>

#include <cstdio>

using namespace batchtest;

namespace {

bool save(QWidget *widget, const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name;
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: batch_screenshots <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    QTemporaryDir music;
    const QString album = music.filePath(QStringLiteral("Music/Night Drive"));
    const QStringList names = {"01 - Intro.mp3", "02 - Highway Lights.mp3", "03 - Broken Radio.mp3",
                               "04 - Tunnel.wav",  "05 - Rest Stop.mp3",      "06 - Dawn.mp3"};
    for (const QString &name : names) {
        const bool broken = name.startsWith(QStringLiteral("03"));
        writeFile(album + QLatin1Char('/') + name, broken ? QByteArray("not audio") : mp3Bytes(20));
    }

    const apptest::TempSettingsFile settings;
    CreateForms();
    Form1->Settings.DelItems = false;
    Form1->Settings.NoErrDialog = false;
    MultiFileDBox->show();
    TMultiFileDBox &box = *MultiFileDBox;
    for (const QString &name : names)
        box.CheckListBox1->appendChecked(album + QLatin1Char('/') + name);
    box.CheckListBox1->setChecked(4, false);
    QCoreApplication::processEvents();
    bool ok = save(&box, out, QStringLiteral("batch-list.png"));

    int files = 0;
    RunProbe probe(box, [&] {
        if (++files == 4)
            ok = save(&box, out, QStringLiteral("batch-running.png")) && ok;
    });
    QTimer errorWatch;
    QObject::connect(&errorWatch, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != MultiErrorDBox || !MultiErrorDBox->isVisible())
            return;
        ok = save(MultiErrorDBox, out, QStringLiteral("batch-error.png")) && ok;
        MultiErrorDBox->OKBtn->click();
    });
    errorWatch.start(20);
    box.Button2->click();
    errorWatch.stop();
    QCoreApplication::processEvents();
    ok = save(&box, out, QStringLiteral("batch-done.png")) && ok;

    box.resize(box.size() + QSize(220, 90));
    QCoreApplication::processEvents();
    ok = save(&box, out, QStringLiteral("batch-resized.png")) && ok;

    DestroyForms();
    return ok ? 0 : 1;
}
