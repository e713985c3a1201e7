// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

// The batch window's counter: the files a run has done, a slash and the
// files it took ("3 / 199 Files"), drawn as three labels but read by
// assistive technology as one text ("3 of 199 files done").
class RunCounter : public QWidget {
    Q_OBJECT
public:
    explicit RunCounter(QWidget *parent = nullptr);

    // Places the labels for counts `doneWidth` and `totalWidth` pixels wide;
    // returns the width the counter needs.
    int arrange(int doneWidth, int totalWidth);
    void setCounts(int done, int total);
    // "N Files", as the counter shows a run's number of files.
    static QString totalText(int totalCount);

    QLabel *done; // files done
    QLabel *slash;
    QLabel *total; // "N Files"
};
