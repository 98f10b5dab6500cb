// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/ratingexchange.h"
#include "game/gamestate.h"
#include <QUrl>
// PLACEHOLDER: to be implemented
QByteArray request_body(const QString &) { return QByteArrayLiteral("xml="); }
ReplyShown apply_reply(const QByteArray &, GameState &) { return {}; }
bool is_openable_link(const QUrl &) { return false; }
