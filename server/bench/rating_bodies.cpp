// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Writes genuine submission bodies for the rating server's benchmark, one a
// line: a mix of new players, better values and lower values for the players
// that `quiverbolt-rating seed --players N` made.
//
//   rating_bodies SEEDED COUNT > bodies.txt

#include "game/gamestate.h"
#include "game/recordkey.h"
#include "game/scores.h"
#include "storage/savefile.h"
#include "store/madeupplayers.h"

#include <QCoreApplication>

#include <cstdio>
#include <random>

namespace {

QByteArray body_for(const Submission &player, int value)
{
    GameState state;
    state.name = player.name;
    state.location = player.location;
    state.sex = rating_letter(player.rating);
    state.tosend = 1;
    state.your_top = value;
    state.current_top = 1;
    state.key = md5_hex(make_key(key_text(state.your_top, state.current_top)));
    state.num = 1;
    return QByteArrayLiteral("xml=") + save_document(state);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool seeded_ok = false;
    bool count_ok = false;
    const int seeded = arguments.value(1).toInt(&seeded_ok);
    const int count = arguments.value(2).toInt(&count_ok);
    if (!seeded_ok || !count_ok || seeded < 1 || count < 1) {
        std::fprintf(stderr, "usage: rating_bodies SEEDED COUNT > bodies.txt\n");
        return 2;
    }

    // The very players the seed command made: same generator, one call.
    std::mt19937 seed_random(1);
    const std::vector<Submission> players = made_up_players(seeded, seed_random);

    std::mt19937 random(2);
    std::uniform_int_distribution<int> pick(0, seeded - 1);
    std::mt19937 newcomer_random(3);
    for (int k = 0; k < count; ++k) {
        QByteArray body;
        switch (k % 3) {
        case 0: { // a new player
            Submission newcomer = made_up_players(1, newcomer_random).front();
            newcomer.name = QStringLiteral("Newcomer %1").arg(k);
            body = body_for(newcomer, newcomer.value);
            break;
        }
        case 1: { // a better value
            const Submission &player = players[static_cast<std::size_t>(pick(random))];
            body = body_for(player, std::min(player.value + 1 + k, value_limit));
            break;
        }
        default: // a lower value
            body = body_for(players[static_cast<std::size_t>(pick(random))], 1);
            break;
        }
        std::fwrite(body.constData(), 1, static_cast<std::size_t>(body.size()), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
