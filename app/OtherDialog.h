// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "Other Setting": the seek range, the time-stamp switch and the three batch
// switches of the main window's settings record, loaded at every show and
// stored only on OK.
class TOtherDBox : public QDialog {
    Q_OBJECT
public:
    explicit TOtherDBox(QWidget *parent = nullptr);

    QPushButton *OKBtn;
    QPushButton *CancelBtn;
    // The seek-range edit box with its up-down control, 0 to 32767.
    QSpinBox *UpDown1;
    QCheckBox *CheckBox1;
    QGroupBox *GroupBox1;
    QCheckBox *CheckBox2;
    QCheckBox *CheckBox3;
    QCheckBox *CheckBox4;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;

public slots:
    void OKBtnClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void fitToText();
};
