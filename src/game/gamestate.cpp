// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/gamestate.h"

GameState &game_state()
{
    static GameState state;
    return state;
}
