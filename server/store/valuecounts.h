// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <vector>

// How many players hold each best value, summed over a hierarchy of value
// ranges, so that "how many are above v" reads a handful of rows whatever the
// number of players.
//
// Level 0 counts players per value; each level above counts per range of
// bucket_span buckets of the level below: bucket(level, v) = v >> (bucket_bits
// · level). A player above v is counted exactly once by the ranges of
// above_ranges(v): at the lowest level where its bucket and v's share a
// parent, among v's later siblings. count_levels levels cover every value up
// to 2^(bucket_bits · count_levels) - 1; the top level's range is open upwards.
namespace value_counts {

constexpr int bucket_bits = 4;
constexpr int bucket_span = 1 << bucket_bits;
constexpr int count_levels = 6;
static_assert(bucket_bits * count_levels <= 30, "buckets must fit an int");

// The highest value the layout ranks; every accepted value is below it.
constexpr int top_value = (1 << (bucket_bits * count_levels)) - 1;

constexpr int bucket(int level, int value)
{
    return value >> (bucket_bits * level);
}

// The buckets of one level to sum, first to last, both included.
struct Range
{
    int first = 0;
    int last = 0;
};

// For each level, the buckets that hold exactly the values above value.
std::array<Range, count_levels> above_ranges(int value);

// One change to one count.
struct Delta
{
    int level = 0;
    int bucket = 0;
    int change = 0;
};

// The changes when a player's best goes from old_best to new_best; 0 stands
// for "not counted" (a new player, or one taken away). Levels where both fall
// in the same bucket are left out.
std::vector<Delta> moves(int old_best, int new_best);

// The most changes one move makes: one out and one in at every level.
constexpr int most_moves = 2 * count_levels;

} // namespace value_counts
