// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private session bus: a real dbus-daemon of type "session" listening on a
// socket in a temporary folder, for as long as the object lives.
//
// Qt connects QDBusConnection::sessionBus() once per process, so create this
// before anything in the process asks for the session bus; the constructor
// points DBUS_SESSION_BUS_ADDRESS at the new bus.
class SessionBus
{
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus &) = delete;
    SessionBus &operator=(const SessionBus &) = delete;

    bool is_running() const { return !bus_address.isEmpty(); }
    QString address() const { return bus_address; }
    QString error() const { return failure; }

private:
    QTemporaryDir dir;
    QProcess daemon;
    QString bus_address;
    QString failure;
};
