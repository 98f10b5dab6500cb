// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QSet>
#include <QSqlDatabase>
#include <QString>

// A writable connection to the database behind a path (in the PostgreSQL
// run, the database that stands for it), for what the store does not offer:
// an old schema, a newer version, a look at what survived a fault.
class DirectConnection
{
public:
    explicit DirectConnection(const QString &path);
    ~DirectConnection();
    DirectConnection(const DirectConnection &) = delete;
    DirectConnection &operator=(const DirectConnection &) = delete;

    // Runs one statement; false, with a warning, when it fails.
    bool run(const QString &sql);
    // The names of all players.
    QSet<QString> names();
    // What SQLite's integrity check says ("ok" for a sound file).
    QString integrity();

private:
    const QString name = QStringLiteral("direct");
    QSqlDatabase db;
};
