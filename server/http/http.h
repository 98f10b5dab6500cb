// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <functional>
#include <optional>

namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace net = boost::asio;
using tcp = boost::asio::ip::tcp;

using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;

// Hands the response to a request back to its connection; call it once,
// from any thread.
using Responder = std::function<void(Response)>;

// What the server does with requests: everything after "a request arrived".
struct Handlers
{
    // Answers a whole request, now or later, through the responder.
    std::function<void(Request &&, Responder)> request;
    // The answer to a request that could not be read (bad HTTP, too large).
    std::function<Response(http::status)> refusal;
    // Asked first, with the client's address: an answer to give instead of
    // handling the request (too many submissions, say), or nothing.
    std::function<std::optional<Response>(const Request &, const net::ip::address &)> admit;
};
