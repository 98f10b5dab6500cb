// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/display.h"

#include "game/gamestate.h"

DisplayChange display_changed(GameState &state, const QString &display)
{
    if (display == QLatin1String("on")) {
        const bool was_off = state.display_on == 0;
        state.display_on = 1;
        return was_off ? DisplayChange::Resume : DisplayChange::None;
    }
    if (display == QLatin1String("off")) {
        const bool was_on = state.display_on == 1;
        state.display_on = 0;
        return was_on ? DisplayChange::Pause : DisplayChange::None;
    }
    return DisplayChange::None;
}
