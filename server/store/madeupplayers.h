// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "rating/submission.h"

#include <random>
#include <vector>

// count made-up players, as a busy rating would hold them, for benchmarks and
// trials: no two the same player. Values follow the powers that real shaking
// gives, with a long tail of hard shakers; names are first names with a
// surname, an initial or a player's handle; a few thousand towns of very
// different sizes (a town's share falls with its rank, as city sizes do), and
// some players give none. The same generator state gives the same players.
std::vector<Submission> made_up_players(int count, std::mt19937 &random);
