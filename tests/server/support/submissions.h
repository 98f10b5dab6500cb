// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "game/gamestate.h"

#include <QByteArray>
#include <QString>

// A save document as the game writes it after the player kept a score and
// answered the Submit dialog, with a genuine record key.
struct Player
{
    QString name = QStringLiteral("Anna");
    QString location = QStringLiteral("Oulu");
    QString sex = QStringLiteral("m");
    int tosend = 1;
    int record = 500;
    int score = 300;
    QString message; // the last reply's message, which the game saves and sends along
};
QByteArray genuine_document(const Player &player);
// "xml=" and the document, as the game posts it.
QByteArray genuine_body(const Player &player);

// A reply read as the game reads it.
struct GameView
{
    QString local_text; // what the local_top label would be given
    QString world_text;
    QString message;
    QString link;
    qint64 player_id = 0; // from the link's "player=" parameter, 0 when none
};
GameView read_as_game(const QByteArray &reply_body);
