// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/mcepeer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

namespace {

QDBusMessage control_call(const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("com.nokia.mce"), QStringLiteral("/quiverbolt/test"),
        QStringLiteral("quiverbolt.test.MceControl"), method);
    message.setArguments(arguments);
    return message;
}

} // namespace

McePeer::McePeer(const QString &program) : program(program)
{}

bool McePeer::start()
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, QStringList());
    if (!process.waitForStarted(timeout_ms))
        return false;
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(timeout_ms))
            return false;
    }
    return process.readLine().trimmed() == "ready";
}

void McePeer::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished();
}

bool McePeer::call(const QString &method, const QVariantList &arguments)
{
    return QDBusConnection::systemBus()
               .call(control_call(method, arguments), QDBus::Block, timeout_ms)
               .type() == QDBusMessage::ReplyMessage;
}

bool McePeer::emit_display_state(const QString &state)
{
    return call(QStringLiteral("emit_display_state"), {state});
}

QStringList McePeer::requests()
{
    const QDBusReply<QStringList> reply = QDBusConnection::systemBus().call(
        control_call(QStringLiteral("requests")), QDBus::Block, timeout_ms);
    return reply.isValid() ? reply.value() : QStringList{QStringLiteral("<no answer>")};
}

bool McePeer::clear_requests()
{
    return call(QStringLiteral("clear_requests"));
}

bool McePeer::crash()
{
    QDBusConnection::systemBus().asyncCall(control_call(QStringLiteral("crash")));
    return process.waitForFinished(timeout_ms);
}
