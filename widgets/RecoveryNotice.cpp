// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecoveryNotice.h"

#include "LocalPath.h"

#include "platform/Journal.h"

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
    if (!lines.isEmpty())
        QMessageBox::information(parent, QStringLiteral("Brantlow"), lines.join(QLatin1Char('\n')));
}
