// SPDX-License-Identifier: GPL-3.0-or-later
#include "About.h"

#include "widgets/LayoutFont.h"
#include "widgets/Placement.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setWindowTitle(tr("Version Information"));
    setUpFixedDialog(this, 12, {329, 108});

    // Keyboard order: OK first, then WebSite.
    OKButton = new QPushButton(tr("&OK"), this);
    OKButton->setGeometry(251, 68, 70, 24);
    OKButton->setDefault(true);
    Button1 = new QPushButton(tr("&WebSite"), this);
    Button1->setGeometry(252, 40, 70, 24);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(8, 7, 233, 90);
    // The lowered outer bevel around the raised inner one.
    m_outerBevel = new QFrame(this);
    m_outerBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_outerBevel->setGeometry(Panel1->geometry().adjusted(-1, -1, 1, 1));
    m_outerBevel->lower();

    ProductName = labelAt(Panel1, QStringLiteral("Brantlow"), 12, 10);
    Version = labelAt(Panel1, tr("Version %1").arg(QStringLiteral(BRANTLOW_VERSION)), 130, 10);
    Label1 = labelAt(Panel1, tr("This program may damage your files"), 12, 51);
    Label2 = labelAt(Panel1, tr("Use it at your own lisk"), 12, 65);

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button1, &QPushButton::clicked, this, &TAboutBox::Button1Click);
}

QUrl TAboutBox::websiteUrl()
{
    const QString chosen = QStringLiteral(BRANTLOW_WEBSITE_URL);
    if (!chosen.isEmpty())
        return QUrl(chosen);
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString installed = QDir::cleanPath(programFolder.filePath(QStringLiteral(BRANTLOW_DOC_FROM_BIN "/README.md")));
    if (QFileInfo::exists(installed))
        return QUrl::fromLocalFile(installed);
    return QUrl::fromLocalFile(QStringLiteral(BRANTLOW_SOURCE_README));
}

void TAboutBox::Button1Click()
{
    // Whether a browser came up is not looked at; the box stays open.
    QDesktopServices::openUrl(websiteUrl());
}

void TAboutBox::showEvent(QShowEvent *event)
{
    fitToText();
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void TAboutBox::fitToText()
{
    // The panel and the box grow to the right when the font in use needs more
    // room than the design gives; the buttons keep their place beside the
    // panel, as wide as the wider caption needs.
    for (QLabel *label : {ProductName, Version, Label1, Label2})
        label->adjustSize();
    const int buttonWidth = std::max({70, widthForText(OKButton), widthForText(Button1)});
    OKButton->resize(buttonWidth, OKButton->height());
    Button1->resize(buttonWidth, Button1->height());
    Version->move(std::max(130, ProductName->geometry().right() + 9), Version->y());
    int right = 0;
    for (QLabel *label : {Version, Label1, Label2})
        right = std::max(right, label->geometry().right());
    const int grow = std::max(0, right + 12 - 233);
    Panel1->resize(233 + grow, Panel1->height());
    m_outerBevel->setGeometry(Panel1->geometry().adjusted(-1, -1, 1, 1));
    OKButton->move(251 + grow, OKButton->y());
    Button1->move(252 + grow, Button1->y());
    setFixedSize(329 + grow + buttonWidth - 70, 108);
}
