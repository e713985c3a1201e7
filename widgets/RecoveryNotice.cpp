// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecoveryNotice.h"

#include "LocalPath.h"

#include "platform/Journal.h"
#include "platform/TempLedger.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStringList>

void recoverInterruptedRewrites(QWidget *parent, const std::vector<std::string> &paths)
{
    QStringList lines;
    for (const brantlow::platform::RecoveredFile &file : brantlow::platform::recoverUnfinished(paths)) {
        const QString path = shownPath(QByteArray::fromStdString(file.path));
        lines << (file.restored ? QCoreApplication::translate("RecoveryNotice",
                                                              "%1: put back as it was before an interrupted rewrite.")
                                      .arg(path)
                                : QCoreApplication::translate("RecoveryNotice",
                                                              "%1: an interrupted rewrite cannot be put back (%2).")
                                      .arg(path, QString::fromStdString(file.reason)));
    }
    for (const brantlow::platform::Leftover &left : brantlow::platform::removeLeftovers())
        if (!left.removed) // a removed one is the program's own, and says nothing to the user
            lines << QCoreApplication::translate("RecoveryNotice",
                                                 "%1: named like a temporary file of Brantlow, left as it is (%2).")
                         .arg(shownPath(QByteArray::fromStdString(left.path)), QString::fromStdString(left.reason));
    if (!lines.isEmpty())
        QMessageBox::information(parent, QStringLiteral("Brantlow"), lines.join(QLatin1Char('\n')));
}
