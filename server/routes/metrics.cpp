// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "routes/metrics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char *const known_paths[] = {
    "/",       "/healthz",          "/metrics",          "/rating/m",  "/rating/w",
    "/terms/", "/api/v1/ratings/m", "/api/v1/ratings/w", "/style.css", "/favicon.svg",
};

// The shortest text that reads back as the same double: "0.0025", not
// "0.0025000000000000001".
std::string number(double value)
{
    char text[32];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value && !std::strchr(text, 'e'))
            return text;
    }
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

} // namespace

std::string prometheus_label(const std::string &value)
{
    std::string out = "\"";
    for (const char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + '"';
}

std::string Metrics::path_label(beast::string_view path)
{
    for (const char *known : known_paths) {
        if (path == known)
            return known;
    }
    return "other";
}

void Metrics::count_request(const std::string &path, unsigned status)
{
    std::lock_guard<std::mutex> lock(mutex);
    ++requests[{path, status}];
}

void Metrics::observe_submission(std::chrono::steady_clock::duration latency)
{
    const double seconds = std::chrono::duration<double>(latency).count();
    std::lock_guard<std::mutex> lock(mutex);
    for (std::size_t i = 0; i < latency_buckets.size(); ++i) {
        if (seconds <= latency_buckets[i])
            ++latency_counts[i];
    }
    ++latency_count;
    latency_sum += seconds;
}

void Metrics::count_database_error(const std::string &operation)
{
    std::lock_guard<std::mutex> lock(mutex);
    ++database_errors[operation];
}

Responder Metrics::counting(beast::string_view path, bool submission, Responder respond)
{
    const auto started = std::chrono::steady_clock::now();
    return [this, label = path_label(path), submission, started,
            respond = std::move(respond)](Response response) {
        count_request(label, response.result_int());
        if (submission)
            observe_submission(std::chrono::steady_clock::now() - started);
        respond(std::move(response));
    };
}

std::string Metrics::exposition(const std::optional<PlayerCounts> &players) const
{
    std::lock_guard<std::mutex> lock(mutex);
    std::string out;
    out += "# HELP quiverbolt_http_requests_total Requests answered, by path and status.\n"
           "# TYPE quiverbolt_http_requests_total counter\n";
    for (const auto &entry : requests) {
        out += "quiverbolt_http_requests_total{path=" + prometheus_label(entry.first.first) +
               ",status=\"" + std::to_string(entry.first.second) + "\"} " +
               std::to_string(entry.second) + "\n";
    }
    out += "# HELP quiverbolt_submission_duration_seconds Time from a submission's arrival "
           "to its reply, stored or not.\n"
           "# TYPE quiverbolt_submission_duration_seconds histogram\n";
    for (std::size_t i = 0; i < latency_buckets.size(); ++i) {
        out += "quiverbolt_submission_duration_seconds_bucket{le=\"" + number(latency_buckets[i]) +
               "\"} " + std::to_string(latency_counts[i]) + "\n";
    }
    out += "quiverbolt_submission_duration_seconds_bucket{le=\"+Inf\"} " +
           std::to_string(latency_count) + "\n";
    out += "quiverbolt_submission_duration_seconds_sum " + number(latency_sum) + "\n";
    out += "quiverbolt_submission_duration_seconds_count " + std::to_string(latency_count) + "\n";
    if (players) {
        out += "# HELP quiverbolt_players Players in each rating.\n"
               "# TYPE quiverbolt_players gauge\n"
               "quiverbolt_players{rating=\"m\"} " +
               std::to_string(players->men) +
               "\n"
               "quiverbolt_players{rating=\"w\"} " +
               std::to_string(players->women) + "\n";
    }
    out += "# HELP quiverbolt_database_errors_total Database operations that failed.\n"
           "# TYPE quiverbolt_database_errors_total counter\n";
    for (const auto &entry : database_errors) {
        out += "quiverbolt_database_errors_total{operation=" + prometheus_label(entry.first) +
               "} " + std::to_string(entry.second) + "\n";
    }
    return out;
}
