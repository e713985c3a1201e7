#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The main window's error dialog: one message, captioned with the name of
// the file it concerns. The main window sets Label1 before showing it.
class TErrorDBox : public QDialog {
    Q_OBJECT
public:
    explicit TErrorDBox(QWidget *parent = nullptr);

    QLabel *Label1;
    QPushButton *OKBtn;

protected:
    void showEvent(QShowEvent *event) override;
};
