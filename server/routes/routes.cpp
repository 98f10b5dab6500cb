// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "routes/routes.h"

#include "rating/submission.h"
#include "routes/metrics.h"
#include "store/commitqueue.h"

namespace {

Response text_response(http::status status, const char *text)
{
    Response response{status, 11};
    response.set(http::field::content_type, "text/plain; charset=utf-8");
    response.body() = text;
    return response;
}

} // namespace

Routes::Routes(CommitQueue &queue, QString public_url, ReadPool &reads, Metrics &metrics)
    : queue(queue), public_url(std::move(public_url)), metrics(metrics), pages(reads, metrics)
{}

Response Routes::reply_response(const Reply &reply)
{
    Response response{static_cast<http::status>(reply.status), 11};
    response.set(http::field::content_type, "text/xml; charset=utf-8");
    response.set(http::field::cache_control, "no-store");
    const QByteArray document = reply_document(reply);
    response.body().assign(document.constData(), static_cast<std::size_t>(document.size()));
    return response;
}

Response Routes::refusal(http::status status)
{
    // The game reads the body whatever the status: it gets a reply it can show.
    Reply reply = status == http::status::payload_too_large     ? too_large_reply()
                  : status == http::status::service_unavailable ? unavailable_reply()
                  : status == http::status::too_many_requests   ? rate_limited_reply()
                                                                : bad_request_reply();
    reply.status = static_cast<int>(status);
    return reply_response(reply);
}

void Routes::handle(Request &&request, Responder respond) const
{
    beast::string_view target = request.target();
    const auto query = target.find('?');
    const beast::string_view path = target.substr(0, query);
    respond = metrics.counting(path, path == "/" && request.method() == http::verb::post,
                               std::move(respond));
    if (pages.handle(path, request, respond))
        return;

    if (path == "/") {
        if (request.method() == http::verb::post)
            return submit(request, std::move(respond));
        Response response = text_response(http::status::method_not_allowed,
                                          "The game posts its submissions here.\n");
        response.set(http::field::allow, "POST");
        return respond(std::move(response));
    }
    if (path == "/healthz") {
        if (request.method() == http::verb::get)
            return respond(health());
        Response response = text_response(http::status::method_not_allowed, "GET only\n");
        response.set(http::field::allow, "GET");
        return respond(std::move(response));
    }
    respond(text_response(http::status::not_found, "not found\n"));
}

void Routes::submit(const Request &request, Responder respond) const
{
    // The body is taken as it came: no percent-decoding, any Content-Type.
    const std::string &body = request.body();
    const ParsedSubmission parsed =
        parse_submission(QByteArray(body.data(), static_cast<int>(body.size())));
    if (!parsed.submission)
        return respond(reply_response(rejected_reply(parsed.rejection)));

    queue.submit(*parsed.submission, [respond = std::move(respond), url = public_url,
                                      &metrics = metrics](std::optional<Standing> standing) {
        if (!standing)
            metrics.count_database_error("write");
        if (standing && standing->banned)
            return respond(reply_response(banned_reply()));
        respond(reply_response(standing ? accepted_reply(*standing, url) : unavailable_reply()));
    });
}

Response Routes::health() const
{
    if (queue.healthy())
        return text_response(http::status::ok, "ok\n");
    return text_response(http::status::service_unavailable, "database not answering\n");
}
