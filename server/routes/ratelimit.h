// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <boost/asio/ip/address.hpp>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>

// Submissions per client address: a token bucket that holds a minute's worth
// and fills at the rate per minute. IPv6 clients are counted per /64, the
// block one home or phone is usually given.
class RateLimiter
{
public:
    using Clock = std::chrono::steady_clock;

    // per_minute 0: no limit.
    explicit RateLimiter(int per_minute);

    // Takes one submission from the address's bucket; false when it is empty.
    bool take(const boost::asio::ip::address &address, Clock::time_point now = Clock::now());

    int per_minute() const { return rate; }

private:
    using Key = std::array<unsigned char, 16>;
    struct Bucket
    {
        double tokens = 0;
        Clock::time_point updated;
    };

    static Key key_of(const boost::asio::ip::address &address);
    double filled(const Bucket &bucket, Clock::time_point now) const;
    void forget_full(Clock::time_point now);

    int rate;
    std::mutex mutex;
    std::map<Key, Bucket> buckets;
    std::size_t takes_since_sweep = 0;
};
