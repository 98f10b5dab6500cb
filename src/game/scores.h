// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct GameState;

// The key text of a record and a score: "record-record-score-score".
QString key_text(int your_top, int current_top);

// Keeps the power as the score (and as the record when it beats it) and
// makes a fresh record key. Returns true when the record was beaten.
bool keep_score(GameState &state);

// Empties the shake window and zeroes time, power and score; the record
// and the filter's slot stay.
void reset_game(GameState &state);
