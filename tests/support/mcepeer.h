// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>

// The stand-in MCE process on the system bus and the test's line to its
// control object.
class McePeer
{
public:
    static constexpr int timeout_ms = 10000;

    // program: the stand-in's executable.
    explicit McePeer(const QString &program);
    ~McePeer() { stop(); }
    McePeer(const McePeer &) = delete;
    McePeer &operator=(const McePeer &) = delete;

    // Starts the stand-in; true once it says it is on the bus.
    bool start();
    void stop();
    bool is_running() const { return process.state() == QProcess::Running; }

    // Calls a method of the control object; true when it answered.
    bool call(const QString &method, const QVariantList &arguments = {});
    bool emit_display_state(const QString &state);

    // The requests MCE has taken since the last clear. The bus keeps the order
    // of one connection's messages, so every request the game sent before this
    // call is already on the list.
    QStringList requests();
    bool clear_requests();

    // Leaves without answering; returns once the process is gone.
    bool crash();

private:
    QString program;
    QProcess process;
};
