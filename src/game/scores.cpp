// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/scores.h"
#include "game/gamestate.h"
// PLACEHOLDER: to be implemented
QString key_text(int, int) { return {}; }
bool keep_score(GameState &) { return false; }
void reset_game(GameState &) {}
