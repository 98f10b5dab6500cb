// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/mountnamespace.h"

#include <QProcess>
#include <QStandardPaths>

QStringList mount_namespace_command(QString &reason)
{
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty()) {
        reason = QStringLiteral("unshare is not installed");
        return {};
    }
    for (const QString &flags : {QStringLiteral("-m"), QStringLiteral("-rm")}) {
        QProcess probe;
        probe.start(unshare, {flags, QStringLiteral("true")});
        if (probe.waitForFinished() && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return {unshare, flags, QStringLiteral("--")};
        reason = QString::fromLocal8Bit(probe.readAllStandardError()).trimmed();
    }
    reason = QStringLiteral("no mount namespace can be made here: ") + reason;
    return {};
}
