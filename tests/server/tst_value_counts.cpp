// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The layout of the counts by value: any "how many above v" read from it
// equals a plain count, and a move keeps every level's total.

#include "rating/submission.h"
#include "store/valuecounts.h"

#include <QtTest>

#include <map>
#include <random>

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

using Counts = std::map<std::pair<int, int>, int>; // (level, bucket) -> players

void add_moves(Counts &counts, const std::vector<value_counts::Delta> &deltas)
{
    for (const value_counts::Delta &delta : deltas)
        counts[{delta.level, delta.bucket}] += delta.change;
}

int above_from_counts(const Counts &counts, int value)
{
    int sum = 0;
    const auto ranges = value_counts::above_ranges(value);
    for (int level = 0; level < value_counts::count_levels; ++level) {
        const value_counts::Range range = ranges[static_cast<std::size_t>(level)];
        for (auto it = counts.lower_bound({level, range.first});
             it != counts.end() && it->first.first == level && it->first.second <= range.last; ++it)
            sum += it->second;
    }
    return sum;
}

} // namespace

class TestValueCounts : public QObject
{
    Q_OBJECT

private slots:
    void counts_above_equal_a_plain_count_data();
    void counts_above_equal_a_plain_count();
    void a_move_keeps_each_level_total();
};

void TestValueCounts::counts_above_equal_a_plain_count_data()
{
    QTest::addColumn<std::vector<int>>("values");
    QTest::addColumn<std::vector<int>>("probes");
    QTest::newRow("one player") << std::vector<int>{500} << std::vector<int>{1, 499, 500, 501};
    QTest::newRow("ties") << std::vector<int>{300, 300, 300, 200}
                          << std::vector<int>{199, 200, 299, 300, 301};
    QTest::newRow("bucket edges") << std::vector<int>{15, 16, 17, 255, 256, 4095, 4096}
                                  << std::vector<int>{15, 16, 255, 256, 4095, 4096, 4097};
    QTest::newRow("highest values")
        << std::vector<int>{value_limit, value_limit - 1, 1, value_counts::top_value}
        << std::vector<int>{1, value_limit - 1, value_limit, value_counts::top_value - 1,
                            value_counts::top_value};
}

void TestValueCounts::counts_above_equal_a_plain_count()
{
    QFETCH(std::vector<int>, values);
    QFETCH(std::vector<int>, probes);
    Counts counts;
    for (const int value : values)
        add_moves(counts, value_counts::moves(0, value));
    for (const int probe : probes) {
        const auto plain = std::count_if(values.begin(), values.end(),
                                         [probe](int value) { return value > probe; });
        QCOMPARE(above_from_counts(counts, probe), static_cast<int>(plain));
    }
}

void TestValueCounts::a_move_keeps_each_level_total()
{
    // Players raise their best at random; after every raise the counts answer
    // every probe as a plain count of the bests does.
    std::mt19937 random(3);
    std::uniform_int_distribution<int> value(1, value_limit);
    std::vector<int> bests(300);
    Counts counts;
    for (int &best : bests) {
        best = value(random);
        add_moves(counts, value_counts::moves(0, best));
    }
    for (int round = 0; round < 300; ++round) {
        int &best = bests[static_cast<std::size_t>(round)];
        const int raised = std::min(value_limit, best + value(random) % 5000 + 1);
        add_moves(counts, value_counts::moves(best, raised));
        best = raised;
    }
    for (int level = 0; level < value_counts::count_levels; ++level) {
        int total = 0;
        for (const auto &[key, players] : counts) {
            QVERIFY(players >= 0);
            if (key.first == level)
                total += players;
        }
        QCOMPARE(total, static_cast<int>(bests.size()));
    }
    for (int probe = 0; probe < 200; ++probe) {
        const int at = probe % 2 ? value(random) : bests[static_cast<std::size_t>(probe)];
        const auto plain =
            std::count_if(bests.begin(), bests.end(), [at](int best) { return best > at; });
        QCOMPARE(above_from_counts(counts, at), static_cast<int>(plain));
    }
}

QTEST_GUILESS_MAIN(TestValueCounts)
#include "tst_value_counts.moc"
