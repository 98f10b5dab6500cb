// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "web/ratingpage.h"

#include <QByteArray>
#include <QString>

#include <optional>

class Store;

// What a rating page or the API was asked for.
struct RatingQuery
{
    Rating rating = Rating::men;
    QString location;                 // as shown; empty for the world rating
    std::optional<qint64> player;     // ?player=ID: the player and those around them
    std::optional<ListingKey> after;  // ?after=KEY: the page below a key
    std::optional<ListingKey> before; // ?before=KEY: the page above a key
};

// Reads the query string of a rating request (what follows "?"). Nothing
// and the reason when a parameter is malformed; unknown parameters are
// ignored.
std::optional<RatingQuery> parse_rating_query(Rating rating, const QByteArray &query, QString *why);

enum class ViewResult { shown, not_found, database_error };

// Fills a view from the store: the top of the rating, the page after or
// before a key, or the player asked for with the players around them.
ViewResult load_rating_view(Store &store, const RatingQuery &query, RatingView &view);
