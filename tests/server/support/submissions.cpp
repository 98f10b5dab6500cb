// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/submissions.h"

#include "rating/ratingexchange.h"
#include "storage/savefile.h"
#include "support/genuinekey.h"

#include <QUrl>
#include <QUrlQuery>

QByteArray genuine_document(const Player &player)
{
    GameState state;
    state.name = player.name;
    state.location = player.location;
    state.sex = player.sex;
    state.tosend = player.tosend;
    state.your_top = player.record;
    state.current_top = player.score;
    state.key = genuine_key(player.record, player.score);
    state.message = player.message;
    state.num = 1;
    return save_document(state);
}

QByteArray genuine_body(const Player &player)
{
    return QByteArrayLiteral("xml=") + genuine_document(player);
}

GameView read_as_game(const QByteArray &reply_body)
{
    GameState state;
    const ReplyShown shown = apply_reply(reply_body, state);
    GameView view;
    view.local_text = shown.local_text;
    view.world_text = shown.world_text;
    view.message = state.message;
    view.link = state.hiperlink;
    view.player_id =
        QUrlQuery(QUrl(state.hiperlink)).queryItemValue(QStringLiteral("player")).toLongLong();
    return view;
}
