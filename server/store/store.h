// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "rating/reply.h"
#include "rating/submission.h"
#include "store/listing.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

// Where the players are kept. One object serves one thread: the thread that
// opened it. Every method reports failure by returning false (or nothing),
// with last_error() saying why; a failed call has changed nothing.
class Store
{
public:
    virtual ~Store() = default;

    // Stores the submissions in this order in one transaction that is on disk
    // when the call returns true: a new player starts with the value, a known
    // one keeps the higher of the value and the best so far, and each counts
    // one more submission. standings[i] is where submissions[i]'s player stood
    // right after it was stored, in the same transaction; its player_id is 0
    // when that one submission could not be stored (the others still are).
    virtual bool submit(const std::vector<Submission> &submissions, qint64 now_ms,
                        std::vector<Standing> &standings) = 0;

    // World and local place of a best value in a rating, as the committed
    // players give them; local 0 when location_key is empty.
    virtual bool places(Rating rating, int best, const QString &location_key, int &world_place,
                        int &local_place) = 0;

    // Adds players that are not there yet, without places, in one transaction.
    virtual bool add_players(const std::vector<Submission> &players, qint64 now_ms) = 0;

    // Up to limit players of a rating in rating order (best first, then the
    // earlier best, then the lower id), after or before key, from the top when
    // key is empty; only those of location_key unless it is empty. rows come
    // in rating order, with place 0; the Listing also says how many players
    // come before its first row and how many have a strictly higher best.
    virtual bool list_players(Rating rating, const QString &location_key,
                              const std::optional<ListingKey> &key, ListingDirection direction,
                              int limit, Listing &listing) = 0;

    // One player by id; nothing in found when there is none.
    virtual bool find_player_by_id(qint64 player_id, std::optional<PlayerRecord> &found) = 0;

    // How many players each rating holds.
    virtual bool count_players(PlayerCounts &counts) = 0;

    // True while the database answers a query.
    virtual bool answers() = 0;

    virtual QString last_error() const = 0;
};

// Opens the store that a database URL names ("sqlite:/path/to/file.db",
// "postgresql://user@host/dbname"), bringing its schema up to date. Nothing
// and a reason when it cannot.
std::unique_ptr<Store> open_store(const QString &url, QString *error);

// The URL as it may be shown in a log: a password in it replaced by "***".
QString redacted_database_url(const QString &url);
