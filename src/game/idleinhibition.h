// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

// What to do with the desktop's idle inhibition, which keeps the screen from
// blanking and locking while the player shakes.
enum class IdleInhibitStep {
    keep,     // leave things as they are
    take,     // ask the desktop for an inhibition
    give_back // release the one held
};

// Where MCE runs, the game asks MCE instead and never holds an inhibition.
// Elsewhere one inhibition is held for as long as the power is above zero
// and the display is on.
IdleInhibitStep idle_inhibit_step(bool mce_present, bool display_on, int power, bool held);
