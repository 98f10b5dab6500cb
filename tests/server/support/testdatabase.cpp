// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/testdatabase.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>

#include <libpq-fe.h>

#include <cstdio>

bool testing_postgresql()
{
    return !postgresql_socket_folder().isEmpty();
}

QString postgresql_socket_folder()
{
    return qEnvironmentVariable("QUIVERBOLT_TEST_POSTGRESQL");
}

QString postgresql_url(const QString &database_name)
{
    return QStringLiteral("postgresql:///%1?host=%2&user=quiverbolt")
        .arg(database_name, postgresql_socket_folder());
}

QString make_postgresql_database(const QString &owner)
{
    static QMutex mutex;
    static int made = 0;
    QMutexLocker lock(&mutex);
    // Unique across the test programs that share the cluster at once.
    const QString name =
        QStringLiteral("qb_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    PGconn *connection =
        PQconnectdb(postgresql_url(QStringLiteral("postgres")).toUtf8().constData());
    QString made_name;
    if (PQstatus(connection) == CONNECTION_OK) {
        // A name of our own digits: CREATE DATABASE takes no parameters.
        const QString owned = owner.isEmpty() ? QString() : QStringLiteral(" OWNER ") + owner;
        PGresult *result =
            PQexec(connection, ("CREATE DATABASE " + name + owned).toUtf8().constData());
        if (PQresultStatus(result) == PGRES_COMMAND_OK)
            made_name = name;
        else
            std::fprintf(stderr, "CREATE DATABASE: %s", PQresultErrorMessage(result));
        PQclear(result);
    } else {
        std::fprintf(stderr, "test PostgreSQL: %s", PQerrorMessage(connection));
    }
    PQfinish(connection);
    return made_name;
}

namespace {

QHash<QString, QString> &databases_by_path()
{
    static QHash<QString, QString> databases;
    return databases;
}

} // namespace

QString postgresql_database_name(const QString &path)
{
    return databases_by_path().value(path);
}

QString database_url(const QString &path)
{
    if (!testing_postgresql())
        return QStringLiteral("sqlite:") + path;
    QString &name = databases_by_path()[path];
    if (name.isEmpty())
        name = make_postgresql_database();
    return postgresql_url(name);
}
