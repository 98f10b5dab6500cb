// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "game/gamestate.h"

#include <QString>

// What the save loop keeps in a round: the round as record and score, and a
// name whose length changes from round to round, so that a document cut short
// or mixed with another one cannot pass for a whole one.
inline QString save_loop_name(int round)
{
    return QStringLiteral("Player ") + QString(round % 64, QLatin1Char('x'));
}
