// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDialog>

class QLabel;
class QPushButton;

// Asks, for one failing file of a batch run, whether to go on. Continue
// closes with result 1; Cancel with 2 and Esc with 0 both mean stop.
class TMultiErrorDBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int kContinue = 1;
    static constexpr int kCancel = 2;

    explicit TMultiErrorDBox(QWidget *parent = nullptr);

    QLabel *Label1; // the failure, written by the run before showing
    QByteArray FileName; // the failing file's path; its name part is the caption
    QLabel *Label2;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
};
