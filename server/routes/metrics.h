// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "http/http.h"
#include "store/listing.h"

#include <array>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

// The server's counters, served at /metrics in Prometheus' text format.
// Safe to use from every thread.
class Metrics
{
public:
    // Upper bounds, in seconds, of the submission latency buckets.
    static constexpr std::array<double, 12> latency_buckets = {
        0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1.0, 2.5, 10.0};

    // The path as a label: one of the server's own paths, or "other", so
    // that made-up paths cannot grow the label set.
    static std::string path_label(beast::string_view path);

    void count_request(const std::string &path, unsigned status);
    void observe_submission(std::chrono::steady_clock::duration latency);
    // operation: "read" or "write".
    void count_database_error(const std::string &operation);

    // A responder that counts the answer by path and status before handing
    // it on, and times it when it answers a submission.
    Responder counting(beast::string_view path, bool submission, Responder respond);

    // The text exposition; players per rating as just read, or nothing when
    // the database did not answer.
    std::string exposition(const std::optional<PlayerCounts> &players) const;

private:
    mutable std::mutex mutex;
    std::map<std::pair<std::string, unsigned>, std::uint64_t> requests;
    std::array<std::uint64_t, latency_buckets.size()> latency_counts{};
    std::uint64_t latency_count = 0;
    double latency_sum = 0;
    std::map<std::string, std::uint64_t> database_errors{{"read", 0}, {"write", 0}};
};

// A label value with \ " and line feeds escaped, quotes included.
std::string prometheus_label(const std::string &value);
