// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A record key that the game accepts for a record and a score, worked out
// here from first principles rather than by the game's own code: the MD5 of
// "record-record-score-score" followed by the MD5 of (99 * span)², in hex.
// span 1 is what the C library's first draw gives.
QString genuine_key(int record, int score, int span = 1);
