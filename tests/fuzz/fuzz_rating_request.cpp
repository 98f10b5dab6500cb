// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Feeds any bytes to the rating server as one HTTP request: Beast's parser
// with the connection's own limits, then the server's request handling on a
// real SQLite store. Every request that parses gets a response; every answer
// to a submission is a reply document the game can read.
#include "http/session.h"
#include "routes/metrics.h"
#include "routes/routes.h"
#include "store/commitqueue.h"
#include "store/readpool.h"
#include "store/store.h"

#include "fuzzcheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdint>
#include <future>
#include <memory>

namespace {

struct Server
{
    QTemporaryDir dir{QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/quiverbolt-fuzz-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/quiverbolt-fuzz-XXXXXX")};
    std::unique_ptr<CommitQueue> queue;
    std::unique_ptr<ReadPool> reads;
    Metrics metrics;
    std::unique_ptr<Routes> routes;
};

Server *server = nullptr;

bool is_reply_document(const std::string &body)
{
    QXmlStreamReader reader(QByteArray(body.data(), int(body.size())));
    int elements = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            ++elements;
    }
    return !reader.hasError() && elements == 6;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Qt SQL loads its drivers through the application object.
    static QCoreApplication app(*argc, *argv);
    server = new Server;
    const QString url = QStringLiteral("sqlite:") + server->dir.filePath(QStringLiteral("f.db"));
    server->queue =
        std::make_unique<CommitQueue>([url](QString *error) { return open_store(url, error); });
    QString error;
    check(server->queue->start(&error), "the store does not open");
    server->reads =
        std::make_unique<ReadPool>([url](QString *error) { return open_store(url, error); }, 1);
    check(server->reads->start(&error), "the store does not open for reading");
    server->routes = std::make_unique<Routes>(*server->queue, QStringLiteral("http://x/"),
                                              *server->reads, server->metrics);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    http::request_parser<http::string_body> parser;
    parser.header_limit(Session::header_limit);
    parser.body_limit(Session::body_limit);
    parser.eager(true);
    beast::error_code ec;
    parser.put(net::buffer(data, size), ec);
    if (!ec && !parser.is_done())
        parser.put_eof(ec);
    if (ec || !parser.is_done()) {
        // The connection answers what it cannot read itself.
        const http::status status = ec == http::error::body_limit ? http::status::payload_too_large
                                                                  : http::status::bad_request;
        check(is_reply_document(Routes::refusal(status).body()), "a refusal is no reply");
        return 0;
    }
    Request request = parser.release();
    const bool submission = request.method() == http::verb::post &&
                            request.target().substr(0, request.target().find('?')) == "/";

    std::promise<Response> answered;
    std::future<Response> answer = answered.get_future();
    auto once = std::make_shared<std::promise<Response>>(std::move(answered));
    server->routes->handle(std::move(request),
                           [once](Response response) { once->set_value(std::move(response)); });
    const Response response = answer.get();
    const unsigned status = response.result_int();
    check(status >= 200 && status < 600, "a status out of range");
    if (submission) {
        check(is_reply_document(response.body()), "a submission's answer is no reply");
        check(response[http::field::content_type] == "text/xml; charset=utf-8",
              "a reply that is not text/xml");
    }
    return 0;
}
