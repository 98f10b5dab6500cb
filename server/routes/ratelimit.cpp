// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "routes/ratelimit.h"

#include <algorithm>

namespace {

// How often the buckets that have filled up again are forgotten, so that the
// table holds only addresses seen within about a minute.
constexpr std::size_t sweep_every = 4096;

} // namespace

RateLimiter::RateLimiter(int per_minute) : rate(std::max(0, per_minute))
{}

RateLimiter::Key RateLimiter::key_of(const boost::asio::ip::address &address)
{
    Key key{};
    if (address.is_v4()) {
        const auto bytes = address.to_v4().to_bytes();
        std::copy(bytes.begin(), bytes.end(), key.begin());
        key[15] = 4;
        return key;
    }
    const auto v6 = address.to_v6();
    if (v6.is_v4_mapped())
        return key_of(boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, v6));
    const auto bytes = v6.to_bytes();
    std::copy(bytes.begin(), bytes.begin() + 8, key.begin());
    key[15] = 6;
    return key;
}

double RateLimiter::filled(const Bucket &bucket, Clock::time_point now) const
{
    const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
    return std::min<double>(rate, bucket.tokens + seconds * rate / 60.0);
}

void RateLimiter::forget_full(Clock::time_point now)
{
    for (auto it = buckets.begin(); it != buckets.end();) {
        if (filled(it->second, now) >= rate)
            it = buckets.erase(it);
        else
            ++it;
    }
}

bool RateLimiter::take(const boost::asio::ip::address &address, Clock::time_point now)
{
    if (rate == 0)
        return true;
    std::lock_guard<std::mutex> lock(mutex);
    if (++takes_since_sweep >= sweep_every) {
        takes_since_sweep = 0;
        forget_full(now);
    }
    const auto [it, added] = buckets.try_emplace(key_of(address), Bucket{double(rate), now});
    Bucket &bucket = it->second;
    if (!added) {
        bucket.tokens = filled(bucket, now);
        bucket.updated = now;
    }
    if (bucket.tokens < 1.0)
        return false;
    bucket.tokens -= 1.0;
    return true;
}
