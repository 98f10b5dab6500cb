// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "store/listing.h"
#include "web/html.h"

#include <QString>

#include <optional>
#include <vector>

// What a rating page, and its JSON, shows.
struct RatingView
{
    Rating rating = Rating::men;
    QString location;                   // the local rating's location; empty for the world
    std::vector<PlayerRecord> rows;     // in rating order, places given
    qint64 highlighted = 0;             // the player the page was asked for; 0 for none
    std::optional<ListingKey> previous; // the previous page ends before this key
    std::optional<ListingKey> next;     // the next page starts after this key
};

// Players shown on one page, and around a player asked for by id.
constexpr int page_size = 50;
constexpr int players_around = 10;

// A key as links carry it: "best.best_at.id".
QString key_parameter(const ListingKey &key);
std::optional<ListingKey> parse_key_parameter(const QString &text);

// The link to a view of a rating, relative to the folder of its page or
// API resource ("m?location=Oslo&after=…"); name and value add one more
// parameter when name is given.
QString view_link(Rating rating, const QString &location, const char *name = nullptr,
                  const QString &value = QString());

// The whole page, UTF-8 HTML5, for a rating view.
Html rating_page(const RatingView &view);

// A short page that says what went wrong ("No such player").
Html message_page(const QString &title, const QString &message);

// The same view as JSON.
QString rating_json(const RatingView &view);

// A "when set" time as the page and the JSON show it: UTC, ISO 8601.
QString iso_time(qint64 ms_since_epoch);
