// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "http/session.h"

#include <cstdio>

namespace {

// The path as a log shows it: no query, no byte that could forge a line.
std::string loggable_path(beast::string_view target)
{
    const auto query = target.find('?');
    if (query != beast::string_view::npos)
        target = target.substr(0, query);
    std::string out;
    for (const char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || byte == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out.empty() ? std::string("-") : out;
}

bool is_http_error(const beast::error_code &ec)
{
    return ec.category() == make_error_code(http::error::bad_target).category();
}

} // namespace

void SessionRegistry::add(const std::shared_ptr<Session> &session)
{
    bool stopped;
    {
        std::lock_guard<std::mutex> lock(mutex);
        sessions.emplace(session.get(), session);
        stopped = stopping;
    }
    if (stopped)
        session->shut_down();
}

void SessionRegistry::remove(Session *session)
{
    std::lock_guard<std::mutex> lock(mutex);
    sessions.erase(session);
}

void SessionRegistry::stop_all()
{
    std::vector<std::shared_ptr<Session>> open;
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        for (const auto &entry : sessions) {
            if (auto session = entry.second.lock())
                open.push_back(std::move(session));
        }
    }
    for (const auto &session : open)
        session->shut_down();
}

Session::Session(tcp::socket &&socket, std::shared_ptr<const Handlers> handlers,
                 std::shared_ptr<SessionRegistry> registry)
    : stream(std::move(socket)), handlers(std::move(handlers)), registry(std::move(registry))
{}

Session::~Session()
{
    registry->remove(this);
}

void Session::run()
{
    // Every handler of this connection runs on its strand.
    net::dispatch(stream.get_executor(), [self = shared_from_this()] {
        self->registry->add(self);
        if (!self->stopping)
            self->do_read();
    });
}

void Session::shut_down()
{
    net::post(stream.get_executor(), [self = shared_from_this()] {
        self->stopping = true;
        if (!self->busy)
            self->stream.close();
    });
}

void Session::do_read()
{
    parser.emplace();
    parser->header_limit(header_limit);
    parser->body_limit(body_limit);
    method = "-";
    path = "-";
    stream.expires_after(deadline);
    http::async_read_header(stream, buffer, *parser,
                            beast::bind_front_handler(&Session::on_header, shared_from_this()));
}

void Session::on_header(beast::error_code ec, std::size_t bytes)
{
    if (ec || parser->is_done())
        return on_read(ec, bytes);
    const auto &head = parser->get();
    if (beast::iequals(head[http::field::expect], "100-continue")) {
        // curl and others wait for this before they send a body.
        continue_response = {http::status::continue_, head.version()};
        http::async_write(stream, continue_response,
                          [self = shared_from_this()](beast::error_code ec, std::size_t) {
                              if (ec)
                                  return;
                              http::async_read(self->stream, self->buffer, *self->parser,
                                               beast::bind_front_handler(&Session::on_read, self));
                          });
        return;
    }
    http::async_read(stream, buffer, *parser,
                     beast::bind_front_handler(&Session::on_read, shared_from_this()));
}

void Session::on_read(beast::error_code ec, std::size_t)
{
    if (parser->is_header_done()) {
        method = std::string(parser->get().method_string());
        path = loggable_path(parser->get().target());
    }
    if (ec == http::error::end_of_stream)
        return do_close();
    if (ec == http::error::body_limit)
        return refuse(http::status::payload_too_large);
    if (ec == http::error::header_limit)
        return refuse(http::status::request_header_fields_too_large);
    if (ec && is_http_error(ec))
        return refuse(http::status::bad_request);
    if (ec)
        return; // closed, reset or too slow: nobody to answer

    busy = true;
    started = std::chrono::steady_clock::now();
    Request request = parser->release();
    version = request.version();
    keep_alive = request.keep_alive();
    handlers->request(std::move(request), make_responder());
}

void Session::refuse(http::status status)
{
    // What is left of the request is not read: the connection ends here.
    busy = true;
    started = std::chrono::steady_clock::now();
    keep_alive = false;
    respond(handlers->refusal(status));
}

Responder Session::make_responder()
{
    // The answer may come from the writer thread; it is handed back to this
    // connection's strand, and the work guard keeps the server running for it.
    auto guard = std::make_shared<net::executor_work_guard<beast::tcp_stream::executor_type>>(
        stream.get_executor());
    return [self = shared_from_this(), guard](Response response) {
        net::post(self->stream.get_executor(), [self, response = std::move(response)]() mutable {
            self->respond(std::move(response));
        });
    };
}

void Session::respond(Response response)
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    std::fprintf(stderr, "%s %s %u %lldus\n", method.c_str(), path.c_str(),
                 static_cast<unsigned>(response.result_int()),
                 static_cast<long long>(elapsed.count()));

    response.version(version);
    response.keep_alive(keep_alive && !stopping);
    response.set(http::field::server, "quiverbolt-rating");
    response.prepare_payload();
    pending = std::make_shared<Response>(std::move(response));
    stream.expires_after(deadline);
    http::async_write(
        stream, *pending,
        beast::bind_front_handler(&Session::on_write, shared_from_this(), pending->need_eof()));
}

void Session::on_write(bool close, beast::error_code ec, std::size_t)
{
    busy = false;
    pending.reset();
    if (ec)
        return;
    if (close || stopping)
        return do_close();
    do_read();
}

void Session::do_close()
{
    beast::error_code ec;
    stream.socket().shutdown(tcp::socket::shutdown_send, ec);
    if (ec)
        return;
    // Closing with unread bytes (the rest of a refused body) would make the
    // system reset the connection, which can destroy the answer before the
    // client has read it: read on, for a little while, until the client closes.
    stream.expires_after(linger);
    drain();
}

void Session::drain()
{
    stream.async_read_some(net::buffer(discard),
                           [self = shared_from_this()](beast::error_code ec, std::size_t) {
                               if (!ec)
                                   self->drain();
                           });
}
