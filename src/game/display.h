// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct GameState;

// What the window does with its sensor and clock after a display report.
enum class DisplayChange {
    None,   // keep them as they are
    Pause,  // stop the sensor and the tick
    Resume, // start the sensor and the tick again
};

// Follows MCE's display report ("on", "off"; anything else is ignored) in
// state.display_on. The game pauses when a display that was on goes off and
// resumes when one that was off comes on; a repeated report changes nothing.
DisplayChange display_changed(GameState &state, const QString &display);
