// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "store/store.h"

#include <QByteArray>

#include <memory>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

// Players in a PostgreSQL database, through libpq with statements prepared
// once per connection. Several servers may share one database: their write
// transactions take turns (one transaction-scoped advisory lock), so the
// places each hands out are those of one order of all submissions.
class PostgresqlStore : public Store
{
public:
    // url is a libpq connection URI ("postgresql://user@host/db?passfile=…");
    // the password comes from the password file, never from the command line.
    // The schema version this program writes; a newer database is refused.
    static constexpr int schema_version = 3;

    static std::unique_ptr<Store> open(const QString &url, QString *error);
    ~PostgresqlStore() override;

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
    struct ResultDeleter
    {
        void operator()(PGresult *result) const;
    };
    using Result = std::unique_ptr<PGresult, ResultDeleter>;

    explicit PostgresqlStore(const QString &url);
    bool connect();
    bool usable();
    bool migrate();
    bool prepare_statements();
    // A statement prepared under name, or a simple one when it has no
    // parameters; nothing, with error set, when it failed.
    Result run(const char *name, const std::vector<QByteArray> &parameters = {});
    Result run_simple(const QByteArray &sql);
    bool begin_writing();
    bool commit();
    void roll_back();
    // In pipeline mode: statements are sent without waiting, then one sync
    // reads all their results, in order; false when any failed.
    bool send(const char *name, const std::vector<QByteArray> &parameters);
    bool sync(std::vector<Result> &results);
    // One transaction for all the submissions, or none of them stored.
    bool store_together(const std::vector<Submission> &submissions, qint64 now_ms,
                        std::vector<Standing> &standings);
    bool store_batch(const std::vector<Submission> &submissions, qint64 now_ms,
                     std::vector<Standing> &standings);
    bool send_move(const QByteArray &rating, const QByteArray &location_key, int old_best,
                   int new_best);
    static std::vector<QByteArray> above_parameters(const QByteArray &rating, int best,
                                                    const QByteArray &location_key);
    bool count_places(const QByteArray &rating, int best, const QByteArray &location_key,
                      int &world_place, int &local_place);

    // Submissions whose statements share one sync: few enough that neither
    // side's socket buffer fills while the other is still sending.
    static constexpr std::size_t pipeline_chunk = 64;
    bool copy_players(const std::vector<Submission> &players);

    QByteArray url;
    PGconn *connection = nullptr;
    QString error;
    int sent = 0; // statements in the pipeline since its last sync
};
