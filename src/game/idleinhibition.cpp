// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/idleinhibition.h"

IdleInhibitStep idle_inhibit_step(bool mce_present, bool display_on, int power, bool held)
{
    const bool wanted = !mce_present && display_on && power > 0;
    if (wanted && !held)
        return IdleInhibitStep::take;
    if (!wanted && held)
        return IdleInhibitStep::give_back;
    return IdleInhibitStep::keep;
}
