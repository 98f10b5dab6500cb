// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The statements that keep and read the counts of players by best value
// (see valuecounts.h), the same on every backend but for how a numbered
// parameter is written: ":p1" in SQLite (bound by name through Qt SQL, which
// lets a name recur), "$1" in PostgreSQL.
//
// world_counts (rating, level, bucket, players) counts every player of a
// rating; local_counts (rating, location_key, level, bucket, players) those
// who gave a location.
namespace count_queries {

// Players above a value, world and local, as two columns. Parameters: 1 the
// rating letter, 2 the location key, then for each level its first and last
// bucket (value_counts::above_ranges).
QString above(const QString &placeholder);

// Applies the moves of one player to the world's counts (1 rating, then
// value_counts::most_moves rows of level, bucket and change) or to a
// location's (1 rating, 2 location key, then the rows), making rows that are
// missing. Rows whose change is 0 are left out: they fill the fixed shape.
QString add_world(const QString &placeholder);
QString add_local(const QString &placeholder);

// Adds the players of a table or query with columns rating, location_key and
// best to both counts, in bulk.
QString add_all_world(const QString &players);
QString add_all_local(const QString &players);

// The levels as a table of one column, level: "(SELECT 0 AS level UNION ALL …) AS levels".
QString levels_table();

} // namespace count_queries
