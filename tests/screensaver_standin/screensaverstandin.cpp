// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "screensaverstandin.h"

#include <QDBusError>

ScreenSaver::ScreenSaver(QObject *parent) : QObject(parent)
{}

uint ScreenSaver::Inhibit(const QString &application, const QString &reason)
{
    calls.append(QStringLiteral("Inhibit ") + application);
    if (refusing || reason.isEmpty()) {
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("not now"));
        return 0;
    }
    held.insert(++last_cookie);
    return last_cookie;
}

void ScreenSaver::UnInhibit(uint cookie)
{
    if (held.remove(cookie)) {
        calls.append(QStringLiteral("UnInhibit"));
    } else {
        calls.append(QStringLiteral("UnInhibit of an unknown cookie"));
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such cookie"));
    }
}

ScreenSaverControl::ScreenSaverControl(ScreenSaver *screensaver, QObject *parent)
    : QObject(parent), screensaver(screensaver)
{}

QStringList ScreenSaverControl::calls() const
{
    return screensaver->calls;
}

void ScreenSaverControl::clear_calls()
{
    screensaver->calls.clear();
}

int ScreenSaverControl::held() const
{
    return screensaver->held.size();
}

void ScreenSaverControl::set_refusing(bool refusing)
{
    screensaver->refusing = refusing;
}
