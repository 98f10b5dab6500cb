// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "http/http.h"

#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

class Session;

// The open connections, so that a stop can close the idle ones.
class SessionRegistry
{
public:
    void add(const std::shared_ptr<Session> &session);
    void remove(Session *session);
    // From now on every connection closes once its request in flight is answered.
    void stop_all();

private:
    std::mutex mutex;
    std::unordered_map<Session *, std::weak_ptr<Session>> sessions;
    bool stopping = false;
};

// One connection: reads requests one after the other, hands each to the
// handlers and writes the answer back. It lives as long as an operation of
// its own holds it.
class Session : public std::enable_shared_from_this<Session>
{
public:
    // A request's head and body must arrive within this time; so must the
    // next request on a kept-alive connection, and an answer must be taken.
    static constexpr std::chrono::seconds deadline{30};
    // The head of a request; a save document is at most 4 KiB, a body twice that.
    static constexpr std::uint32_t header_limit = 8 * 1024;
    static constexpr std::uint64_t body_limit = 8 * 1024;
    // How long a closing connection reads what the client still sends.
    static constexpr std::chrono::seconds linger{2};

    Session(tcp::socket &&socket, std::shared_ptr<const Handlers> handlers,
            std::shared_ptr<SessionRegistry> registry);
    ~Session();

    void run();
    // Closes the connection now when it waits for a request, or after the
    // answer to the request in flight.
    void shut_down();

private:
    void do_read();
    void on_header(beast::error_code ec, std::size_t bytes);
    void on_read(beast::error_code ec, std::size_t bytes);
    void refuse(http::status status);
    Responder make_responder();
    void respond(Response response);
    void on_write(bool close, beast::error_code ec, std::size_t bytes);
    void do_close();
    void drain();

    beast::tcp_stream stream;
    beast::flat_buffer buffer;
    std::array<char, 4096> discard;
    std::optional<http::request_parser<http::string_body>> parser;
    http::response<http::empty_body> continue_response;
    std::shared_ptr<Response> pending;
    std::shared_ptr<const Handlers> handlers;
    std::shared_ptr<SessionRegistry> registry;

    // The request being answered.
    std::string method = "-";
    std::string path = "-";
    unsigned version = 11;
    bool keep_alive = false;
    std::chrono::steady_clock::time_point started;
    bool busy = false;
    bool stopping = false;
};
