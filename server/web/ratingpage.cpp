// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "web/ratingpage.h"

#include "web/json.h"
#include "web/pageshell.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("RatingPage", text);
}

QString rating_title(Rating rating)
{
    return rating == Rating::women ? tr("Women's rating") : tr("Men's rating");
}

Html when_set(qint64 ms)
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    return Html("<time") + attribute("datetime", iso_time(ms)) + ">" +
           html_text(when.toString(QStringLiteral("yyyy-MM-dd HH:mm"))) + "</time>";
}

// Bidirectional isolation: a right-to-left override in a name turns only
// that name around, never the cells beside it.
Html isolated(const QString &text)
{
    return Html("<bdi>") + html_text(text) + "</bdi>";
}

Html player_row(const RatingView &view, const PlayerRecord &row)
{
    const bool highlighted = row.player_id == view.highlighted;
    Html html = Html("<tr") + attribute("id", QStringLiteral("player-%1").arg(row.player_id));
    if (highlighted)
        html += attribute("class", QStringLiteral("you")) +
                attribute("aria-current", QStringLiteral("true"));
    html += Html("><td class=\"place\">") + html_number(row.place) + "</td><td class=\"name\">" +
            isolated(row.name) + "</td><td class=\"location\">";
    if (!row.location.isEmpty() && view.location.isEmpty()) {
        html += Html("<a") + attribute("href", view_link(view.rating, row.location)) + ">" +
                isolated(row.location) + "</a>";
    } else {
        html += isolated(row.location);
    }
    html += Html("</td><td class=\"best\">") + html_number(row.best) + "</td><td class=\"when\">" +
            when_set(row.best_at) + "</td></tr>\n";
    return html;
}

Html rating_table(const RatingView &view)
{
    if (view.rows.empty()) {
        const QString empty = view.location.isEmpty()
                                  ? tr("No players yet.")
                                  : tr("No players from %1 yet.").arg(view.location);
        return Html("<p class=\"empty\">") + html_text(empty) + "</p>\n";
    }
    Html html = Html("<table class=\"rating\">\n<thead><tr><th class=\"place\">") +
                html_text(view.location.isEmpty() ? tr("Place") : tr("Local place")) +
                "</th><th class=\"name\">" + html_text(tr("Name")) +
                "</th><th class=\"location\">" + html_text(tr("Location")) +
                "</th><th class=\"best\">" + html_text(tr("Best")) + "</th><th class=\"when\">" +
                html_text(tr("Set (UTC)")) + "</th></tr></thead>\n<tbody>\n";
    for (const PlayerRecord &row : view.rows)
        html += player_row(view, row);
    return html + "</tbody>\n</table>\n";
}

Html paging(const RatingView &view)
{
    if (!view.previous && !view.next)
        return Html();
    Html html("<nav class=\"pages\">");
    if (view.previous) {
        html += Html("<a rel=\"prev\"") +
                attribute("href", view_link(view.rating, view.location, "before",
                                            key_parameter(*view.previous))) +
                ">" + html_text(tr("← Higher")) + "</a>";
    }
    if (view.next) {
        html += Html("<a rel=\"next\"") +
                attribute("href", view_link(view.rating, view.location, "after",
                                            key_parameter(*view.next))) +
                ">" + html_text(tr("Lower →")) + "</a>";
    }
    return html + "</nav>\n";
}

Html location_form(const RatingView &view)
{
    return Html("<form class=\"find\" method=\"get\"") +
           attribute("action", rating_letter(view.rating)) + "><label>" +
           html_text(tr("Location")) + " <input name=\"location\" maxlength=\"64\"" +
           attribute("value", view.location) + "></label> <button>" + html_text(tr("Show")) +
           "</button>" +
           (view.location.isEmpty() ? Html()
                                    : Html(" <a") + attribute("href", rating_letter(view.rating)) +
                                          ">" + html_text(tr("World")) + "</a>") +
           "</form>\n";
}

QString player_json(const PlayerRecord &row)
{
    return JsonObject()
        .add("place", row.place)
        .add("id", row.player_id)
        .add("name", row.name)
        .add("location", row.location)
        .add("best", row.best)
        .add("set_at", iso_time(row.best_at))
        .text();
}

} // namespace

QString key_parameter(const ListingKey &key)
{
    return QStringLiteral("%1.%2.%3").arg(key.best).arg(key.best_at).arg(key.player_id);
}

std::optional<ListingKey> parse_key_parameter(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return std::nullopt;
    bool ok[3] = {};
    ListingKey key;
    key.best = parts[0].toInt(&ok[0]);
    key.best_at = parts[1].toLongLong(&ok[1]);
    key.player_id = parts[2].toLongLong(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || key.best < 0 || key.player_id < 0)
        return std::nullopt;
    return key;
}

QString view_link(Rating rating, const QString &location, const char *name, const QString &value)
{
    QStringList parameters;
    if (!location.isEmpty())
        parameters << QStringLiteral("location=") + url_component(location);
    if (name)
        parameters << QLatin1String(name) + QLatin1Char('=') + url_component(value);
    QString link = rating_letter(rating);
    if (!parameters.isEmpty())
        link += QLatin1Char('?') + parameters.join(QLatin1Char('&'));
    return link;
}

QString iso_time(qint64 ms_since_epoch)
{
    return QDateTime::fromMSecsSinceEpoch(ms_since_epoch, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

Html rating_page(const RatingView &view)
{
    const QString title = view.location.isEmpty()
                              ? rating_title(view.rating)
                              : tr("%1 in %2").arg(rating_title(view.rating), view.location);
    Html heading = html_text(rating_title(view.rating));
    if (!view.location.isEmpty())
        heading += Html(" <span class=\"in\">") + html_text(tr("in")) + "</span> " +
                   isolated(view.location);
    const Html body = Html("<h1>") + heading + "</h1>\n" + location_form(view) +
                      rating_table(view) + paging(view);
    return page_shell(title, view.rating == Rating::women ? Section::women : Section::men, body);
}

Html message_page(const QString &title, const QString &message)
{
    return page_shell(title, Section::none,
                      Html("<h1>") + html_text(title) + "</h1>\n<p>" + html_text(message) +
                          "</p>\n");
}

QString rating_json(const RatingView &view)
{
    QStringList players;
    for (const PlayerRecord &row : view.rows)
        players << player_json(row);
    JsonObject json;
    json.add("rating", rating_letter(view.rating));
    if (view.location.isEmpty())
        json.add_null("location");
    else
        json.add("location", view.location);
    if (view.highlighted)
        json.add("player", view.highlighted);
    else
        json.add_null("player");
    json.add_json("players", QLatin1Char('[') + players.join(QLatin1Char(',')) + QLatin1Char(']'));
    if (view.previous)
        json.add("previous",
                 view_link(view.rating, view.location, "before", key_parameter(*view.previous)));
    else
        json.add_null("previous");
    if (view.next)
        json.add("next", view_link(view.rating, view.location, "after", key_parameter(*view.next)));
    else
        json.add_null("next");
    return json.text() + QLatin1Char('\n');
}
