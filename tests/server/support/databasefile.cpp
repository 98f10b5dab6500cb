// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/databasefile.h"

#include "support/testdatabase.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

DatabaseFile::DatabaseFile(const QString &path) : connection(QUuid::createUuid().toString())
{
    const QString postgresql_database = postgresql_database_name(path);
    if (!postgresql_database.isEmpty()) {
        // The PostgreSQL database that the server got for this path.
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setDatabaseName(postgresql_database);
        db.setHostName(postgresql_socket_folder());
        db.setUserName(QStringLiteral("quiverbolt"));
        db.open();
        return;
    }
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    db.open();
}

DatabaseFile::~DatabaseFile()
{
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection);
}

QVariantList DatabaseFile::row(const QString &sql, const QVariantList &values)
{
    QVariantList result;
    {
        QSqlQuery query(db);
        query.prepare(sql);
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        if (query.exec() && query.next()) {
            for (int i = 0; i < query.record().count(); ++i)
                result << query.value(i);
        }
    }
    return result;
}
