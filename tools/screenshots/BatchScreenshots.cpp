// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the batch window (its list with each file's state, a Fix run
// half-way through, the end of a run with failures, the undo of that run
// with its progress window and summary, the window resized) and of its
// error dialog, written as PNG files into the folder given on the
// command line: batch_screenshots <folder> [dejavu-144dpi | dark | de | fr].
// Without a variant it draws the plain pictures, then runs itself once for
// each variant: DejaVu Sans (no Arial) at 144 dpi, a dark palette, and the
// program in German and in French.
// Run with QT_QPA_PLATFORM=offscreen.

#include "tests/batch/BatchTestSupport.h"

#include "app/Translations.h"
#include "batch/MultiErrorDialog.h"
#include "batch/UndoProgress.h"

#include <QPainter>
#include <QProcess>
#include <QProgressDialog>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <cstdio>

using namespace batchtest;

namespace {

// The window with its caption in a strip above it, as a frame would show it
// (the offscreen platform draws none), at the screen's scale.
bool save(QWidget *window, const QString &folder, const QString &name, const QString &variant, bool settle = true)
{
    if (settle)
        QCoreApplication::processEvents();
    const QPixmap client = window->grab();
    const qreal scale = client.devicePixelRatio();
    const QSize clientSize = client.deviceIndependentSize().toSize();
    const int strip = QFontMetrics(window->font()).height() + 8;
    QPixmap picture(QSize(clientSize.width(), clientSize.height() + strip) * scale);
    picture.setDevicePixelRatio(scale);
    picture.fill(window->palette().color(QPalette::Highlight));
    QPainter painter(&picture);
    painter.setPen(window->palette().color(QPalette::HighlightedText));
    painter.setFont(window->font());
    painter.drawText(QRect(6, 0, clientSize.width() - 12, strip), Qt::AlignVCenter | Qt::AlignLeft,
                     window->windowTitle());
    painter.drawPixmap(0, strip, client);
    painter.end();
    const QString path =
        QDir(folder).filePath(name + (variant.isEmpty() ? QString() : QLatin1Char('-') + variant) + ".png");
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

// A RIFF WAVE file of PCM samples: a format the window cannot take.
QByteArray pcmWave()
{
    QByteArray samples(4000, '\x10');
    QByteArray wave("RIFF");
    auto put32 = [&wave](quint32 value) {
        for (int shift = 0; shift < 32; shift += 8)
            wave.append(char(value >> shift));
    };
    put32(36 + quint32(samples.size()));
    wave.append("WAVEfmt ");
    put32(16);
    wave.append(QByteArray::fromHex("0100020044ac000010b1020004001000"));
    wave.append("data");
    put32(quint32(samples.size()));
    return wave + samples;
}

// A dark palette made from its window colour, with a darker field colour
// (dark enough for the Fusion style's check box frames to show on it) and a
// blue highlight.
QPalette darkPalette()
{
    QPalette dark(QColor(0x55, 0x55, 0x55), QColor(0x4A, 0x4A, 0x4A));
    dark.setColor(QPalette::Base, QColor(0x14, 0x14, 0x14));
    dark.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    dark.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

// The window's layout font (which its controls take) in `family`.
void useFontFamily(QWidget *window, const QString &family)
{
    QFont font = window->font();
    font.setFamilies({family});
    window->setFont(font);
}

// The variants, each drawn by a run of this program of its own.
int drawVariants(const QString &program, const QString &folder)
{
    int failed = 0;
    for (const QString &variant :
         {QStringLiteral("dejavu-144dpi"), QStringLiteral("dark"), QStringLiteral("de"), QStringLiteral("fr")}) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (variant.contains(QLatin1String("144dpi")))
            environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1.5"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(program, {folder, variant});
        if (!child.waitForFinished(120000) || child.exitCode() != 0)
            ++failed;
    }
    return failed;
}

} // namespace

int main(int argc, char **argv)
{
    const QString variant = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (variant == QLatin1String("dark"))
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // A language is the user's, as the program takes it; English otherwise,
    // whatever the language of the session that draws the pictures.
    const bool language = variant == QLatin1String("de") || variant == QLatin1String("fr");
    qputenv("LANGUAGE", language ? QByteArray(argv[2]) : QByteArray("en"));
    QApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: batch_screenshots <output folder> [dejavu-144dpi | dark | de | fr]\n");
        return 2;
    }
    if (installTranslations(&app) != (language ? variant : QString())) {
        std::fprintf(stderr, "batch_screenshots: no translation for %s\n", argv[2]);
        return 1;
    }
    if (variant == QLatin1String("dark"))
        QApplication::setPalette(darkPalette());
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    // The runs' logs, which the undo reads, are this program's own.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));

    // An album with a file in each state; its track 4 cannot be read and
    // track 7 is gone, so that a run meets two failures.
    // A fixed folder, so that the pictures show the same paths each time.
    QDir albumDir(QDir::temp().filePath(QStringLiteral("Music/Night Drive")));
    albumDir.removeRecursively();
    const QString album = albumDir.path();
    const QString data = QStringLiteral(BRANTLOW_TEST_DATA_DIR);
    const QList<std::pair<QString, QString>> tracks = {
        {"01 - Intro.mp3", data + "/lame_xing.mp3"},
        {"02 - Highway Lights.mp3", data + "/real/cut_stale.mp3"},
        {"03 - Broken Radio.mp3", data + "/mpeg1_stereo_vbr.mp3"},
        {"04 - Tunnel.wav", QString()},
        {"05 - Rest Stop.mp3", QString()},
        {"06 - Dawn.mp3", data + "/real/joined_stale.mp3"},
        {"07 - Encore.mp3", QString()},
    };
    TestBatchHost host;
    host.settings.DelItems = false;
    TMultiFileDBox &box = host.window;
    if (variant.startsWith(QLatin1String("dejavu"))) {
        useFontFamily(&box, QStringLiteral("DejaVu Sans"));
        useFontFamily(&host.errorDialog, QStringLiteral("DejaVu Sans"));
        host.listFont = QFont(QStringLiteral("DejaVu Sans"), 10);
    }
    box.show();
    // Wide enough for the paths and states of a music folder, the reasons
    // of the failures included.
    box.resize(box.size() + QSize(520, 40));
    for (const auto &[name, source] : tracks) {
        const QString path = album + QLatin1Char('/') + name;
        if (name.startsWith(QLatin1String("04")))
            writeFile(path, pcmWave());
        else if (name.startsWith(QLatin1String("05")))
            writeFile(path, mp3Bytes(20));
        else if (!source.isEmpty())
            writeFile(path, readFile(source));
        box.CheckListBox1->appendChecked(path);
    }
    box.CheckListBox1->setChecked(0, false);
    box.RadioButton3->click();
    while (listStates(box).contains(QString()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    box.CheckListBox1->resizeColumnToContents(0);
    bool ok = save(&box, out, QStringLiteral("batch-states"), variant);

    // The run holds at the first failure while the dialog asks: the window
    // then shows the run half-way through.
    bool asked = false;
    answerNextModal([&](QWidget *) {
        if (!asked) {
            ok = save(&box, out, QStringLiteral("batch-fix-running"), variant) && ok;
            ok = save(&host.errorDialog, out, QStringLiteral("batch-error"), variant) && ok;
        }
        asked = true;
        host.errorDialog.OKBtn->click();
    });
    QTimer continueLater;
    QObject::connect(&continueLater, &QTimer::timeout, [&] {
        if (asked && QApplication::activeModalWidget() == &host.errorDialog)
            host.errorDialog.OKBtn->click();
    });
    continueLater.start(20);
    ok = runToEnd(box) && asked && ok;
    ok = save(&box, out, QStringLiteral("batch-failures"), variant) && ok;

    // The run taken back from the list's menu: drawn as it starts, before
    // the event loop can take its end, then its summary.
    box.UndoLastRun1->trigger();
    if (UndoProgress *undo = box.runningUndo()) {
        ok = save(&box, out, QStringLiteral("batch-undo-running"), variant, false) && ok;
        ok = save(undo->progressWindow(), out, QStringLiteral("batch-undo-progress"), variant, false) && ok;
    } else {
        ok = false;
    }
    answerNextModal([&](QWidget *modal) {
        ok = save(modal, out, QStringLiteral("batch-undo-summary"), variant) && ok;
        static_cast<QDialog *>(modal)->accept();
    });
    while (box.runningUndo())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    if (variant.isEmpty()) {
        box.resize(box.size() + QSize(60, 90));
        ok = save(&box, out, QStringLiteral("batch-resized"), variant) && ok;
        box.hide();
        ok = drawVariants(QCoreApplication::applicationFilePath(), out) == 0 && ok;
    }
    albumDir.removeRecursively();
    return ok ? 0 : 1;
}
