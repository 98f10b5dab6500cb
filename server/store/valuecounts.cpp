// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/valuecounts.h"

namespace value_counts {

std::array<Range, count_levels> above_ranges(int value)
{
    std::array<Range, count_levels> ranges;
    for (int level = 0; level < count_levels; ++level) {
        const int own = bucket(level, value);
        // The later siblings under the same parent; at the top, all later buckets.
        const int last =
            level + 1 < count_levels ? (own | (bucket_span - 1)) : bucket(level, top_value);
        ranges[static_cast<std::size_t>(level)] = Range{own + 1, last};
    }
    return ranges;
}

std::vector<Delta> moves(int old_best, int new_best)
{
    std::vector<Delta> deltas;
    deltas.reserve(2 * count_levels);
    for (int level = 0; level < count_levels; ++level) {
        const int from = bucket(level, old_best);
        const int to = bucket(level, new_best);
        if (old_best > 0 && new_best > 0 && from == to)
            continue;
        if (old_best > 0)
            deltas.push_back(Delta{level, from, -1});
        if (new_best > 0)
            deltas.push_back(Delta{level, to, +1});
    }
    return deltas;
}

} // namespace value_counts
