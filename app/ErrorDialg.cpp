#include "ErrorDialg.h"

#include "Forms.h"
#include "MainForm.h"

#include "widgets/LayoutFont.h"
#include "widgets/Placement.h"

#include "platform/PathParts.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

TErrorDBox::TErrorDBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("FileName"));
    setUpFixedDialog(this, 12, {210, 79});

    Label1 = new QLabel(QStringLiteral("Cannot Add/Remove a VBR Header."), this);
    Label1->move(8, 11);
    Label1->adjustSize();
    OKBtn = new QPushButton(QStringLiteral("&OK"), this);
    OKBtn->setGeometry(70, 39, 70, 24);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TErrorDBox::showEvent(QShowEvent *event)
{
    const std::string path = QFile::encodeName(Form1->FileName).toStdString();
    setWindowTitle(QFile::decodeName(brantlow::platform::namePart(path).c_str()));
    // Wider than the design when the message needs it in the font in use.
    Label1->adjustSize();
    const int width = std::max(210, Label1->geometry().right() + 9);
    setFixedSize(width, 79);
    OKBtn->move((width - OKBtn->width()) / 2, OKBtn->y());
    centreOnScreen(this);
    QApplication::beep();
    QDialog::showEvent(event);
}
