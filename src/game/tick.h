// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct GameState;

// What one tick asks the window to show and do.
struct TickShown
{
    QString time_text;  // whole elapsed seconds followed by " sec."
    QString power_text; // the power in decimal
    bool keep_unlocked; // power above zero: ask MCE to keep the touch-screen lock off
};

// One tick of the power meter: opens the next slot, adds 0.2 s and sums
// the last ten seconds into the power.
TickShown advance_tick(GameState &state);
