// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/ratingserverprocess.h"

#include "support/testdatabase.h"

#include <QRegularExpression>
#include <QSignalSpy>

namespace {

constexpr int start_limit_ms = 20000;
constexpr int stop_limit_ms = 20000;

} // namespace

RatingServerProcess::RatingServerProcess(QObject *parent) : QObject(parent)
{
    connect(&child, &QProcess::readyReadStandardError, this,
            [this] { stderr_text += child.readAllStandardError(); });
}

RatingServerProcess::~RatingServerProcess()
{
    if (child.state() != QProcess::NotRunning) {
        child.kill();
        child.waitForFinished(stop_limit_ms);
    }
}

bool RatingServerProcess::start(const QString &database, const QStringList &extra)
{
    stderr_text.clear();
    listen_port = 0;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QStringList arguments{QStringLiteral("serve"), QStringLiteral("--listen"),
                          QStringLiteral("127.0.0.1:0")};
    if (!database.isEmpty())
        arguments << QStringLiteral("--database") << database_url(database);
    child.start(QStringLiteral(QUIVERBOLT_RATING_BINARY), arguments + extra);
    if (!child.waitForStarted(start_limit_ms))
        return false;
    static const QRegularExpression listening(
        QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
    QSignalSpy output(&child, &QProcess::readyReadStandardError);
    for (;;) {
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(stderr_text));
        if (match.hasMatch()) {
            listen_port = static_cast<quint16>(match.captured(1).toUInt());
            return true;
        }
        if (child.state() == QProcess::NotRunning || !output.wait(start_limit_ms))
            return false;
    }
}

bool RatingServerProcess::stop()
{
    if (child.state() == QProcess::NotRunning)
        return false;
    child.terminate();
    if (!child.waitForFinished(stop_limit_ms))
        return false;
    stderr_text += child.readAllStandardError();
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

void RatingServerProcess::kill_hard()
{
    child.kill();
    child.waitForFinished(stop_limit_ms);
}

QString RatingServerProcess::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(listen_port);
}

QString rating_server_binary()
{
    return QStringLiteral(QUIVERBOLT_RATING_BINARY);
}
