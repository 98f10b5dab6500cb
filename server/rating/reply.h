// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "rating/submission.h"

#include <QByteArray>
#include <QString>

// Where a player stands after a submission was stored.
struct Standing
{
    qint64 player_id = 0;
    Rating rating = Rating::men;
    int best = 0;          // the player's best value, this submission included
    int world_place = 0;   // 1 + players of the rating with a higher best
    int local_place = 0;   // the same within the player's location; 0 when they gave none
    bool improved = false; // this submission set the best (a first one always does)
};

// What the game shows of a reply, and the status it comes with.
struct Reply
{
    int status = 200;
    QString local_top = QStringLiteral("-");
    QString world_top = QStringLiteral("-");
    QString message;
    QString hiperlink;
};

// English ordinal of a place: 1st, 2nd, 3rd, 4th, 11th, 12th, 13th, 21st.
QString ordinal(int place);

// The reply to a stored submission. public_url ends with "/".
Reply accepted_reply(const Standing &standing, const QString &public_url);

// The reply to a submission that broke a rule: "-" places, the reason as
// message, 400 for a body that is no save document, 422 for a broken rule.
Reply rejected_reply(Rejection why);

// The reply when the submission could not be stored (503).
Reply unavailable_reply();

// The reply to a body larger than any save document (413).
Reply too_large_reply();

// The reply to a request that is not HTTP the server understands (400).
Reply bad_request_reply();

// The link to the player's row on the rating page.
QString player_link(const QString &public_url, Rating rating, qint64 player_id);

// The reply document the game reads, its texts escaped for XML:
// <rating><local_top>…</local_top><world_top>…</world_top><message>…</message>
// <hiperlink>…</hiperlink><fsize>18</fsize></rating>, in UTF-8.
QByteArray reply_document(const Reply &reply);
