// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

// A look into the server's SQLite file from the outside, read-only; in the
// PostgreSQL run, into the database that stands for the path.
class DatabaseFile
{
public:
    explicit DatabaseFile(const QString &path);
    ~DatabaseFile();
    DatabaseFile(const DatabaseFile &) = delete;
    DatabaseFile &operator=(const DatabaseFile &) = delete;

    bool is_open() const { return db.isOpen(); }
    // The first row of a query with bound values; empty when there is none.
    QVariantList row(const QString &sql, const QVariantList &values = {});

private:
    QString connection;
    QSqlDatabase db;
};
