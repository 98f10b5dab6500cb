// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusContext>
#include <QObject>
#include <QSet>
#include <QStringList>

// The desktop's idle inhibition as the game sees it: Inhibit hands out a
// fresh cookie, UnInhibit gives one back. Every call is noted, as
// "Inhibit <application>", "UnInhibit", or "UnInhibit of an unknown cookie".
class ScreenSaver : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    explicit ScreenSaver(QObject *parent = nullptr);

    QStringList calls;
    QSet<uint> held;
    bool refusing = false;

public slots:
    uint Inhibit(const QString &application, const QString &reason);
    void UnInhibit(uint cookie);

private:
    uint last_cookie = 0;
};

// The knobs the tests turn, on an object of its own.
class ScreenSaverControl : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "quiverbolt.test.ScreenSaverControl")

public:
    explicit ScreenSaverControl(ScreenSaver *screensaver, QObject *parent = nullptr);

public slots:
    // The calls received so far, oldest first.
    QStringList calls() const;
    void clear_calls();
    // How many inhibitions are held now.
    int held() const;
    // While refusing, Inhibit answers with an error.
    void set_refusing(bool refusing);

private:
    ScreenSaver *screensaver;
};
