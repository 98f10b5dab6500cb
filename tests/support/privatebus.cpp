// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/privatebus.h"

#include <QDeadlineTimer>
#include <QFile>

namespace {

constexpr int start_timeout_ms = 10000;

// Everyone may connect, own any name, call anyone and listen to everything:
// the peers on this bus are all ours. Without a policy the daemon refuses
// the Hello of every connection.
QByteArray bus_config(const QByteArray &type, const QString &socket_path)
{
    return QByteArrayLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                             "Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig>\n"
                             "  <type>") +
           type +
           QByteArrayLiteral("</type>\n"
                             "  <listen>unix:path=") +
           socket_path.toUtf8() +
           QByteArrayLiteral("</listen>\n"
                             "  <auth>EXTERNAL</auth>\n"
                             "  <policy context=\"default\">\n"
                             "    <allow user=\"*\"/>\n"
                             "    <allow own=\"*\"/>\n"
                             "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                             "    <allow receive_sender=\"*\"/>\n"
                             "    <allow eavesdrop=\"true\"/>\n"
                             "  </policy>\n"
                             "</busconfig>\n");
}

} // namespace

PrivateBus::PrivateBus(Kind kind)
{
    const QByteArray type = kind == Kind::System ? "system" : "session";
    if (!dir.isValid()) {
        failure = QStringLiteral("no temporary folder: ") + dir.errorString();
        return;
    }
    const QString config_path = dir.filePath(QString::fromLatin1(type + ".conf"));
    QFile config(config_path);
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(bus_config(type, dir.filePath(QString::fromLatin1(type + "_bus_socket")))) < 0) {
        failure = QStringLiteral("cannot write ") + config_path;
        return;
    }
    config.close();

    // The daemon prints its address once it listens; that line is our signal
    // that it is ready.
    daemon.setProcessChannelMode(QProcess::SeparateChannels);
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                  QStringLiteral("--nosyslog"), QStringLiteral("--print-address"),
                  QStringLiteral("--config-file=") + config_path});
    if (!daemon.waitForStarted(start_timeout_ms)) {
        failure = QStringLiteral("dbus-daemon did not start: ") + daemon.errorString();
        return;
    }
    const QDeadlineTimer deadline(start_timeout_ms);
    while (!daemon.canReadLine()) {
        if (daemon.state() != QProcess::Running || deadline.hasExpired() ||
            !daemon.waitForReadyRead(int(deadline.remainingTime()))) {
            failure = QStringLiteral("dbus-daemon gave no address: ") +
                      QString::fromLocal8Bit(daemon.readAllStandardError());
            daemon.kill();
            daemon.waitForFinished();
            return;
        }
    }
    bus_address = QString::fromUtf8(daemon.readLine()).trimmed();
    qputenv(kind == Kind::System ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS",
            bus_address.toUtf8());
}

PrivateBus::~PrivateBus()
{
    if (daemon.state() == QProcess::NotRunning)
        return;
    daemon.kill();
    daemon.waitForFinished();
}
