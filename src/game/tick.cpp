// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/tick.h"
#include "game/gamestate.h"
// PLACEHOLDER: to be implemented
TickShown advance_tick(GameState &) { return {QString(), QString(), false}; }
