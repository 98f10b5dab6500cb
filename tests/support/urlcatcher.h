// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Takes the place of the desktop's browser: notes every URL handed to it.
// QDesktopServices::setUrlHandler calls the slot by name.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open_url(const QUrl &url) { opened << url; }
};
