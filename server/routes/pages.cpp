// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "routes/pages.h"

#include "routes/metrics.h"
#include "routes/ratingview.h"
#include "store/readpool.h"
#include "store/store.h"
#include "web/json.h"
#include "web/pageshell.h"
#include "web/termspage.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Pages", text);
}

// Every answer here: no script of anyone's runs on a page, not even an
// inline one of our own, and no file is read as a type it was not sent as.
Response response_of(http::status status, const char *content_type, const QByteArray &body)
{
    Response response{status, 11};
    response.set(http::field::content_type, content_type);
    response.set("Content-Security-Policy", "default-src 'self'");
    response.set("X-Content-Type-Options", "nosniff");
    response.set("Referrer-Policy", "same-origin");
    response.body().assign(body.constData(), static_cast<std::size_t>(body.size()));
    return response;
}

Response page_response(http::status status, const Html &page)
{
    Response response = response_of(status, "text/html; charset=utf-8", page.utf8());
    response.set(http::field::cache_control, "no-cache");
    return response;
}

Response json_response(http::status status, const QString &json)
{
    Response response = response_of(status, "application/json; charset=utf-8", json.toUtf8());
    response.set(http::field::cache_control, "no-cache");
    return response;
}

Response problem(bool json, http::status status, const QString &title, const QString &message)
{
    if (json)
        return json_response(status, JsonObject().add("error", message).text() + QLatin1Char('\n'));
    return page_response(status, message_page(title, message));
}

Response asset(const char *content_type, const char *body)
{
    Response response = response_of(http::status::ok, content_type, QByteArray(body));
    response.set(http::field::cache_control, "max-age=3600");
    return response;
}

} // namespace

Pages::Pages(ReadPool &reads, Metrics &metrics) : reads(reads), metrics(metrics)
{}

bool Pages::handle(beast::string_view path, const Request &request, Responder &respond) const
{
    static const beast::string_view rating_prefix = "/rating/";
    static const beast::string_view api_prefix = "/api/v1/ratings/";
    const bool rating_page = path.starts_with(rating_prefix);
    const bool api = path.starts_with(api_prefix);
    const bool known = rating_page || api || path == "/terms/" || path == "/terms" ||
                       path == "/metrics" || path == "/style.css" || path == "/favicon.svg";
    if (!known)
        return false;

    if (request.method() != http::verb::get) {
        Response response = response_of(http::status::method_not_allowed,
                                        "text/plain; charset=utf-8", "GET only\n");
        response.set(http::field::allow, "GET");
        respond(std::move(response));
        return true;
    }
    const beast::string_view target = request.target();
    const auto question = target.find('?');
    const beast::string_view query =
        question == beast::string_view::npos ? beast::string_view() : target.substr(question + 1);

    if (rating_page || api) {
        rating(api, path.substr((api ? api_prefix : rating_prefix).size()), query,
               std::move(respond));
    } else if (path == "/terms/") {
        respond(page_response(http::status::ok, terms_page(game_terms())));
    } else if (path == "/terms") {
        Response response =
            response_of(http::status::moved_permanently, "text/plain; charset=utf-8", "terms/\n");
        response.set(http::field::location, "terms/");
        respond(std::move(response));
    } else if (path == "/metrics") {
        metrics_text(std::move(respond));
    } else if (path == "/style.css") {
        respond(asset("text/css; charset=utf-8", style_sheet));
    } else {
        respond(asset("image/svg+xml", favicon_svg));
    }
    return true;
}

void Pages::rating(bool json, beast::string_view letter, beast::string_view query,
                   Responder respond) const
{
    if (letter != "m" && letter != "w") {
        return respond(problem(json, http::status::not_found, tr("Not found"),
                               tr("There is a men's rating (m) and a women's rating (w).")));
    }
    QString why;
    const std::optional<RatingQuery> parsed =
        parse_rating_query(letter == "w" ? Rating::women : Rating::men,
                           QByteArray(query.data(), int(query.size())), &why);
    if (!parsed)
        return respond(problem(json, http::status::bad_request, tr("Bad request"), why));

    reads.run([this, json, asked = *parsed, respond = std::move(respond)](Store *store) {
        if (!store) {
            return respond(problem(json, http::status::service_unavailable, tr("Busy"),
                                   tr("The rating is busy. Try again in a moment.")));
        }
        RatingView view;
        switch (load_rating_view(*store, asked, view)) {
        case ViewResult::shown:
            return respond(json ? json_response(http::status::ok, rating_json(view))
                                : page_response(http::status::ok, rating_page(view)));
        case ViewResult::not_found:
            return respond(problem(json, http::status::not_found, tr("No such player"),
                                   tr("This rating has no player %1.").arg(*asked.player)));
        case ViewResult::database_error:
            metrics.count_database_error("read");
            return respond(problem(json, http::status::service_unavailable, tr("Unavailable"),
                                   tr("The rating cannot be read just now. Try again later.")));
        }
    });
}

void Pages::metrics_text(Responder respond) const
{
    reads.run([this, respond = std::move(respond)](Store *store) {
        std::optional<PlayerCounts> players;
        PlayerCounts counts;
        if (store && store->count_players(counts))
            players = counts;
        else if (store)
            metrics.count_database_error("read");
        const std::string text = metrics.exposition(players);
        Response response{http::status::ok, 11};
        response.set(http::field::content_type, "text/plain; version=0.0.4; charset=utf-8");
        response.set("X-Content-Type-Options", "nosniff");
        response.body() = text;
        respond(std::move(response));
    });
}
