// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "rating/submission.h"

#include <QString>

#include <vector>

// A player's position in rating order: the higher best first, then the one
// who set it earlier, then the lower id. Every player has a different key.
struct ListingKey
{
    int best = 0;
    qint64 best_at = 0; // milliseconds since 1970 UTC
    qint64 player_id = 0;

    friend bool operator==(const ListingKey &a, const ListingKey &b)
    {
        return a.best == b.best && a.best_at == b.best_at && a.player_id == b.player_id;
    }
};

// Which way a listing goes from its key.
enum class ListingDirection { after, before };

// One player as the rating shows them.
struct PlayerRecord
{
    qint64 player_id = 0;
    Rating rating = Rating::men;
    QString name;
    QString location;
    QString location_key;
    int best = 0;
    qint64 best_at = 0;
    int place = 0; // competition place in the listing's rating or location

    ListingKey key() const { return ListingKey{best, best_at, player_id}; }
};

// Consecutive players of a rating, in rating order.
struct Listing
{
    std::vector<PlayerRecord> rows;
    // Players of the same rating (and location) ahead of the first row in
    // rating order, and those among them with a strictly higher best.
    qint64 ahead_of_first = 0;
    qint64 above_first = 0;
};

struct PlayerCounts
{
    qint64 men = 0;
    qint64 women = 0;
};
