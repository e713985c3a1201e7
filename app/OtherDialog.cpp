// SPDX-License-Identifier: GPL-3.0-or-later
#include "OtherDialog.h"

#include "Forms.h"
#include "MainForm.h"

#include "widgets/LayoutFont.h"
#include "widgets/Placement.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

constexpr QSize kDesignClient(352, 193);
// The check boxes' design bounds, in the order CheckBox1 to CheckBox4.
constexpr QRect kCheckBoxBounds[] = {{17, 96, 177, 17}, {17, 120, 249, 17}, {17, 144, 241, 17}, {17, 168, 233, 17}};

QCheckBox *checkBoxAt(QWidget *parent, const QString &text, const QRect &bounds)
{
    auto *box = new QCheckBox(text, parent);
    box->setGeometry(bounds);
    return box;
}

} // namespace

TOtherDBox::TOtherDBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setWindowTitle(tr("Other Setting"));
    setUpFixedDialog(this, 12, kDesignClient);

    // Created in keyboard order.
    OKBtn = new QPushButton(tr("&OK"), this);
    OKBtn->setGeometry(276, 126, 66, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(tr("&Cancel"), this);
    CancelBtn->setGeometry(275, 158, 66, 25);
    UpDown1 = new QSpinBox(this);
    UpDown1->setGeometry(162, 8, 41 + 15, 23);
    UpDown1->setRange(0, 32767);
    UpDown1->setSingleStep(1);
    UpDown1->setWrapping(false);
    CheckBox1 = checkBoxAt(this, tr("Don't &update time stamp."), kCheckBoxBounds[0]);
    GroupBox1 = new QGroupBox(tr(" Note: "), this);
    GroupBox1->setGeometry(29, 32, 223, 56);
    CheckBox2 = checkBoxAt(this, tr("Search in Sub-&directories.(Multiple Only)"), kCheckBoxBounds[1]);
    CheckBox3 = checkBoxAt(this, tr("Don't show &error dialogs.(Multiple Only)"), kCheckBoxBounds[2]);
    CheckBox4 = checkBoxAt(this, tr("De&lete successful items.(Multiple Only)"), kCheckBoxBounds[3]);

    Label1 = labelAt(this, tr("&Seek frame header within "), 16, 12);
    Label1->setBuddy(UpDown1);
    Label2 = labelAt(this, tr("Bytes."), 223, 12);
    Label3 = labelAt(GroupBox1, tr("Default is 3Bytes."), 19, 16);
    Label4 = labelAt(GroupBox1, tr("Max frame size is 1441Bytes."), 18, 32);

    connect(OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TOtherDBox::showEvent(QShowEvent *event)
{
    FormShow();
    fitToText();
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void TOtherDBox::FormShow()
{
    const SettingsRecord &settings = Form1->Settings;
    CheckBox1->setChecked(settings.NotUpdate);
    // The control holds a 16-bit position; out-of-range values end up at its limits.
    UpDown1->setValue(static_cast<std::int16_t>(settings.MaxOffset & 0xFFFF));
    CheckBox2->setChecked(settings.SubDirectory);
    CheckBox3->setChecked(settings.NoErrDialog);
    CheckBox4->setChecked(settings.DelItems);
}

void TOtherDBox::OKBtnClick()
{
    SettingsRecord &settings = Form1->Settings;
    settings.NotUpdate = CheckBox1->isChecked();
    // Text still being typed counts; what cannot be read keeps the last position.
    UpDown1->interpretText();
    settings.MaxOffset = UpDown1->value();
    settings.SubDirectory = CheckBox2->isChecked();
    settings.NoErrDialog = CheckBox3->isChecked();
    settings.DelItems = CheckBox4->isChecked();
}

void TOtherDBox::fitToText()
{
    // The design layout, widened where the font in use needs more room than
    // the design widths give; the dialog grows to the right to hold it.
    for (QLabel *label : {Label1, Label2, Label3, Label4})
        label->adjustSize();
    UpDown1->move(std::max(162, Label1->geometry().right() + 1), 8);
    Label2->move(std::max(223, UpDown1->geometry().right() + 6), 12);
    GroupBox1->resize(std::max(223, std::max(Label3->geometry().right(), Label4->geometry().right()) + 8),
                      GroupBox1->height());

    int right = std::max(Label2->geometry().right(), GroupBox1->geometry().right());
    QCheckBox *const boxes[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4};
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        QCheckBox *box = boxes[i];
        box->resize(std::max(kCheckBoxBounds[i].width(), widthForText(box)), box->height());
        right = std::max(right, box->geometry().right());
    }
    // The buttons right of everything else, as wide as the wider caption needs.
    const int buttonsLeft = std::max(276, right + 10);
    const int buttonWidth = std::max({66, widthForText(OKBtn), widthForText(CancelBtn)});
    OKBtn->setGeometry(buttonsLeft, OKBtn->y(), buttonWidth, OKBtn->height());
    CancelBtn->setGeometry(buttonsLeft - 1, CancelBtn->y(), buttonWidth, CancelBtn->height());
    setFixedSize(std::max(buttonsLeft + buttonWidth + 10, Label2->geometry().right() + 10), kDesignClient.height());
}
