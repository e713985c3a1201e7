// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutFont.h"

#include <QDialog>
#include <QFont>
#include <QSize>

QFont layoutFont(int pixelHeight)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    return font;
}

void setUpFixedDialog(QDialog *dialog, int fontPixelHeight, const QSize &clientSize)
{
    dialog->setFont(layoutFont(fontPixelHeight));
    dialog->setFixedSize(clientSize);
}
