// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/places.h"

void assign_places(Listing &listing)
{
    std::vector<PlayerRecord> &rows = listing.rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i == 0)
            rows[i].place = int(listing.above_first + 1);
        else if (rows[i].best == rows[i - 1].best)
            rows[i].place = rows[i - 1].place;
        else
            rows[i].place = int(listing.ahead_of_first + qint64(i) + 1);
    }
}
