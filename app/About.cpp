#include "About.h"

#include "Placement.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Version Information"));
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPixelSize(12);
    setFont(dialogFont);
    setFixedSize(329, 108);

    // Keyboard order: OK first, then WebSite.
    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    OKButton->setGeometry(251, 68, 70, 24);
    OKButton->setDefault(true);
    Button1 = new QPushButton(QStringLiteral("&WebSite"), this);
    Button1->setGeometry(252, 40, 70, 24);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(8, 7, 233, 90);
    // The lowered outer bevel around the raised inner one.
    auto *outerBevel = new QFrame(this);
    outerBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    outerBevel->setGeometry(Panel1->geometry().adjusted(-1, -1, 1, 1));
    outerBevel->lower();

    ProductName = labelAt(Panel1, QStringLiteral("Brantlow"), 12, 10);
    Version = labelAt(Panel1, QStringLiteral("Version 1.33"), 130, 10);
    Label1 = labelAt(Panel1, QStringLiteral("This program may damage your files"), 12, 51);
    Label2 = labelAt(Panel1, QStringLiteral("Use it at your own lisk"), 12, 65);

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
    centreOnScreen(this);
    QDialog::showEvent(event);
}
