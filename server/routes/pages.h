// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "http/http.h"

class Metrics;
class ReadPool;

// What the web paths do.
//   GET /rating/m, /rating/w          the rating pages (?player=, ?location=, ?after=, ?before=)
//   GET /api/v1/ratings/m, …/w        the same views as JSON
//   GET /terms/                       the game's terms of use
//   GET /metrics                      counters in Prometheus' text format
//   GET /style.css, /favicon.svg      what the pages load
class Pages
{
public:
    Pages(ReadPool &reads, Metrics &metrics);

    // Answers the request when path is one of the paths above; false, with
    // respond untouched, when it is not.
    bool handle(beast::string_view path, const Request &request, Responder &respond) const;

private:
    void rating(bool json, beast::string_view letter, beast::string_view query,
                Responder respond) const;
    void metrics_text(Responder respond) const;

    ReadPool &reads;
    Metrics &metrics;
};
