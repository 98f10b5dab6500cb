// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/sqlite/sqlitestore.h"

#include "store/countqueries.h"
#include "store/valuecounts.h"

#include <QSqlError>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <limits>

namespace {

// The schema, one numbered step at a time: step n brings a file from version
// n - 1 to n. Steps are only ever added, never changed.
const std::vector<std::vector<const char *>> migrations = {
    // 1: players, one row per (rating, name, location) as compared.
    {
        "CREATE TABLE players ("
        " id INTEGER PRIMARY KEY AUTOINCREMENT," // never reused: links name it
        " rating TEXT NOT NULL CHECK (rating IN ('m', 'w')),"
        " name_key TEXT NOT NULL,"
        " location_key TEXT NOT NULL,"
        " name TEXT NOT NULL,"
        " location TEXT NOT NULL,"
        " best INTEGER NOT NULL CHECK (best > 0),"
        " best_at INTEGER NOT NULL," // milliseconds since 1970 UTC
        " submissions INTEGER NOT NULL,"
        " UNIQUE (rating, name_key, location_key))",
        "CREATE INDEX players_by_best ON players (rating, best)",
        "CREATE INDEX players_by_location ON players (rating, location_key, best)",
    },
    // 2: rating order (best first, then the earlier best, then the lower id),
    // so that a page of the rating is one index seek however deep it lies.
    {
        "CREATE INDEX players_in_order ON players (rating, best DESC, best_at, id)",
        "CREATE INDEX players_in_local_order"
        " ON players (rating, location_key, best DESC, best_at, id)",
    },
    // 3: counts of players by best value over a hierarchy of value ranges
    // (valuecounts.h: 4 bits a level, 6 levels), so that a place costs a
    // handful of rows at any number of players.
    {
        "CREATE TABLE world_counts ("
        " rating TEXT NOT NULL,"
        " level INTEGER NOT NULL,"
        " bucket INTEGER NOT NULL,"
        " players INTEGER NOT NULL,"
        " PRIMARY KEY (rating, level, bucket)) WITHOUT ROWID",
        "CREATE TABLE local_counts ("
        " rating TEXT NOT NULL,"
        " location_key TEXT NOT NULL,"
        " level INTEGER NOT NULL,"
        " bucket INTEGER NOT NULL,"
        " players INTEGER NOT NULL,"
        " PRIMARY KEY (rating, location_key, level, bucket)) WITHOUT ROWID",
        "INSERT INTO world_counts (rating, level, bucket, players)"
        " SELECT rating, level, best >> (4 * level), count(*)"
        " FROM players CROSS JOIN (SELECT 0 AS level UNION ALL SELECT 1 UNION ALL SELECT 2"
        " UNION ALL SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5) AS levels"
        " GROUP BY rating, level, best >> (4 * level)",
        "INSERT INTO local_counts (rating, location_key, level, bucket, players)"
        " SELECT rating, location_key, level, best >> (4 * level), count(*)"
        " FROM players CROSS JOIN (SELECT 0 AS level UNION ALL SELECT 1 UNION ALL SELECT 2"
        " UNION ALL SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5) AS levels"
        " WHERE location_key <> ''"
        " GROUP BY rating, location_key, level, best >> (4 * level)",
    },
};

// The listing statements, world and local. The redundant "best <= ?" and
// "best >= ?" bound the index range the seek starts from.
const char *const list_after_sql[2] = {
    "SELECT id, name, location, location_key, best, best_at FROM players"
    " WHERE rating = ? AND best <= ?"
    " AND (best < ? OR (best = ? AND (best_at > ? OR (best_at = ? AND id > ?))))"
    " ORDER BY best DESC, best_at, id LIMIT ?",
    "SELECT id, name, location, location_key, best, best_at FROM players"
    " WHERE rating = ? AND location_key = ? AND best <= ?"
    " AND (best < ? OR (best = ? AND (best_at > ? OR (best_at = ? AND id > ?))))"
    " ORDER BY best DESC, best_at, id LIMIT ?",
};
const char *const list_before_sql[2] = {
    "SELECT id, name, location, location_key, best, best_at FROM players"
    " WHERE rating = ? AND best >= ?"
    " AND (best > ? OR (best = ? AND (best_at < ? OR (best_at = ? AND id < ?))))"
    " ORDER BY best, best_at DESC, id DESC LIMIT ?",
    "SELECT id, name, location, location_key, best, best_at FROM players"
    " WHERE rating = ? AND location_key = ? AND best >= ?"
    " AND (best > ? OR (best = ? AND (best_at < ? OR (best_at = ? AND id < ?))))"
    " ORDER BY best, best_at DESC, id DESC LIMIT ?",
};
const char *const count_ahead_sql[2] = {
    "SELECT count(*), coalesce(sum(CASE WHEN best > ? THEN 1 ELSE 0 END), 0) FROM players"
    " WHERE rating = ? AND best >= ?"
    " AND (best > ? OR (best = ? AND (best_at < ? OR (best_at = ? AND id < ?))))",
    "SELECT count(*), coalesce(sum(CASE WHEN best > ? THEN 1 ELSE 0 END), 0) FROM players"
    " WHERE rating = ? AND location_key = ? AND best >= ?"
    " AND (best > ? OR (best = ? AND (best_at < ? OR (best_at = ? AND id < ?))))",
};
static_assert(value_counts::bucket_bits == 4 && value_counts::count_levels == 6,
              "migration 3 fixes the layout of the counts");
static_assert(value_limit <= value_counts::top_value, "the counts rank every accepted value");

// ":p1", ":p2", …: the names of the count statements' parameters.
const QString &parameter_name(int number)
{
    static const std::vector<QString> names = [] {
        std::vector<QString> all;
        for (int n = 0; n <= 4 + 3 * value_counts::most_moves; ++n)
            all.push_back(QStringLiteral(":p%1").arg(n));
        return all;
    }();
    return names.at(static_cast<std::size_t>(number));
}

// Qt binds a null QString as SQL NULL; an empty name or location is text.
QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

QString next_connection_name()
{
    static std::atomic<int> count{0};
    return QStringLiteral("quiverbolt-rating-%1").arg(++count);
}

} // namespace

SqliteStore::SqliteStore(const QString &connection_name) : connection_name(connection_name)
{}

SqliteStore::~SqliteStore()
{
    for (QSqlQuery *query : {&begin,
                             &commit,
                             &rollback,
                             &mark_one,
                             &keep_one,
                             &undo_one,
                             &find_player,
                             &insert_player,
                             &raise_best,
                             &count_submission,
                             &count_above,
                             &add_world_count,
                             &add_local_count,
                             &stage_player,
                             &clear_staged,
                             &drop_known_staged,
                             &insert_staged,
                             &count_staged_world,
                             &count_staged_local,
                             &ping,
                             &list_after[0],
                             &list_after[1],
                             &list_before[0],
                             &list_before[1],
                             &count_ahead_of[0],
                             &count_ahead_of[1],
                             &player_by_id,
                             &players_per_rating})
        *query = QSqlQuery();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_name);
}

std::unique_ptr<Store> SqliteStore::open(const QString &path, QString *error)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        *error = QStringLiteral("Qt's SQLite driver is not installed (libqt5sql5-sqlite)");
        return nullptr;
    }
    std::unique_ptr<SqliteStore> store(new SqliteStore(next_connection_name()));
    store->db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), store->connection_name);
    store->db.setDatabaseName(path);
    // Moderation tools may write beside the server: wait for them, not fail.
    store->db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!store->db.open()) {
        *error = store->db.lastError().text();
        return nullptr;
    }
    if (!store->configure() || !store->migrate() || !store->prepare_statements()) {
        *error = path + QStringLiteral(": ") + store->error;
        return nullptr;
    }
    return store;
}

bool SqliteStore::run(QSqlQuery &query)
{
    if (query.exec())
        return true;
    error = query.lastError().text();
    return false;
}

bool SqliteStore::run(const QString &sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    error = query.lastError().text();
    return false;
}

bool SqliteStore::configure()
{
    // A reply goes out only after its commit is on disk: the log is synced at
    // every commit, and readers never wait for the writer.
    QSqlQuery mode(db);
    if (!mode.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !mode.next()) {
        error = mode.lastError().text();
        return false;
    }
    if (mode.value(0).toString() != QLatin1String("wal")) {
        error = QStringLiteral("cannot use write-ahead logging (journal mode %1)")
                    .arg(mode.value(0).toString());
        return false;
    }
    // A million players make a file of some 170 MB: a larger page cache than
    // SQLite's 2 MB keeps the indexes that every submission walks in memory.
    return run(QStringLiteral("PRAGMA synchronous=FULL")) &&
           run(QStringLiteral("PRAGMA cache_size=-65536"));
}

bool SqliteStore::migrate()
{
    QSqlQuery version(db);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next()) {
        error = version.lastError().text();
        return false;
    }
    const int current = version.value(0).toInt();
    version.finish();
    const int target = static_cast<int>(migrations.size());
    if (current > target) {
        error = QStringLiteral("the database has schema version %1, newer than this "
                               "program's %2; run a newer quiverbolt-rating")
                    .arg(current)
                    .arg(target);
        return false;
    }
    if (current == target)
        return true;

    if (!run(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    for (int step = current + 1; step <= target; ++step) {
        for (const char *statement : migrations[step - 1]) {
            if (!run(QString::fromLatin1(statement))) {
                run(QStringLiteral("ROLLBACK"));
                return false;
            }
        }
    }
    // The version is our own constant: PRAGMA takes no bound parameter.
    if (!run(QStringLiteral("PRAGMA user_version = %1").arg(target)) ||
        !run(QStringLiteral("COMMIT"))) {
        const QString why = error;
        run(QStringLiteral("ROLLBACK"));
        error = why;
        return false;
    }
    return true;
}

bool SqliteStore::prepare_statements()
{
    const auto prepare_text = [this](QSqlQuery &query, const QString &sql) {
        query = QSqlQuery(db);
        if (query.prepare(sql))
            return true;
        error = query.lastError().text();
        return false;
    };
    const auto prepare = [&prepare_text](QSqlQuery &query, const char *sql) {
        return prepare_text(query, QString::fromLatin1(sql));
    };
    // The players that add_players brings in, before they join the table;
    // this connection's own, gone when it closes.
    if (!run(QStringLiteral("CREATE TEMP TABLE staged_players (rating TEXT NOT NULL,"
                            " name_key TEXT NOT NULL, location_key TEXT NOT NULL,"
                            " name TEXT NOT NULL, location TEXT NOT NULL, best INTEGER NOT NULL,"
                            " PRIMARY KEY (rating, name_key, location_key)) WITHOUT ROWID")))
        return false;
    return prepare(begin, "BEGIN IMMEDIATE") && prepare(commit, "COMMIT") &&
           prepare(rollback, "ROLLBACK") && prepare(mark_one, "SAVEPOINT one") &&
           prepare(keep_one, "RELEASE one") && prepare(undo_one, "ROLLBACK TO one") &&
           prepare(find_player, "SELECT id, best FROM players"
                                " WHERE rating = ? AND name_key = ? AND location_key = ?") &&
           prepare(insert_player,
                   "INSERT INTO players (rating, name_key, location_key, name, location,"
                   " best, best_at, submissions) VALUES (?, ?, ?, ?, ?, ?, ?, 1)") &&
           prepare(raise_best, "UPDATE players SET best = ?, best_at = ?, name = ?,"
                               " location = ?, submissions = submissions + 1 WHERE id = ?") &&
           prepare(count_submission, "UPDATE players SET name = ?, location = ?,"
                                     " submissions = submissions + 1 WHERE id = ?") &&
           prepare_text(count_above, count_queries::above(QStringLiteral(":p"))) &&
           prepare_text(add_world_count, count_queries::add_world(QStringLiteral(":p"))) &&
           prepare_text(add_local_count, count_queries::add_local(QStringLiteral(":p"))) &&
           prepare(stage_player,
                   "INSERT OR IGNORE INTO temp.staged_players (rating, name_key,"
                   " location_key, name, location, best) VALUES (?, ?, ?, ?, ?, ?)") &&
           prepare(clear_staged, "DELETE FROM temp.staged_players") &&
           prepare(drop_known_staged,
                   "DELETE FROM temp.staged_players WHERE EXISTS (SELECT 1 FROM players p"
                   " WHERE p.rating = staged_players.rating"
                   " AND p.name_key = staged_players.name_key"
                   " AND p.location_key = staged_players.location_key)") &&
           prepare(insert_staged,
                   "INSERT INTO players (rating, name_key, location_key, name, location, best,"
                   " best_at, submissions) SELECT rating, name_key, location_key, name,"
                   " location, best, ?, 1 FROM temp.staged_players") &&
           prepare_text(count_staged_world,
                        count_queries::add_all_world(QStringLiteral("temp.staged_players"))) &&
           prepare_text(count_staged_local,
                        count_queries::add_all_local(QStringLiteral("temp.staged_players"))) &&
           prepare(ping, "SELECT count(*) FROM sqlite_master") && prepare_listing_statements();
}

bool SqliteStore::prepare_listing_statements()
{
    const auto prepare = [this](QSqlQuery &query, const char *sql) {
        query = QSqlQuery(db);
        query.setForwardOnly(true);
        if (query.prepare(QString::fromLatin1(sql)))
            return true;
        error = query.lastError().text();
        return false;
    };
    for (int local = 0; local < 2; ++local) {
        if (!prepare(list_after[local], list_after_sql[local]) ||
            !prepare(list_before[local], list_before_sql[local]) ||
            !prepare(count_ahead_of[local], count_ahead_sql[local]))
            return false;
    }
    return prepare(player_by_id, "SELECT rating, name, location, location_key, best, best_at"
                                 " FROM players WHERE id = ?") &&
           prepare(players_per_rating, "SELECT rating, count(*) FROM players GROUP BY rating");
}

bool SqliteStore::list_players(Rating rating, const QString &location_key,
                               const std::optional<ListingKey> &key, ListingDirection direction,
                               int limit, Listing &listing)
{
    listing = Listing();
    const int local = location_key.isEmpty() ? 0 : 1;
    const bool after = direction == ListingDirection::after;
    QSqlQuery &query = after ? list_after[local] : list_before[local];
    // No key: from the top, after a best that no player reaches.
    const qint64 best = key ? qint64(key->best) : std::numeric_limits<qint64>::max();
    const qint64 best_at = key ? key->best_at : 0;
    const qint64 player_id = key ? key->player_id : 0;
    int column = 0;
    query.bindValue(column++, rating_letter(rating));
    if (local)
        query.bindValue(column++, location_key);
    query.bindValue(column++, best);
    query.bindValue(column++, best);
    query.bindValue(column++, best);
    query.bindValue(column++, best_at);
    query.bindValue(column++, best_at);
    query.bindValue(column++, player_id);
    query.bindValue(column++, limit);
    if (!run(query))
        return false;
    while (query.next()) {
        PlayerRecord row;
        row.player_id = query.value(0).toLongLong();
        row.rating = rating;
        row.name = query.value(1).toString();
        row.location = query.value(2).toString();
        row.location_key = query.value(3).toString();
        row.best = query.value(4).toInt();
        row.best_at = query.value(5).toLongLong();
        listing.rows.push_back(std::move(row));
    }
    query.finish();
    if (!after)
        std::reverse(listing.rows.begin(), listing.rows.end());
    if (listing.rows.empty())
        return true;
    return count_ahead(rating, location_key, listing.rows.front().key(), listing);
}

bool SqliteStore::count_ahead(Rating rating, const QString &location_key, const ListingKey &first,
                              Listing &listing)
{
    const int local = location_key.isEmpty() ? 0 : 1;
    QSqlQuery &query = count_ahead_of[local];
    int column = 0;
    query.bindValue(column++, first.best);
    query.bindValue(column++, rating_letter(rating));
    if (local)
        query.bindValue(column++, location_key);
    query.bindValue(column++, first.best);
    query.bindValue(column++, first.best);
    query.bindValue(column++, first.best);
    query.bindValue(column++, first.best_at);
    query.bindValue(column++, first.best_at);
    query.bindValue(column++, first.player_id);
    if (!run(query) || !query.next()) {
        error = query.lastError().text();
        return false;
    }
    listing.ahead_of_first = query.value(0).toLongLong();
    listing.above_first = query.value(1).toLongLong();
    query.finish();
    return true;
}

bool SqliteStore::find_player_by_id(qint64 player_id, std::optional<PlayerRecord> &found)
{
    found.reset();
    player_by_id.bindValue(0, player_id);
    if (!run(player_by_id))
        return false;
    if (player_by_id.next()) {
        PlayerRecord row;
        row.player_id = player_id;
        row.rating = player_by_id.value(0).toString() == QLatin1String("w") ? Rating::women
                                                                             : Rating::men;
        row.name = player_by_id.value(1).toString();
        row.location = player_by_id.value(2).toString();
        row.location_key = player_by_id.value(3).toString();
        row.best = player_by_id.value(4).toInt();
        row.best_at = player_by_id.value(5).toLongLong();
        found = std::move(row);
    }
    player_by_id.finish();
    return true;
}

bool SqliteStore::count_players(PlayerCounts &counts)
{
    counts = PlayerCounts();
    if (!run(players_per_rating))
        return false;
    while (players_per_rating.next()) {
        const QString rating = players_per_rating.value(0).toString();
        const qint64 count = players_per_rating.value(1).toLongLong();
        if (rating == QLatin1String("m"))
            counts.men = count;
        else if (rating == QLatin1String("w"))
            counts.women = count;
    }
    players_per_rating.finish();
    return true;
}

void SqliteStore::roll_back()
{
    const QString why = error;
    run(rollback);
    error = why;
}

bool SqliteStore::count_places(Rating rating, int best, const QString &location_key,
                               int &world_place, int &local_place)
{
    count_above.bindValue(parameter_name(1), rating_letter(rating));
    count_above.bindValue(parameter_name(2), text(location_key));
    int parameter = 3;
    for (const value_counts::Range &range : value_counts::above_ranges(best)) {
        count_above.bindValue(parameter_name(parameter++), range.first);
        count_above.bindValue(parameter_name(parameter++), range.last);
    }
    if (!run(count_above) || !count_above.next()) {
        error = count_above.lastError().text();
        return false;
    }
    world_place = 1 + count_above.value(0).toInt();
    local_place = location_key.isEmpty() ? 0 : 1 + count_above.value(1).toInt();
    count_above.finish();
    return true;
}

bool SqliteStore::move_counts(Rating rating, const QString &location_key, int old_best,
                              int new_best)
{
    // Both counts in two statements of a fixed shape, unused rows left at 0.
    const std::vector<value_counts::Delta> deltas = value_counts::moves(old_best, new_best);
    const auto bind_moves = [&deltas](QSqlQuery &query, int first) {
        for (int row = 0; row < value_counts::most_moves; ++row) {
            const value_counts::Delta delta = row < static_cast<int>(deltas.size())
                                                  ? deltas[static_cast<std::size_t>(row)]
                                                  : value_counts::Delta{};
            const int at = first + 3 * row;
            query.bindValue(parameter_name(at), delta.level);
            query.bindValue(parameter_name(at + 1), delta.bucket);
            query.bindValue(parameter_name(at + 2), delta.change);
        }
    };
    add_world_count.bindValue(parameter_name(1), rating_letter(rating));
    bind_moves(add_world_count, 2);
    if (!run(add_world_count))
        return false;
    if (location_key.isEmpty())
        return true;
    add_local_count.bindValue(parameter_name(1), rating_letter(rating));
    add_local_count.bindValue(parameter_name(2), location_key);
    bind_moves(add_local_count, 3);
    return run(add_local_count);
}

bool SqliteStore::store_one(const Submission &submission, qint64 now_ms, Standing &standing)
{
    standing = Standing();
    standing.rating = submission.rating;

    find_player.bindValue(0, rating_letter(submission.rating));
    find_player.bindValue(1, text(submission.name_key));
    find_player.bindValue(2, text(submission.location_key));
    if (!run(find_player))
        return false;
    const bool known = find_player.next();
    if (known) {
        standing.player_id = find_player.value(0).toLongLong();
        standing.best = find_player.value(1).toInt();
    }
    find_player.finish();

    if (!known) {
        insert_player.bindValue(0, rating_letter(submission.rating));
        insert_player.bindValue(1, text(submission.name_key));
        insert_player.bindValue(2, text(submission.location_key));
        insert_player.bindValue(3, text(submission.name));
        insert_player.bindValue(4, text(submission.location));
        insert_player.bindValue(5, submission.value);
        insert_player.bindValue(6, now_ms);
        if (!run(insert_player) ||
            !move_counts(submission.rating, submission.location_key, 0, submission.value))
            return false;
        standing.player_id = insert_player.lastInsertId().toLongLong();
        standing.best = submission.value;
        standing.improved = true;
    } else if (submission.value > standing.best) {
        raise_best.bindValue(0, submission.value);
        raise_best.bindValue(1, now_ms);
        raise_best.bindValue(2, text(submission.name));
        raise_best.bindValue(3, text(submission.location));
        raise_best.bindValue(4, standing.player_id);
        if (!run(raise_best) || !move_counts(submission.rating, submission.location_key,
                                             standing.best, submission.value))
            return false;
        standing.best = submission.value;
        standing.improved = true;
    } else {
        // A lower value changes nothing but the count and the spelling.
        count_submission.bindValue(0, text(submission.name));
        count_submission.bindValue(1, text(submission.location));
        count_submission.bindValue(2, standing.player_id);
        if (!run(count_submission))
            return false;
    }
    return count_places(submission.rating, standing.best, submission.location_key,
                        standing.world_place, standing.local_place);
}

bool SqliteStore::submit(const std::vector<Submission> &submissions, qint64 now_ms,
                         std::vector<Standing> &standings)
{
    standings.assign(submissions.size(), Standing());
    // One transaction, one sync to disk, for every submission that queued.
    if (!run(begin))
        return false;
    for (std::size_t i = 0; i < submissions.size(); ++i) {
        // A submission that fails on its own takes only itself back.
        if (!run(mark_one)) {
            roll_back();
            return false;
        }
        if (store_one(submissions[i], now_ms, standings[i])) {
            if (!run(keep_one)) {
                roll_back();
                return false;
            }
            continue;
        }
        std::fprintf(stderr, "database error: %s\n", qPrintable(error));
        standings[i] = Standing();
        if (!run(undo_one) || !run(keep_one)) {
            roll_back();
            return false;
        }
    }
    if (!run(commit)) {
        roll_back();
        return false;
    }
    return true;
}

bool SqliteStore::places(Rating rating, int best, const QString &location_key, int &world_place,
                         int &local_place)
{
    return count_places(rating, best, location_key, world_place, local_place);
}

bool SqliteStore::add_players(const std::vector<Submission> &players, qint64 now_ms)
{
    // Staged first, so that the players that are really new join the table
    // and the counts in a few statements over all of them.
    if (!run(begin))
        return false;
    if (!run(clear_staged)) {
        roll_back();
        return false;
    }
    for (const Submission &player : players) {
        stage_player.bindValue(0, rating_letter(player.rating));
        stage_player.bindValue(1, text(player.name_key));
        stage_player.bindValue(2, text(player.location_key));
        stage_player.bindValue(3, text(player.name));
        stage_player.bindValue(4, text(player.location));
        stage_player.bindValue(5, player.value);
        if (!run(stage_player)) {
            roll_back();
            return false;
        }
    }
    insert_staged.bindValue(0, now_ms);
    if (!run(drop_known_staged) || !run(insert_staged) || !run(count_staged_world) ||
        !run(count_staged_local) || !run(clear_staged) || !run(commit)) {
        roll_back();
        return false;
    }
    return true;
}

bool SqliteStore::answers()
{
    if (!run(ping) || !ping.next())
        return false;
    ping.finish();
    return true;
}
