// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/store.h"

#include "store/postgresql/postgresqlstore.h"
#include "store/sqlite/sqlitestore.h"

#include <QCoreApplication>
#include <QUrl>
#include <QUrlQuery>

std::unique_ptr<Store> open_store(const QString &url, QString *error)
{
    static const QString sqlite_scheme = QStringLiteral("sqlite:");
    if (url.startsWith(sqlite_scheme)) {
        const QString path = url.mid(sqlite_scheme.size());
        if (path.isEmpty()) {
            *error = QStringLiteral("sqlite: needs a file name, as in sqlite:/var/lib/rating.db");
            return nullptr;
        }
        return SqliteStore::open(path, error);
    }
    // libpq takes its own URIs, both spellings of the scheme.
    if (url.startsWith(QLatin1String("postgresql://")) ||
        url.startsWith(QLatin1String("postgres://")))
        return PostgresqlStore::open(url, error);
    *error = QStringLiteral("unsupported database URL \"%1\" (use sqlite:/path/to/file.db or "
                            "postgresql://…)")
                 .arg(url);
    return nullptr;
}

QString redacted_database_url(const QString &url)
{
    if (url.startsWith(QLatin1String("sqlite:")))
        return url;
    QUrl parsed(url);
    if (!parsed.isValid())
        return QStringLiteral("(a database URL that does not parse)");
    if (!parsed.password().isEmpty())
        parsed.setPassword(QStringLiteral("***"));
    QUrlQuery query(parsed);
    if (query.hasQueryItem(QStringLiteral("password"))) {
        query.removeAllQueryItems(QStringLiteral("password"));
        query.addQueryItem(QStringLiteral("password"), QStringLiteral("***"));
        parsed.setQuery(query);
    }
    return parsed.toString();
}
