// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "http/http.h"

#include <memory>
#include <string>

class SessionRegistry;

// Accepts connections and gives each a session that answers its requests
// with the handlers. Runs on the io_context's threads.
class HttpServer
{
public:
    HttpServer(net::io_context &io, Handlers handlers);
    ~HttpServer();

    // Binds and listens; false and why when the address cannot be had.
    bool listen(const tcp::endpoint &endpoint, std::string *error);
    // Past this many open connections a new one is answered 503 at once and
    // closed, instead of waiting behind the others.
    void set_connection_limit(std::size_t limit) { connection_limit = limit; }
    // The bound address, with the port the system chose for port 0.
    tcp::endpoint local_endpoint() const;
    // Stops accepting, closes idle connections and lets those with a request
    // in flight answer it and close. The io_context's run() returns when the
    // last one is done.
    void stop();

private:
    void do_accept();
    void on_accept(beast::error_code ec, tcp::socket socket);
    void turn_away(tcp::socket socket);

    net::io_context &io;
    tcp::acceptor acceptor;
    net::steady_timer retry;
    std::shared_ptr<const Handlers> handlers;
    std::shared_ptr<SessionRegistry> sessions;
    std::size_t connection_limit = 10000;
};
