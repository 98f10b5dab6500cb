// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Feeds any bytes to the rating reply reader as a reply body, and checks that
// what it stores comes back from the save file at the next start.
#include "game/gamestate.h"
#include "rating/ratingexchange.h"
#include "storage/savefile.h"

#include "fuzzcheck.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    GameState state;
    state.local_top = 3;
    state.world_top = 40;
    state.message = QStringLiteral("old message");
    const ReplyShown shown =
        apply_reply(QByteArray(reinterpret_cast<const char *>(data), int(size)), state);
    check(shown.show_local == (state.local_top > 0) && shown.show_world == (state.world_top > 0),
          "labels shown for places not above 0");

    QByteArray saved = save_document(state);
    QBuffer buffer(&saved);
    buffer.open(QIODevice::ReadOnly);
    GameState again;
    read_save(&buffer, again);
    check(again.local_top == state.local_top && again.world_top == state.world_top,
          "places changed through the save file");
    check(again.message == as_read_back(state.message), "message changed through the save file");
    return 0;
}
