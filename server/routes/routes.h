// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "http/http.h"
#include "rating/reply.h"
#include "routes/pages.h"

#include <QString>

class CommitQueue;
class Metrics;
class ReadPool;

// What each path does.
//   POST /         a submission from the game: the reply document
//   GET  /healthz  "ok" while the database answers
//   and the web paths of Pages: the rating pages, their JSON, terms, metrics
class Routes
{
public:
    // public_url ends with "/"; links in replies start with it.
    Routes(CommitQueue &queue, QString public_url, ReadPool &reads, Metrics &metrics);

    void handle(Request &&request, Responder respond) const;
    // The answer to a request that could not be read.
    static Response refusal(http::status status);

    // A reply document with its status, as the game receives it.
    static Response reply_response(const Reply &reply);

private:
    void submit(const Request &request, Responder respond) const;
    Response health() const;

    CommitQueue &queue;
    QString public_url;
    Metrics &metrics;
    Pages pages;
};
