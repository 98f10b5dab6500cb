// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "http/httpserver.h"

#include "http/session.h"

#include <cstdio>

HttpServer::HttpServer(net::io_context &io, Handlers handlers)
    : io(io), acceptor(net::make_strand(io)), retry(acceptor.get_executor()),
      handlers(std::make_shared<const Handlers>(std::move(handlers))),
      sessions(std::make_shared<SessionRegistry>())
{}

HttpServer::~HttpServer() = default;

bool HttpServer::listen(const tcp::endpoint &endpoint, std::string *error)
{
    beast::error_code ec;
    const auto failed = [&](const char *what) {
        *error = std::string(what) + ": " + ec.message();
        return false;
    };
    if (acceptor.open(endpoint.protocol(), ec))
        return failed("open");
    if (acceptor.set_option(net::socket_base::reuse_address(true), ec))
        return failed("set_option");
    if (acceptor.bind(endpoint, ec))
        return failed("bind");
    if (acceptor.listen(net::socket_base::max_listen_connections, ec))
        return failed("listen");
    net::dispatch(acceptor.get_executor(), [this] { do_accept(); });
    return true;
}

tcp::endpoint HttpServer::local_endpoint() const
{
    beast::error_code ec;
    return acceptor.local_endpoint(ec);
}

void HttpServer::stop()
{
    net::post(acceptor.get_executor(), [this] {
        beast::error_code ec;
        acceptor.close(ec);
        retry.cancel();
        sessions->stop_all();
    });
}

void HttpServer::do_accept()
{
    // Each connection gets its own strand.
    acceptor.async_accept(net::make_strand(io),
                          beast::bind_front_handler(&HttpServer::on_accept, this));
}

void HttpServer::on_accept(beast::error_code ec, tcp::socket socket)
{
    if (!acceptor.is_open())
        return;
    if (!ec) {
        if (Session::open_count() >= connection_limit)
            turn_away(std::move(socket));
        else
            std::make_shared<Session>(std::move(socket), handlers, sessions)->run();
        return do_accept();
    }
    // A failed accept (too many open files, say) is tried again a moment
    // later, not at once in a busy loop.
    retry.expires_after(std::chrono::milliseconds(100));
    retry.async_wait([this](beast::error_code wait_error) {
        if (!wait_error && acceptor.is_open())
            do_accept();
    });
}

void HttpServer::turn_away(tcp::socket socket)
{
    // The answer goes out without reading the request: a 503 with a reply the
    // game can show, then the connection closes.
    struct TurnedAway : std::enable_shared_from_this<TurnedAway>
    {
        TurnedAway(tcp::socket socket, Response response)
            : stream(std::move(socket)), response(std::move(response))
        {}
        // Closing with the request unread would reset the connection, which
        // can destroy the answer before the client has read it.
        void drain()
        {
            stream.async_read_some(net::buffer(discard),
                                   [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                       if (!ec)
                                           self->drain();
                                   });
        }
        beast::tcp_stream stream;
        Response response;
        std::array<char, 1024> discard;
    };
    auto away = std::make_shared<TurnedAway>(std::move(socket),
                                             handlers->refusal(http::status::service_unavailable));
    away->response.keep_alive(false);
    away->response.set(http::field::server, "quiverbolt-rating");
    away->response.prepare_payload();
    away->stream.expires_after(std::chrono::seconds(5));
    std::fprintf(stderr, "- - 503 0us\n");
    http::async_write(away->stream, away->response, [away](beast::error_code ec, std::size_t) {
        if (ec)
            return;
        away->stream.socket().shutdown(tcp::socket::shutdown_send, ec);
        if (!ec)
            away->drain();
    });
}
