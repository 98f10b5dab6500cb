// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "mcestandin.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdlib>

MceRequest::MceRequest(QObject *parent) : QObject(parent)
{}

void MceRequest::req_tklock_mode_change(const QString &mode)
{
    requests.append(mode);
    // A delayed reply that is not sent leaves the caller waiting until its
    // own timeout, like an MCE that hangs.
    if (silent) {
        setDelayedReply(true);
        held.append(message());
    }
}

void MceRequest::speak_again()
{
    silent = false;
    for (const QDBusMessage &call : qAsConst(held))
        QDBusConnection::systemBus().send(call.createReply());
    held.clear();
}

MceControl::MceControl(MceRequest *request, QObject *parent) : QObject(parent), request(request)
{}

void MceControl::emit_display_state(const QString &state)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/com/nokia/mce/signal"),
                                                     QStringLiteral("com.nokia.mce.signal"),
                                                     QStringLiteral("display_status_ind"));
    signal << state;
    QDBusConnection::systemBus().send(signal);
}

void MceControl::emit_display_state_without_argument()
{
    QDBusConnection::systemBus().send(QDBusMessage::createSignal(
        QStringLiteral("/com/nokia/mce/signal"), QStringLiteral("com.nokia.mce.signal"),
        QStringLiteral("display_status_ind")));
}

QStringList MceControl::requests() const
{
    return request->requests;
}

void MceControl::clear_requests()
{
    request->requests.clear();
}

void MceControl::set_silent(bool silent)
{
    if (silent)
        request->silent = true;
    else
        request->speak_again();
}

void MceControl::crash()
{
    std::_Exit(EXIT_FAILURE);
}
