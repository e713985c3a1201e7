#pragma once

#include <QDialog>

// The multiple-file window: a check list of files and one run over them.
class TMultiFileDBox : public QDialog {
    Q_OBJECT
public:
    explicit TMultiFileDBox(QWidget *parent = nullptr);
};
