// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/store.h"

#include "store/sqlite/sqlitestore.h"

#include <QCoreApplication>

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
    *error =
        QStringLiteral("unsupported database URL \"%1\" (use sqlite:/path/to/file.db)").arg(url);
    return nullptr;
}
