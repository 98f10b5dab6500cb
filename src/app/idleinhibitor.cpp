// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/idleinhibitor.h"

#include "constants.h"
#include "game/idleinhibition.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

using namespace quiverbolt;

namespace {

// At exit the release is waited for, so that it is sent before the
// connection closes, but no longer than this.
constexpr int exit_timeout_ms = 1000;
// A request not answered by then counts as refused; it bounds the wait at exit too.
constexpr int request_timeout_ms = 5000;

QDBusMessage screensaver_call(const QString &method)
{
    return QDBusMessage::createMethodCall(QString::fromLatin1(screensaver_service),
                                          QString::fromLatin1(screensaver_path),
                                          QString::fromLatin1(screensaver_interface), method);
}

} // namespace

IdleInhibitor::IdleInhibitor(const QDBusConnection &system_bus, QObject *parent) : QObject(parent)
{
    const QString mce = QString::fromLatin1(mce_service);
    auto *watcher =
        new QDBusServiceWatcher(mce, system_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                set_mce_present(!owner.isEmpty());
            });

    // Asked without waiting; without a system bus the answer is an error,
    // and that means no MCE.
    QDBusMessage has_owner = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    has_owner << mce;
    auto *answer = new QDBusPendingCallWatcher(system_bus.asyncCall(has_owner), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *call) {
                const QDBusPendingReply<bool> reply = *call;
                call->deleteLater();
                set_mce_present(!reply.isError() && reply.value());
            });
}

IdleInhibitor::~IdleInhibitor()
{
    // Nothing is wanted any more. An answer still on its way is waited for,
    // so that an inhibition granted just now is given back as well.
    closing = true;
    power = 0;
    if (asking)
        asking->waitForFinished();
    else
        update();
}

void IdleInhibitor::set_power(int new_power)
{
    power = new_power;
    update();
}

void IdleInhibitor::set_display_on(bool on)
{
    display_on = on;
    update();
}

void IdleInhibitor::set_mce_present(bool present)
{
    mce_present = present;
    mce_known = true;
    update();
}

void IdleInhibitor::update()
{
    // The answer to a request decides what comes next.
    if (state == State::asking)
        return;
    const IdleInhibitStep step =
        idle_inhibit_step(mce_present, display_on, power, state == State::held);
    if (step == IdleInhibitStep::give_back)
        give_back();
    else if (step == IdleInhibitStep::take && !refused)
        take();
    // Nothing held and nothing wanted: the next game may ask again.
    if (state == State::idle && step == IdleInhibitStep::keep)
        refused = false;
}

void IdleInhibitor::take()
{
    state = State::asking;
    QDBusMessage inhibit = screensaver_call(QStringLiteral("Inhibit"));
    inhibit << QString::fromLatin1(screensaver_application)
            << tr("Keeping the screen on while you shake");
    // The session bus is taken only now: a phone with MCE never touches it.
    asking = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(inhibit, request_timeout_ms), this);
    connect(asking, &QDBusPendingCallWatcher::finished, this, &IdleInhibitor::taken);
}

void IdleInhibitor::taken(QDBusPendingCallWatcher *call)
{
    const QDBusPendingReply<uint> reply = *call;
    call->deleteLater();
    asking = nullptr;
    if (reply.isError()) {
        state = State::idle;
        refused = true;
        return;
    }
    cookie = reply.value();
    state = State::held;
    update();
}

void IdleInhibitor::give_back()
{
    QDBusMessage uninhibit = screensaver_call(QStringLiteral("UnInhibit"));
    uninhibit << cookie;
    if (closing)
        QDBusConnection::sessionBus().call(uninhibit, QDBus::Block, exit_timeout_ms);
    else
        QDBusConnection::sessionBus().send(uninhibit);
    state = State::idle;
}
