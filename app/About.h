// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QUrl>

class QFrame;
class QLabel;
class QPushButton;

// Product name, version and warning, and a button that opens the project's
// documentation page.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // The address "&WebSite" opens: the build's choice, or else the README
    // installed with the program (the source tree's when run from a build).
    static QUrl websiteUrl();

    QFrame *Panel1;
    QLabel *ProductName;
    QLabel *Version;
    QLabel *Label1;
    QLabel *Label2;
    QPushButton *OKButton;
    QPushButton *Button1;

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitToText();

    QFrame *m_outerBevel;
};
