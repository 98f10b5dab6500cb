// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/tick.h"

#include "constants.h"
#include "game/gamestate.h"

#include <cmath>

TickShown advance_tick(GameState &state)
{
    const double elapsed = state.sec + quiverbolt::tick_seconds;

    int slot = state.tick_slot + 1;
    if (slot >= GameState::slot_count)
        slot = 0;
    state.tick_slot = slot;
    state.sec = elapsed;

    // After a restart made while the filter was on slot 1 the two already agree;
    // that slot then keeps what the filter put into it since the restart.
    if (state.filter_slot != state.tick_slot) {
        state.filter_slot = state.tick_slot;
        state.shake_window[state.tick_slot] = 0.0f;
    }

    float sum = 0.0f;
    for (const float intensities : state.shake_window)
        sum += intensities;
    state.power = static_cast<int>(std::floor(sum));

    // Truncated, so the label may lag: ten ticks add up to just under 2 seconds.
    return TickShown{QString::number(static_cast<int>(elapsed)) + QStringLiteral(" sec."),
                     QString::number(state.power), state.power > 0};
}
