// SPDX-License-Identifier: GPL-3.0-or-later
#include "MultiErrorDialog.h"

#include "widgets/LayoutFont.h"
#include "widgets/Placement.h"

#include "platform/PathParts.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

TMultiErrorDBox::TMultiErrorDBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setUpFixedDialog(this, 13, {280, 96});

    Label1 = new QLabel(this);
    Label1->setGeometry(11, 8, 264, 16);
    Label2 = new QLabel(tr("Do you want to continue to rewrite other files?"), this);
    Label2->setGeometry(11, 25, 264, 16);

    OKBtn = new QPushButton(tr("C&ontinue"), this);
    OKBtn->setGeometry(63, 54, 70, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(kContinue); });

    CancelBtn = new QPushButton(tr("&Cancel"), this);
    CancelBtn->setGeometry(143, 54, 70, 25);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(kCancel); });
}

void TMultiErrorDBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMultiErrorDBox::FormShow()
{
    // Wider than the design when the texts need it in the font in use; the
    // buttons stay in the middle.
    const int textWidth = std::max({264, Label1->sizeHint().width(), Label2->sizeHint().width()});
    Label1->resize(textWidth, Label1->height());
    Label2->resize(textWidth, Label2->height());
    // The buttons as wide as the wider caption needs, 10 pixels apart, the
    // gap between them where the design has it.
    const int buttonWidth = std::max({70, widthForText(OKBtn), widthForText(CancelBtn)});
    const int textGrow = textWidth - 264;
    const int grow = std::max(textGrow, 2 * (buttonWidth - 70));
    setFixedSize(280 + grow, 96);
    OKBtn->setGeometry(63 + grow / 2 - (buttonWidth - 70), OKBtn->y(), buttonWidth, OKBtn->height());
    CancelBtn->setGeometry(143 + grow / 2, CancelBtn->y(), buttonWidth, CancelBtn->height());
    setWindowTitle(QFile::decodeName(brantlow::platform::namePart(FileName.toStdString()).c_str()));
    centreOnOwner(this);
    QApplication::beep();
}
