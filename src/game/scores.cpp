// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/scores.h"

#include "game/gamestate.h"
#include "game/recordkey.h"

#include <QStringList>

QString key_text(int your_top, int current_top)
{
    const QString record = QString::number(your_top);
    const QString score = QString::number(current_top);
    return QStringList{record, record, score, score}.join(QLatin1Char('-'));
}

bool keep_score(GameState &state)
{
    state.current_top = state.power;
    const bool beaten = state.your_top < state.current_top;
    if (beaten)
        state.your_top = state.current_top;
    state.key = md5_hex(make_key(key_text(state.your_top, state.current_top)));
    return beaten;
}

void reset_game(GameState &state)
{
    // filter_slot is left to the next tick; readings until then still land in it.
    state.tick_slot = 0;
    state.current_top = 0;
    state.power = 0;
    state.sec = 0.0;
    state.shake_window.fill(0.0f);
}
