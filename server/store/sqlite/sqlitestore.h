// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "store/store.h"

#include <QSqlDatabase>
#include <QSqlQuery>

// Players in one SQLite file, through Qt SQL, in write-ahead-log mode with a
// sync to disk at every commit.
class SqliteStore : public Store
{
public:
    // The schema version this program writes; a newer file is refused.
    static constexpr int schema_version = 3;

    static std::unique_ptr<Store> open(const QString &path, QString *error);
    ~SqliteStore() override;

    bool submit(const std::vector<Submission> &submissions, qint64 now_ms,
                std::vector<Standing> &standings) override;
    bool places(Rating rating, int best, const QString &location_key, int &world_place,
                int &local_place) override;
    bool add_players(const std::vector<Submission> &players, qint64 now_ms) override;
    bool list_players(Rating rating, const QString &location_key,
                      const std::optional<ListingKey> &key, ListingDirection direction, int limit,
                      Listing &listing) override;
    bool find_player_by_id(qint64 player_id, std::optional<PlayerRecord> &found) override;
    bool count_players(PlayerCounts &counts) override;
    bool answers() override;
    QString last_error() const override { return error; }

private:
    explicit SqliteStore(const QString &connection_name);
    bool configure();
    bool migrate();
    bool prepare_statements();
    bool run(QSqlQuery &query);
    bool run(const QString &sql);
    bool store_one(const Submission &submission, qint64 now_ms, Standing &standing);
    bool count_places(Rating rating, int best, const QString &location_key, int &world_place,
                      int &local_place);
    // Moves a player's place in the counts from old_best to new_best (0: none).
    bool move_counts(Rating rating, const QString &location_key, int old_best, int new_best);
    bool prepare_listing_statements();
    bool count_ahead(Rating rating, const QString &location_key, const ListingKey &first,
                     Listing &listing);
    void roll_back();

    QString connection_name;
    QSqlDatabase db;
    QString error;

    // Prepared once, bound for every use.
    QSqlQuery begin;
    QSqlQuery commit;
    QSqlQuery rollback;
    QSqlQuery mark_one;
    QSqlQuery keep_one;
    QSqlQuery undo_one;
    QSqlQuery find_player;
    QSqlQuery insert_player;
    QSqlQuery raise_best;
    QSqlQuery count_submission;
    QSqlQuery count_above;
    QSqlQuery add_world_count;
    QSqlQuery add_local_count;
    QSqlQuery stage_player;
    QSqlQuery clear_staged;
    QSqlQuery drop_known_staged;
    QSqlQuery insert_staged;
    QSqlQuery count_staged_world;
    QSqlQuery count_staged_local;
    QSqlQuery ping;
    // The rating pages' reads: [world, local] for each.
    QSqlQuery list_after[2];
    QSqlQuery list_before[2];
    QSqlQuery count_ahead_of[2];
    QSqlQuery player_by_id;
    QSqlQuery players_per_rating;
};
