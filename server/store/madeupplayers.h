// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "rating/submission.h"

#include <random>
#include <vector>

// Players numbered first .. first + count - 1, made up for seeding a database:
// "Player N", nine in ten in one of 3000 towns of very different sizes, three
// in five in the men's rating, values shaped like real play (most near a
// typical power, a long tail of hard shakers). The same generator state gives
// the same players.
std::vector<Submission> made_up_players(int first, int count, std::mt19937 &random);
