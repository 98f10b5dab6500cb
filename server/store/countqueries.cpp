// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/countqueries.h"

#include "store/valuecounts.h"

#include <QStringList>

namespace count_queries {

namespace {

QString parameter(const QString &placeholder, int number)
{
    return placeholder + QString::number(number);
}

// The sum of one scope's counts over every level's range of buckets; scope is
// the condition that picks the rating (and location).
QString above_sum(const QString &placeholder, const QString &table, const QString &scope)
{
    QStringList levels;
    for (int level = 0; level < value_counts::count_levels; ++level) {
        levels << QStringLiteral("(SELECT coalesce(sum(players), 0) FROM %1 WHERE %2"
                                 " AND level = %3 AND bucket BETWEEN %4 AND %5)")
                      .arg(table, scope, QString::number(level),
                           parameter(placeholder, 3 + 2 * level),
                           parameter(placeholder, 4 + 2 * level));
    }
    return levels.join(QStringLiteral(" + "));
}

QString bucket_of_best()
{
    return QStringLiteral("best >> (%1 * level)").arg(value_counts::bucket_bits);
}

} // namespace

QString levels_table()
{
    QStringList rows{QStringLiteral("SELECT 0 AS level")};
    for (int level = 1; level < value_counts::count_levels; ++level)
        rows << QStringLiteral("SELECT %1").arg(level);
    return QStringLiteral("(%1) AS levels").arg(rows.join(QStringLiteral(" UNION ALL ")));
}

QString above(const QString &placeholder)
{
    const QString rating = QStringLiteral("rating = ") + parameter(placeholder, 1);
    return QStringLiteral("SELECT %1, %2")
        .arg(
            above_sum(placeholder, QStringLiteral("world_counts"), rating),
            above_sum(placeholder, QStringLiteral("local_counts"),
                      rating + QStringLiteral(" AND location_key = ") + parameter(placeholder, 2)));
}

namespace {

// "SELECT p2 AS level, p3 AS bucket, p4 AS change UNION ALL SELECT p5, p6, p7 …":
// value_counts::most_moves rows of parameters from first on.
QString moves_table(const QString &placeholder, int first)
{
    QStringList rows;
    for (int row = 0; row < value_counts::most_moves; ++row) {
        const int at = first + 3 * row;
        rows << (row == 0 ? QStringLiteral("SELECT %1 AS level, %2 AS bucket, %3 AS change")
                          : QStringLiteral("SELECT %1, %2, %3"))
                    .arg(parameter(placeholder, at), parameter(placeholder, at + 1),
                         parameter(placeholder, at + 2));
    }
    return rows.join(QStringLiteral(" UNION ALL "));
}

} // namespace

QString add_world(const QString &placeholder)
{
    return QStringLiteral("INSERT INTO world_counts (rating, level, bucket, players)"
                          " SELECT %1, level, bucket, change FROM (%2) AS moves"
                          " WHERE change <> 0 ON CONFLICT (rating, level, bucket)"
                          " DO UPDATE SET players = world_counts.players + excluded.players")
        .arg(parameter(placeholder, 1), moves_table(placeholder, 2));
}

QString add_local(const QString &placeholder)
{
    return QStringLiteral("INSERT INTO local_counts (rating, location_key, level, bucket, players)"
                          " SELECT %1, %2, level, bucket, change FROM (%3) AS moves"
                          " WHERE change <> 0 ON CONFLICT (rating, location_key, level, bucket)"
                          " DO UPDATE SET players = local_counts.players + excluded.players")
        .arg(parameter(placeholder, 1), parameter(placeholder, 2), moves_table(placeholder, 3));
}

QString add_all_world(const QString &players)
{
    // "WHERE true" keeps SQLite from reading ON CONFLICT as a join's ON.
    return QStringLiteral("INSERT INTO world_counts (rating, level, bucket, players)"
                          " SELECT rating, level, %1, count(*) FROM %2 CROSS JOIN %3"
                          " WHERE true GROUP BY rating, level, %1"
                          " ON CONFLICT (rating, level, bucket)"
                          " DO UPDATE SET players = world_counts.players + excluded.players")
        .arg(bucket_of_best(), players, levels_table());
}

QString add_all_local(const QString &players)
{
    return QStringLiteral("INSERT INTO local_counts (rating, location_key, level, bucket, players)"
                          " SELECT rating, location_key, level, %1, count(*) FROM %2 CROSS JOIN %3"
                          " WHERE location_key <> '' GROUP BY rating, location_key, level, %1"
                          " ON CONFLICT (rating, location_key, level, bucket)"
                          " DO UPDATE SET players = local_counts.players + excluded.players")
        .arg(bucket_of_best(), players, levels_table());
}

} // namespace count_queries
