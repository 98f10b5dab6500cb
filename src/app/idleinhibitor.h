// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QObject>

class QDBusPendingCallWatcher;

// Keeps the screen from blanking and locking while the player shakes, on
// systems without MCE: one org.freedesktop.ScreenSaver inhibition on the
// session bus, held while the power is above zero and the display is on,
// and released when either ends or this object goes. Where MCE owns its name
// on the system bus it does nothing at all: the game asks MCE instead.
class IdleInhibitor : public QObject
{
    Q_OBJECT

public:
    explicit IdleInhibitor(const QDBusConnection &system_bus, QObject *parent = nullptr);
    ~IdleInhibitor() override;

    void set_power(int power);
    void set_display_on(bool on);

    // True once the system bus has said whether MCE runs and no request to
    // the desktop awaits its answer.
    bool is_settled() const { return mce_known && state != State::asking; }

private:
    enum class State { idle, asking, held };

    void set_mce_present(bool present);
    void update();
    void take();
    void taken(QDBusPendingCallWatcher *call);
    void give_back();

    // Until the system bus has answered, as if MCE ran: nothing is taken on a
    // phone with MCE, not even for the first ticks.
    bool mce_present = true;
    bool mce_known = false;
    bool display_on = true;
    int power = 0;
    State state = State::idle;
    uint cookie = 0;
    QDBusPendingCallWatcher *asking = nullptr;
    // The desktop refused or never answered: no new request until the
    // inhibition is no longer wanted, so that a missing service costs one
    // call per game and not one per tick.
    bool refused = false;
    // Going away: the release is waited for, so that it leaves before the
    // connection closes.
    bool closing = false;
};
