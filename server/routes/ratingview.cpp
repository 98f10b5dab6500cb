// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "routes/ratingview.h"

#include "rating/places.h"
#include "store/store.h"
#include "web/html.h"

#include <QCoreApplication>
#include <QList>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("RatingQuery", text);
}

// The rows of a listing shown on a page, with the links to the pages around.
// more_below says whether a player follows the last row.
void show(const Listing &listing, bool more_below, RatingView &view)
{
    view.rows = listing.rows;
    if (view.rows.empty())
        return;
    if (listing.ahead_of_first > 0)
        view.previous = view.rows.front().key();
    if (more_below)
        view.next = view.rows.back().key();
}

ViewResult load_page(Store &store, const RatingQuery &query, const QString &location_key,
                     RatingView &view)
{
    Listing listing;
    if (query.before) {
        if (!store.list_players(query.rating, location_key, query.before, ListingDirection::before,
                                page_size, listing))
            return ViewResult::database_error;
        // Near the top a page before a key holds fewer players: show the top.
        if (int(listing.rows.size()) == page_size) {
            assign_places(listing);
            show(listing, true, view);
            return ViewResult::shown;
        }
    }
    const std::optional<ListingKey> start = query.before ? std::nullopt : query.after;
    if (!store.list_players(query.rating, location_key, start, ListingDirection::after,
                            page_size + 1, listing))
        return ViewResult::database_error;
    const bool more_below = int(listing.rows.size()) > page_size;
    if (more_below)
        listing.rows.pop_back();
    assign_places(listing);
    show(listing, more_below, view);
    return ViewResult::shown;
}

ViewResult load_around_player(Store &store, const RatingQuery &query, const QString &location_key,
                              RatingView &view)
{
    std::optional<PlayerRecord> player;
    if (!store.find_player_by_id(*query.player, player))
        return ViewResult::database_error;
    if (!player || player->rating != query.rating ||
        (!location_key.isEmpty() && player->location_key != location_key))
        return ViewResult::not_found;

    Listing above;
    Listing below;
    if (!store.list_players(query.rating, location_key, player->key(), ListingDirection::before,
                            players_around, above) ||
        !store.list_players(query.rating, location_key, player->key(), ListingDirection::after,
                            players_around + 1, below))
        return ViewResult::database_error;
    const bool more_below = int(below.rows.size()) > players_around;
    if (more_below)
        below.rows.pop_back();

    // Nobody listed above the player means nobody is ahead of them.
    Listing around = above;
    around.rows.push_back(*player);
    around.rows.insert(around.rows.end(), below.rows.begin(), below.rows.end());
    assign_places(around);
    show(around, more_below, view);
    view.highlighted = player->player_id;
    return ViewResult::shown;
}

} // namespace

std::optional<RatingQuery> parse_rating_query(Rating rating, const QByteArray &query, QString *why)
{
    RatingQuery parsed;
    parsed.rating = rating;
    for (const QByteArray &pair : query.split('&')) {
        if (pair.isEmpty())
            continue;
        const int equals = pair.indexOf('=');
        const QString name = url_decode(equals < 0 ? pair : pair.left(equals));
        const QString value = equals < 0 ? QString() : url_decode(pair.mid(equals + 1));
        if (name == QLatin1String("location")) {
            parsed.location = display_text(value);
            if (parsed.location.toUcs4().size() > text_length_limit) {
                *why = tr("A location has at most %1 characters.").arg(text_length_limit);
                return std::nullopt;
            }
        } else if (name == QLatin1String("player")) {
            bool ok = false;
            const qint64 id = value.toLongLong(&ok);
            if (!ok || id <= 0) {
                *why = tr("player wants a player's number, as in the game's link.");
                return std::nullopt;
            }
            parsed.player = id;
        } else if (name == QLatin1String("after") || name == QLatin1String("before")) {
            const std::optional<ListingKey> key = parse_key_parameter(value);
            if (!key) {
                *why = tr("%1 wants a position from the page's own links.").arg(name);
                return std::nullopt;
            }
            (name == QLatin1String("after") ? parsed.after : parsed.before) = key;
        }
    }
    return parsed;
}

ViewResult load_rating_view(Store &store, const RatingQuery &query, RatingView &view)
{
    view = RatingView();
    view.rating = query.rating;
    view.location = query.location;
    const QString location_key = identity_key(query.location);
    const ViewResult result = query.player ? load_around_player(store, query, location_key, view)
                                           : load_page(store, query, location_key, view);
    // The location as its players spell it, rather than as it was typed.
    if (result == ViewResult::shown && !view.location.isEmpty() && !view.rows.empty())
        view.location = view.rows.front().location;
    return result;
}
