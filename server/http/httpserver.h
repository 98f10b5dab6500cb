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
    // The bound address, with the port the system chose for port 0.
    tcp::endpoint local_endpoint() const;
    // Stops accepting, closes idle connections and lets those with a request
    // in flight answer it and close. The io_context's run() returns when the
    // last one is done.
    void stop();

private:
    void do_accept();
    void on_accept(beast::error_code ec, tcp::socket socket);

    net::io_context &io;
    tcp::acceptor acceptor;
    net::steady_timer retry;
    std::shared_ptr<const Handlers> handlers;
    std::shared_ptr<SessionRegistry> sessions;
};
