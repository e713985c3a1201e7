// SPDX-License-Identifier: GPL-3.0-or-later
// "Other Setting", the font dialog and the about box, opened from the main
// window's own actions and answered from inside their event loops.

#include "AppTestSupport.h"

#include "app/About.h"
#include "app/FontDialog.h"
#include "app/OtherDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

struct OtherControls {
    bool notUpdate;
    int range;
    bool subDirectory;
    bool noErrDialog;
    bool delItems;
};

OtherControls controlsOf(const TOtherDBox *box)
{
    return {box->CheckBox1->isChecked(), box->UpDown1->value(), box->CheckBox2->isChecked(),
            box->CheckBox3->isChecked(), box->CheckBox4->isChecked()};
}

void setControls(TOtherDBox *box, const OtherControls &c)
{
    box->CheckBox1->setChecked(c.notUpdate);
    box->UpDown1->setValue(c.range);
    box->CheckBox2->setChecked(c.subDirectory);
    box->CheckBox3->setChecked(c.noErrDialog);
    box->CheckBox4->setChecked(c.delItems);
}

bool operator==(const OtherControls &a, const OtherControls &b)
{
    return a.notUpdate == b.notUpdate && a.range == b.range && a.subDirectory == b.subDirectory &&
           a.noErrDialog == b.noErrDialog && a.delItems == b.delItems;
}

// Runs "O&ther", reads what the dialog shows, and lets `act` change and close it.
OtherControls runOther(const std::function<void(TOtherDBox *)> &act)
{
    OtherControls shown{};
    apptest::triggerAnswering<TOtherDBox>(Form1->SettingOther, [&](TOtherDBox *box) {
        shown = controlsOf(box);
        act(box);
    });
    return shown;
}

} // namespace

// Stands in for the web browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        apptest::freshSettingsFile();
        apptest::startProgram();
    }

    void cleanup() { DestroyForms(); }

    void otherShowsDefaults()
    {
        const OtherControls shown = runOther([](TOtherDBox *box) { box->CancelBtn->click(); });
        QVERIFY((shown == OtherControls{true, 3, true, false, true}));
        QCOMPARE(OtherDBox->windowTitle(), QStringLiteral("Other Setting"));
        QCOMPARE(OtherDBox->UpDown1->minimum(), 0);
        QCOMPARE(OtherDBox->UpDown1->maximum(), 32767);
        QVERIFY(!OtherDBox->UpDown1->wrapping());
    }

    void otherOkStores()
    {
        runOther([](TOtherDBox *box) {
            setControls(box, {false, 0, false, true, false});
            box->OKBtn->click();
        });
        const SettingsRecord &s = Form1->Settings;
        QCOMPARE(s.NotUpdate, false);
        QCOMPARE(s.MaxOffset, 0);
        QCOMPARE(s.SubDirectory, false);
        QCOMPARE(s.NoErrDialog, true);
        QCOMPARE(s.DelItems, false);
        // Shown again from the record.
        const OtherControls shown = runOther([](TOtherDBox *box) { box->CancelBtn->click(); });
        QVERIFY((shown == OtherControls{false, 0, false, true, false}));
    }

    void otherTypedRangeCounts()
    {
        runOther([](TOtherDBox *box) {
            box->UpDown1->findChild<QLineEdit *>()->setText(QStringLiteral("1441"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(Form1->Settings.MaxOffset, 1441);
    }

    void otherCancelKeepsRecord_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Esc") << true;
    }

    void otherCancelKeepsRecord()
    {
        QFETCH(bool, escape);
        const SettingsRecord before = Form1->Settings;
        runOther([escape](TOtherDBox *box) {
            setControls(box, {false, 99, false, true, false});
            if (escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->CancelBtn->click();
        });
        QCOMPARE(Form1->Settings.MaxOffset, before.MaxOffset);
        QCOMPARE(Form1->Settings.NotUpdate, before.NotUpdate);
        QCOMPARE(Form1->Settings.NoErrDialog, before.NoErrDialog);
        const OtherControls shown = runOther([](TOtherDBox *box) { box->CancelBtn->click(); });
        QVERIFY((shown == OtherControls{true, 3, true, false, true}));
    }

    void otherRangeOutside16Bits_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("low 16 bits") << 0x11170 << 0x1170;
        QTest::newRow("negative in 16 bits") << -5 << 0;
        QTest::newRow("above the range") << 0x8000 << 0;
    }

    void otherRangeOutside16Bits()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        Form1->Settings.MaxOffset = stored;
        const OtherControls seen = runOther([](TOtherDBox *box) { box->OKBtn->click(); });
        QCOMPARE(seen.range, shown);
        QCOMPARE(Form1->Settings.MaxOffset, shown);
    }

    void aboutBox()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        bool stayedOpen = false;
        apptest::triggerAnswering<TAboutBox>(Form1->HelpAbout, [&stayedOpen](TAboutBox *box) {
            box->Button1->click();
            box->Button1->click();
            stayedOpen = box->isVisible();
            box->OKButton->click();
        });
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QVERIFY(stayedOpen);
        QVERIFY(!AboutBox->isVisible());
        QCOMPARE(catcher.opened, (QList<QUrl>{TAboutBox::websiteUrl(), TAboutBox::websiteUrl()}));
        QCOMPARE(AboutBox->windowTitle(), QStringLiteral("Version Information"));
        QCOMPARE(AboutBox->Version->text(), QStringLiteral("Version 1.33"));
        QCOMPARE(AboutBox->Label2->text(), QStringLiteral("Use it at your own lisk"));
    }

    void fontCancelKeepsPathBox()
    {
        const QFont before = Form1->Edit1->font();
        apptest::triggerAnswering<FontDialog>(Form1->SettingFont, [](FontDialog *dialog) {
            dialog->setSelectedFont(QFont(QStringLiteral("Courier New"), 18));
            dialog->reject();
        });
        QCOMPARE(Form1->Edit1->font(), before);
    }

    void fontChosenShowsAndIsStored_data()
    {
        QTest::addColumn<int>("chosenSize");
        QTest::addColumn<int>("expectedSize");
        QTest::newRow("20 points") << 20 << 20;
        QTest::newRow("above the limit") << 28 << 20;
    }

    void fontChosenShowsAndIsStored()
    {
        QFETCH(int, chosenSize);
        QFETCH(int, expectedSize);
        QString family;
        int startSize = 0;
        apptest::triggerAnswering<FontDialog>(
            Form1->SettingFont, [&family, &startSize, chosenSize](FontDialog *dialog) {
                startSize = dialog->selectedFont().pointSize();
                QFont font(QStringLiteral("Liberation Mono"), chosenSize);
                font.setBold(true);
                dialog->setSelectedFont(font);
                dialog->colorList()->setCurrentIndex(dialog->colorList()->findText(QStringLiteral("Red")));
                family = dialog->selectedFont().family();
                dialog->accept();
            });
        // The dialog starts from the path box's font.
        QCOMPARE(startSize, 10);
        const QFont font = Form1->Edit1->font();
        QCOMPARE(font.family(), family);
        QCOMPARE(font.pointSize(), expectedSize);
        QVERIFY(font.bold());
        QCOMPARE(Form1->Edit1->palette().color(QPalette::Text), QColor(Qt::red));

        const QString file = brantlow::settingsFilePath();
        Form1->close();
        QCOMPARE(brantlow::readProfileText(file, "Font", "Name", {}), family);
        QCOMPARE(brantlow::readProfileInteger(file, "Font", "Size", 0), expectedSize);
        QCOMPARE(brantlow::readProfileInteger(file, "Font", "Color", 0), 0x0000FF);
        QCOMPARE(brantlow::readProfileInteger(file, "Font", "Pitch", 0), 2);
        QCOMPARE(brantlow::readProfileBool(file, "Font\\Style", "IsBold", false), true);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
