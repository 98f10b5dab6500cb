// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// A stand-in for the desktop's screen saver on the session bus named by
// DBUS_SESSION_BUS_ADDRESS. Prints "ready" once it owns
// org.freedesktop.ScreenSaver.
#include "screensaverstandin.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus: %s\n", qPrintable(bus.lastError().message()));
        return EXIT_FAILURE;
    }

    // Desktops serve the interface under both paths.
    ScreenSaver screensaver;
    ScreenSaverControl control(&screensaver);
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screensaver,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerObject(QStringLiteral("/ScreenSaver"), &screensaver,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerObject(QStringLiteral("/quiverbolt/test"), &control,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"))) {
        std::fprintf(stderr, "cannot serve org.freedesktop.ScreenSaver: %s\n",
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
