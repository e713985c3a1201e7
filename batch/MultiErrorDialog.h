#pragma once

#include <QDialog>

// Asks, for one failing file of a batch run, whether to go on.
class TMultiErrorDBox : public QDialog {
    Q_OBJECT
public:
    explicit TMultiErrorDBox(QWidget *parent = nullptr);
};
