// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/runprogram.h"

#include <QProcess>

Run run(const QString &program, const QStringList &arguments, int timeout_ms,
        const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeout_ms)) {
        process.kill();
        process.waitForFinished();
        return {-1, process.readAll() + "\n(timed out)"};
    }
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, process.readAll()};
}
