// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private system bus: a real dbus-daemon of type "system" listening on a
// socket in a temporary folder, for as long as the object lives.
//
// Qt connects QDBusConnection::systemBus() once per process, so create this
// before anything in the process asks for the system bus; the constructor
// points DBUS_SYSTEM_BUS_ADDRESS at the new bus.
class SystemBus
{
public:
    SystemBus();
    ~SystemBus();
    SystemBus(const SystemBus &) = delete;
    SystemBus &operator=(const SystemBus &) = delete;

    // True once the daemon has printed its address and is serving it.
    bool is_running() const { return !bus_address.isEmpty(); }
    QString address() const { return bus_address; }
    // What went wrong when the daemon did not come up.
    QString error() const { return failure; }

private:
    QTemporaryDir dir;
    QProcess daemon;
    QString bus_address;
    QString failure;
};
