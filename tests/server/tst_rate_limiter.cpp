// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The token bucket per address on its own, on a clock the test moves.

#include "routes/ratelimit.h"

#include <QtTest>

namespace {

using Clock = RateLimiter::Clock;
using boost::asio::ip::make_address;

} // namespace

class TestRateLimiter : public QObject
{
    Q_OBJECT

private slots:
    void a_minute_of_submissions_then_one_per_refill_data();
    void a_minute_of_submissions_then_one_per_refill();
    void addresses_share_a_bucket_data();
    void addresses_share_a_bucket();
    void zero_turns_the_limit_off();
};

void TestRateLimiter::a_minute_of_submissions_then_one_per_refill_data()
{
    QTest::addColumn<int>("per_minute");
    QTest::newRow("one a minute") << 1;
    QTest::newRow("thirty a minute") << 30;
    QTest::newRow("six hundred a minute") << 600;
}

void TestRateLimiter::a_minute_of_submissions_then_one_per_refill()
{
    QFETCH(int, per_minute);
    RateLimiter limiter(per_minute);
    const auto address = make_address("192.0.2.7");
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < per_minute; ++i)
        QVERIFY(limiter.take(address, start));
    QVERIFY(!limiter.take(address, start));

    // One more after a refill's time, and not before.
    const auto refill = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(60.0 / per_minute));
    QVERIFY(!limiter.take(address, start + refill / 2));
    QVERIFY(limiter.take(address, start + refill));
    QVERIFY(!limiter.take(address, start + refill));
    // A long pause fills the bucket to a minute's worth, no more.
    const Clock::time_point later = start + std::chrono::hours(1);
    for (int i = 0; i < per_minute; ++i)
        QVERIFY(limiter.take(address, later));
    QVERIFY(!limiter.take(address, later));
}

void TestRateLimiter::addresses_share_a_bucket_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("shared");
    QTest::newRow("IPv4, another address") << "192.0.2.7"
                                           << "192.0.2.8" << false;
    QTest::newRow("IPv6, same /64") << "2001:db8:1:2::1"
                                    << "2001:db8:1:2:ffff::9" << true;
    QTest::newRow("IPv6, another /64") << "2001:db8:1:2::1"
                                       << "2001:db8:1:3::1" << false;
    QTest::newRow("IPv4 as mapped IPv6") << "192.0.2.7"
                                         << "::ffff:192.0.2.7" << true;
    QTest::newRow("IPv4 against IPv6 of the same bytes") << "192.0.2.7"
                                                         << "c000:207::" << false;
}

void TestRateLimiter::addresses_share_a_bucket()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, shared);
    RateLimiter limiter(2);
    const Clock::time_point now = Clock::now();
    QVERIFY(limiter.take(make_address(first.toStdString()), now));
    QVERIFY(limiter.take(make_address(first.toStdString()), now));
    QCOMPARE(limiter.take(make_address(second.toStdString()), now), !shared);
}

void TestRateLimiter::zero_turns_the_limit_off()
{
    RateLimiter limiter(0);
    const Clock::time_point now = Clock::now();
    for (int i = 0; i < 10000; ++i)
        QVERIFY(limiter.take(make_address("192.0.2.7"), now));
}

QTEST_GUILESS_MAIN(TestRateLimiter)
#include "tst_rate_limiter.moc"
