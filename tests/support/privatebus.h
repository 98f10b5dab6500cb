// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private D-Bus bus: a real dbus-daemon listening on a socket in a
// temporary folder, where every peer may own any name, call anyone and
// listen to everything (the peers on it are all ours). Qt connects each
// standard bus once per process, so create it before anything in the
// process asks for that bus; the constructor points the bus's environment
// variable (DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS) at it.
class PrivateBus
{
public:
    enum class Kind { System, Session };

    explicit PrivateBus(Kind kind);
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

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

// The bus where MCE lives on the phone.
class SystemBus : public PrivateBus
{
public:
    SystemBus() : PrivateBus(Kind::System) {}
};

// The bus where the desktop's services live.
class SessionBus : public PrivateBus
{
public:
    SessionBus() : PrivateBus(Kind::Session) {}
};
