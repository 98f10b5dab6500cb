// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// A stand-in for the phone's MCE on the system bus named by
// DBUS_SYSTEM_BUS_ADDRESS. Prints "ready" once it owns com.nokia.mce.
#include "mcestandin.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no system bus: %s\n", qPrintable(bus.lastError().message()));
        return EXIT_FAILURE;
    }

    MceRequest request;
    MceControl control(&request);
    if (!bus.registerObject(QStringLiteral("/com/nokia/mce/request"), &request,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerObject(QStringLiteral("/quiverbolt/test"), &control,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("com.nokia.mce"))) {
        std::fprintf(stderr, "cannot serve com.nokia.mce: %s\n",
                     qPrintable(bus.lastError().message()));
        return EXIT_FAILURE;
    }

    // Go when the bus goes, so that a test that dies leaves nothing behind.
    // QDBusConnection::connect takes the slot by its signature only.
    bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), &app,
                SLOT(quit()));

    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
