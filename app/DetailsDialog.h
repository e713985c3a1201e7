// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FileCheck.h"

#include <QDialog>

class QFormLayout;
class QLabel;
class QPushButton;

// What the open file holds, for "File > Details": the header's verdict, the
// header's counts beside the stream's, the encoder's delay and padding, its
// ReplayGain, and the tags and junk around the audio. It only formats what
// the job read of the file.
class TDetailsDBox : public QDialog {
    Q_OBJECT
public:
    explicit TDetailsDBox(QWidget *parent = nullptr);

    // Fills the rows for the file named `name`.
    void showFacts(const QString &name, const brantlow::FileCheck &check);

    // The values, one a row, each named after its row for screen readers.
    QLabel *Verdict;
    QLabel *Header;
    QLabel *Stream;
    QLabel *Encoder;
    QLabel *Gain;
    QLabel *Tags;
    QLabel *Junk;
    QPushButton *CloseBtn;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *addRow(QFormLayout *rows, const QString &caption);
};
