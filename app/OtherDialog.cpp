#include "OtherDialog.h"

#include "Placement.h"
#include "Forms.h"
#include "MainForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <cstdint>

namespace {

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
    setWindowTitle(QStringLiteral("Other Setting"));
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPixelSize(12);
    setFont(dialogFont);
    setFixedSize(352, 193);

    // Created in keyboard order.
    OKBtn = new QPushButton(QStringLiteral("&OK"), this);
    OKBtn->setGeometry(276, 126, 66, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelBtn->setGeometry(275, 158, 66, 25);
    UpDown1 = new QSpinBox(this);
    UpDown1->setGeometry(162, 8, 41 + 15, 23);
    UpDown1->setRange(0, 32767);
    UpDown1->setSingleStep(1);
    UpDown1->setWrapping(false);
    CheckBox1 = checkBoxAt(this, QStringLiteral("Don't update time stamp."), {17, 96, 177, 17});
    GroupBox1 = new QGroupBox(QStringLiteral(" Note: "), this);
    GroupBox1->setGeometry(29, 32, 223, 56);
    CheckBox2 = checkBoxAt(this, QStringLiteral("Search in Sub-directories.(Multiple Only)"), {17, 120, 249, 17});
    CheckBox3 = checkBoxAt(this, QStringLiteral("Don't show error dialogs.(Multiple Only)"), {17, 144, 241, 17});
    CheckBox4 = checkBoxAt(this, QStringLiteral("Delete successful items.(Multiple Only)"), {17, 168, 233, 17});

    Label1 = labelAt(this, QStringLiteral("Seek frame header within "), 16, 12);
    Label2 = labelAt(this, QStringLiteral("Bytes."), 223, 12);
    Label3 = labelAt(GroupBox1, QStringLiteral("Default is 3Bytes."), 19, 16);
    Label4 = labelAt(GroupBox1, QStringLiteral("Max frame size is 1441Bytes."), 18, 32);

    connect(OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TOtherDBox::showEvent(QShowEvent *event)
{
    FormShow();
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
