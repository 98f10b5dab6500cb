// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/directconnection.h"

#include "support/testdatabase.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

DirectConnection::DirectConnection(const QString &path)
{
    if (testing_postgresql()) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setDatabaseName(postgresql_database_name(path));
        db.setHostName(postgresql_socket_folder());
        db.setUserName(QStringLiteral("quiverbolt"));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
    }
    db.open();
}

DirectConnection::~DirectConnection()
{
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

bool DirectConnection::run(const QString &sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    qWarning() << sql << query.lastError().text();
    return false;
}

QSet<QString> DirectConnection::names()
{
    QSet<QString> found;
    QSqlQuery query(QStringLiteral("SELECT name FROM players"), db);
    while (query.next())
        found.insert(query.value(0).toString());
    return found;
}

QString DirectConnection::integrity()
{
    QSqlQuery query(QStringLiteral("PRAGMA integrity_check"), db);
    QStringList lines;
    while (query.next())
        lines << query.value(0).toString();
    return query.lastError().isValid() ? query.lastError().text() : lines.join(QLatin1Char('\n'));
}
