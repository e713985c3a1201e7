// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program as a Linux desktop user meets it: driven by keyboard
// alone, drawn with a font wider than Arial, and given file names that are
// not UTF-8.

#include "AppTestSupport.h"
#include "ClippedTexts.h"

#include "app/About.h"
#include "app/Application.h"
#include "app/DetailsDialog.h"
#include "app/ErrorDialg.h"
#include "app/FontDialog.h"
#include "app/OtherDialog.h"
#include "batch/AllRewriteDialog.h"
#include "batch/MultiErrorDialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QSpinBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QTemporaryDir>
#include <QtTest>

#include <QRegularExpression>
#include <QStyle>

#include <algorithm>
#include <fstream>
#include <unistd.h>

namespace {

// Bytes 0xE9 (Latin-1 "é") and 0xFF are not UTF-8.
const QByteArray kNotUtf8Name = QByteArrayLiteral("caf\xE9 \xFF.mp3");

bool writeBytes(const QByteArray &path, const QByteArray &bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(bytes.constData(), bytes.size());
    return bool(out);
}

QByteArray readBytes(const QByteArray &path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_folder.isValid());
        apptest::freshSettingsFile();
        apptest::startProgram();
        Form1->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form1));
    }

    void cleanup()
    {
        DestroyForms();
        // QDir cannot name it to remove it, and the folder would stay behind.
        ::unlink((QFile::encodeName(m_folder.path()) + '/' + kNotUtf8Name).constData());
    }

    // Open through the menu's mnemonics and the file dialog's name box,
    // save with the shortcut, quit with the shortcut.
    void keyboardOnly()
    {
        const QString path = apptest::copyDatedBack(apptest::sampleWithoutHeader(), m_folder.path(), "keys.mp3");
        const QByteArray before = apptest::readFile(path);
        bool typed = false;
        {
            apptest::ModalAnswerer answerer([&](QWidget *modal) {
                // The name box has the focus when the dialog comes up.
                QWidget *focus = QApplication::focusWidget();
                if (!qobject_cast<QLineEdit *>(focus) || focus->window() != modal)
                    return; // not focused yet: the next look
                QTest::keyClicks(focus, path);
                QTest::keyClick(focus, Qt::Key_Return);
                typed = !modal->isVisible();
            });
            QTest::keyClick(Form1, Qt::Key_F, Qt::AltModifier);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QTest::keyClick(menu, Qt::Key_O);
        }
        QVERIFY(typed);
        QCOMPARE(Form1->Label3->text(), QStringLiteral("This File includes no VBR Header."));
        // No completion list is left open; a window manager gives the focus back.
        QVERIFY(!QApplication::activePopupWidget());
        Form1->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(Form1));

        QTest::keyClick(Form1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Form1->Label3->text(), QStringLiteral("This File includes a VBR Header Now."));
        QVERIFY(apptest::readFile(path) != before);

        // F10 opens the first menu; Esc closes it, a second Esc leaves the menu bar.
        QTest::keyClick(Form1, Qt::Key_F10);
        QVERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);

        QTest::keyClick(Form1, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!Form1->isVisible());
    }

    // Both open dialogs offer SONG.MP3 and b.Wav, and every file last.
    void openDialogsIgnoreLetterCase()
    {
        for (QFileDialog *dialog : {Form1->OpenDialog1, MultiFileDBox->OpenDialog1}) {
            const QStringList filters = dialog->nameFilters();
            QCOMPARE(filters.back(), QStringLiteral("All files (*)"));
            const QString first = filters.front();
            const QStringList patterns =
                first.mid(first.lastIndexOf(QLatin1Char('(')) + 1).chopped(1).split(QLatin1Char(' '));
            for (const char *name : {"SONG.MP3", "b.Wav", "c.rmp"}) {
                const bool offered = std::any_of(patterns.begin(), patterns.end(), [name](const QString &pattern) {
                    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                        .match(QLatin1String(name))
                        .hasMatch();
                });
                QVERIFY2(offered, name);
            }
        }
    }

    // The font dialog offers only what the settings file keeps: sizes up to
    // 20 points, faces with Latin letters.
    void fontDialogOffersWhatIsKept()
    {
        FontDialog dialog;
        QCOMPARE(dialog.sizeBox()->maximum(), 20);
        QVERIFY(dialog.familyList()->findText(QStringLiteral("DejaVu Sans")) >= 0);
        int symbolFonts = 0;
        for (const QString &family : QFontDatabase::families()) {
            const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
            if (systems.contains(QFontDatabase::Symbol) && !systems.contains(QFontDatabase::Latin)) {
                ++symbolFonts;
                QCOMPARE(dialog.familyList()->findText(family), -1);
            }
        }
        if (symbolFonts == 0)
            QSKIP("no symbol font installed");
    }

    void toolbarInTabOrder()
    {
        Form1->ToolButton2->setFocus();
        QCOMPARE(Form1->ToolButton2->nextInFocusChain(), static_cast<QWidget *>(Form1->ToolButton3));
        QVERIFY(!Form1->ToolButton2->toolTip().isEmpty() && !Form1->ToolButton3->toolTip().isEmpty());
        QVERIFY(!MultiFileDBox->SpeedButton1->toolTip().isEmpty() && !MultiFileDBox->SpeedButton2->toolTip().isEmpty());
        QVERIFY(MultiFileDBox->SpeedButton1->focusPolicy() & Qt::TabFocus);
    }

    void toolbarAccessibleNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("nameWithFileOpen");
        QTest::newRow("toolbar") << "ToolBar1"
                                 << "Toolbar"
                                 << "Toolbar";
        QTest::newRow("open button") << "ToolButton2"
                                     << "Open"
                                     << "Open";
        QTest::newRow("save button") << "ToolButton3"
                                     << "Save"
                                     << "Add VBR Header";
    }

    // What a screen reader says of the toolbar and its buttons: a name, and
    // what they do; the save button is named after what it will do.
    void toolbarAccessibleNames()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(QString, nameWithFileOpen);
        const QMap<QString, QWidget *> controls = {{"ToolBar1", static_cast<QWidget *>(Form1->ToolBar1)},
                                                   {"ToolButton2", Form1->ToolButton2},
                                                   {"ToolButton3", Form1->ToolButton3}};
        QAccessibleInterface *read = QAccessible::queryAccessibleInterface(controls.value(control));
        QVERIFY(read);
        QCOMPARE(read->text(QAccessible::Name), name);
        QVERIFY(!read->text(QAccessible::Description).isEmpty());
        Form1->FileName = apptest::sampleWithoutHeader();
        QVERIFY(Form1->OpenCurrentFile());
        QCOMPARE(read->text(QAccessible::Name), nameWithFileOpen);
    }

    // At 144 dpi a 16-pixel picture has 24 pixels of its own, not 16 blown
    // up; the same at other scales a desktop offers.
    void toolbarPicturesForTheScale()
    {
        for (QToolButton *button : {Form1->ToolButton2, Form1->ToolButton3}) {
            const QSize size = button->iconSize();
            for (const qreal scale : {button->devicePixelRatioF(), 1.25, 1.5, 2.0}) {
                const QPixmap picture = button->icon().pixmap(size, scale);
                QCOMPARE(picture.size(), (QSizeF(size) * scale).toSize());
            }
        }
    }

    // The program's own icon is built in, for a program run where no icon
    // theme has it.
    void windowIconBuiltIn()
    {
        QVERIFY(!Application::programIcon().isNull());
        for (const int size : {16, 32, 48, 128})
            QVERIFY(QFile::exists(QStringLiteral(":/brantlow/icon-%1.png").arg(size)));
    }

    void errorDialogsOverTheirWindow_data()
    {
        QTest::addColumn<bool>("batch");
        QTest::newRow("main window's") << false;
        QTest::newRow("batch window's") << true;
    }

    // Centred on the window they report for, wherever it stands, and framed
    // with a title bar only.
    void errorDialogsOverTheirWindow()
    {
        QFETCH(bool, batch);
        QWidget *owner = batch ? static_cast<QWidget *>(MultiFileDBox) : Form1;
        QDialog *dialog = batch ? static_cast<QDialog *>(MultiErrorDBox) : ErrorDBox;
        owner->show();
        owner->move(30, 40);
        dialog->show();
        QCOMPARE(dialog->frameGeometry().center(), owner->frameGeometry().center());
        // A title bar with no button: the window manager is told that the
        // dialog can be moved, and nothing else.
        const Qt::WindowFlags buttons = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
            | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
        QVERIFY(dialog->windowFlags() & Qt::CustomizeWindowHint);
        QVERIFY(dialog->windowFlags() & Qt::WindowTitleHint);
        QVERIFY(!(dialog->windowFlags() & buttons));
        dialog->hide();
    }

    // Every window drawn in DejaVu Sans, which is wider than Arial, with the
    // longest texts its labels take, the counters at five digits.
    void noTextClippedWithDejaVuSans()
    {
        Form1->Label3->setText(QStringLiteral("This File includes no VBR Header Now."));
        ErrorDBox->Label1->setText(QStringLiteral("This file is not MPEG/Audio file."));
        ErrorDBox->Label2->setText(QStringLiteral("error 13: PCM WAVE"));
        MultiErrorDBox->Label1->setText(QStringLiteral("Cannot Add/Remove a VBR Header."));
        FontDialog fontDialog(Form1);
        Form1->FileName = apptest::sampleFile("real/cut_stale.mp3");
        QVERIFY(Form1->OpenCurrentFile());
        brantlow::TBinEdit engine;
        engine.LoadFile(QFile::encodeName(Form1->FileName).toStdString());
        Form1->DetailsDialog1->showFacts(QStringLiteral("cut_stale.mp3"), brantlow::checkFile(*engine.Image));
        const QList<QWidget *> windows = {Form1,     AboutBox,  MultiFileDBox, MultiErrorDBox,
                                          ErrorDBox, OtherDBox, &fontDialog,   Form1->DetailsDialog1};
        for (QWidget *window : windows) {
            apptest::useFontFamily(window, QStringLiteral("DejaVu Sans"));
            window->hide();
            window->show();
            if (window == MultiFileDBox) {
                MultiFileDBox->RadioButton2->setChecked(true);
                MultiFileDBox->Label1->setText(QStringLiteral("99999"));
                MultiFileDBox->Label3->setText(QStringLiteral("99999 Files"));
            }
            QCoreApplication::processEvents();
            const QStringList clipped = apptest::clippedTexts(window);
            QVERIFY2(clipped.isEmpty(), qPrintable(window->windowTitle() + QStringLiteral(": ") + clipped.join("; ")));
            window->hide();
        }
    }

    // With Arial's metrics (Liberation Sans stands in for it) every window
    // keeps the size of its design.
    void arialMetricsKeepTheDesignSizes()
    {
        const QString arial = QFontInfo(QFont(QStringLiteral("Arial"))).family();
        if (arial != QStringLiteral("Arial") && arial != QStringLiteral("Liberation Sans"))
            QSKIP("no font with Arial's metrics");
        const QList<std::pair<QWidget *, QSize>> windows = {
            {AboutBox, {329, 108}}, {MultiErrorDBox, {280, 96}}, {ErrorDBox, {210, 79}}, {OtherDBox, {352, 193}}};
        for (const auto &[window, design] : windows) {
            window->show();
            QCoreApplication::processEvents();
            QCOMPARE(window->size(), design);
            window->hide();
        }
        MultiFileDBox->show();
        MultiFileDBox->Label3->setText(QStringLiteral("99999 Files"));
        // 19 pixels taller than the design: the "Fix" button's row.
        QCOMPARE(MultiFileDBox->minimumSize(), QSize(400 - 8, 210 + 19 - 27));
        QVERIFY(apptest::clippedTexts(MultiFileDBox).isEmpty());
        MultiFileDBox->hide();
    }

    void nameThatIsNotUtf8_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("open dialog") << "dialog";
        QTest::newRow("drop") << "drop";
        QTest::newRow("command line") << "command line";
    }

    // Shown with replacement characters, opened and saved by its own bytes.
    void nameThatIsNotUtf8()
    {
        QFETCH(QString, how);
        const QByteArray path = QFile::encodeName(m_folder.path()) + '/' + kNotUtf8Name;
        const QByteArray original = apptest::readFile(apptest::sampleWithoutHeader());
        QVERIFY(writeBytes(path, original));
        const QString shown = QFile::decodeName(path);
        QVERIFY(shown.contains(QChar::ReplacementCharacter));

        if (how == "dialog") {
            // What the file dialog hands over: the text, bytes already lost.
            apptest::triggerAnswering(Form1->FileOpen, apptest::chooseFile(shown));
        } else if (how == "drop") {
            apptest::dropUrls(Form1,
                              {QUrl(QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/")))});
        } else {
            DestroyForms();
            CreateForms();
            Form1->setCommandLine(QList<QByteArray>{path});
            Form1->show();
        }
        QTRY_COMPARE(Form1->Edit1->text(), shown);
        QCOMPARE(Form1->Label3->text(), QStringLiteral("This File includes no VBR Header."));
        Form1->FileSave->trigger();
        QCOMPARE(Form1->Label3->text(), QStringLiteral("This File includes a VBR Header Now."));
        QVERIFY(readBytes(path).size() > original.size());
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
