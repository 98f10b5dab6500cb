// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "http/httpserver.h"

#include "http/session.h"

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
