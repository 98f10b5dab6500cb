// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/madeupplayers.h"

#include <algorithm>
#include <cmath>

std::vector<Submission> made_up_players(int first, int count, std::mt19937 &random)
{
    std::lognormal_distribution<double> power(std::log(900.0), 0.6);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Submission> players;
    players.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = first; i < first + count; ++i) {
        Submission player;
        player.rating = unit(random) < 0.6 ? Rating::men : Rating::women;
        player.name = QStringLiteral("Player %1").arg(i);
        const double u = unit(random);
        if (u >= 0.1)
            player.location = QStringLiteral("Town %1").arg(int(std::pow(u, 4) * 3000));
        player.name_key = identity_key(player.name);
        player.location_key = identity_key(player.location);
        player.value = std::clamp(int(power(random)), 1, value_limit);
        players.push_back(player);
    }
    return players;
}
