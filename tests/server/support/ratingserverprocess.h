// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// The real quiverbolt-rating binary as a child process, listening on a free
// loopback port that it reports on stderr.
class RatingServerProcess : public QObject
{
    Q_OBJECT

public:
    explicit RatingServerProcess(QObject *parent = nullptr);
    ~RatingServerProcess() override;

    // Starts "serve --listen 127.0.0.1:0 --database sqlite:<database>" (or the
    // PostgreSQL database that stands for that path, see testdatabase.h) plus
    // extra (no --database when database is empty), and waits until it
    // listens. False when it did not.
    bool start(const QString &database, const QStringList &extra = {});
    // SIGTERM, then waits for the exit; true when it exited by itself with 0.
    bool stop();
    // SIGKILL: nothing of the server's own runs any more.
    void kill_hard();

    quint16 port() const { return listen_port; }
    QString url() const;
    QByteArray log() const { return stderr_text; }
    QProcess &process() { return child; }

private:
    QProcess child;
    QByteArray stderr_text;
    quint16 listen_port = 0;
};

// The server binary's path, for running it to its end with run().
QString rating_server_binary();
