// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>

// MCE's request object as the game sees it: records every
// req_tklock_mode_change with its argument and answers with an empty reply,
// or, while silent, takes the call and holds back the answer.
class MceRequest : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.nokia.mce.request")

public:
    explicit MceRequest(QObject *parent = nullptr);

    // Answers the calls held back while silent and answers at once from now on.
    void speak_again();

    QStringList requests;
    bool silent = false;

public slots:
    void req_tklock_mode_change(const QString &mode);

private:
    QList<QDBusMessage> held;
};

// The knobs the tests turn, on an object of its own so that they never get
// in the way of MCE's own interfaces.
class MceControl : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "quiverbolt.test.MceControl")

public:
    explicit MceControl(MceRequest *request, QObject *parent = nullptr);

public slots:
    // Sends display_status_ind with the state as its one argument.
    void emit_display_state(const QString &state);
    // Sends display_status_ind with no argument at all.
    void emit_display_state_without_argument();
    // The arguments of the requests received so far, oldest first.
    QStringList requests() const;
    void clear_requests();
    // While silent the request method is taken but not answered; the held
    // calls are answered when silence ends.
    void set_silent(bool silent);
    // Leaves at once, as a crashing MCE would: no reply, no goodbye.
    void crash();

private:
    MceRequest *request;
};
