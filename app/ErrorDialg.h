// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The main window's error dialog: one message, captioned with the name of
// the file it concerns, and below it why the step failed. The main window
// sets Label1 and Label2 before showing it, over itself.
class TErrorDBox : public QDialog {
    Q_OBJECT
public:
    explicit TErrorDBox(QWidget *parent = nullptr);

    QLabel *Label1;
    // The reason, as the command line gives it; empty when none is known.
    QLabel *Label2;
    QPushButton *OKBtn;

protected:
    void showEvent(QShowEvent *event) override;
};
