// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace {

// A reason longer than this wraps onto more lines.
constexpr int kWidestReason = 400;

} // namespace

TErrorDBox::TErrorDBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("FileName"));
    setUpFixedDialog(this, 12, {210, 79});

    Label1 = new QLabel(tr("Cannot Add/Remove a VBR Header."), this);
    Label1->move(8, 11);
    Label1->adjustSize();
    Label2 = new QLabel(this);
    Label2->setWordWrap(true);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    OKBtn = new QPushButton(tr("&OK"), this);
    OKBtn->setGeometry(70, 39, 70, 24);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TErrorDBox::showEvent(QShowEvent *event)
{
    const std::string path = QFile::encodeName(Form1->FileName).toStdString();
    setWindowTitle(QFile::decodeName(brantlow::platform::namePart(path).c_str()));
    // Wider than the design when the message needs it in the font in use,
    // and taller by the reason's lines.
    Label1->adjustSize();
    int width = std::max(210, Label1->geometry().right() + 9);
    int grow = 0;
    Label2->setVisible(!Label2->text().isEmpty());
    if (Label2->isVisible()) {
        const int reasonWidth = std::min(kWidestReason, Label2->fontMetrics().horizontalAdvance(Label2->text()) + 2);
        width = std::max(width, 8 + reasonWidth + 9);
        const int top = Label1->geometry().bottom() + 4;
        Label2->setGeometry(8, top, width - 17, Label2->heightForWidth(width - 17));
        grow = Label2->geometry().bottom() - Label1->geometry().bottom();
    }
    setFixedSize(width, 79 + grow);
    OKBtn->resize(std::max(70, widthForText(OKBtn)), OKBtn->height());
    OKBtn->move((width - OKBtn->width()) / 2, 39 + grow);
    centreOnOwner(this);
    QApplication::beep();
    QDialog::showEvent(event);
}
