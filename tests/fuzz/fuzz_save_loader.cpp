// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Feeds any bytes to the save file loader as the file's content, and checks that
// what it keeps survives the next save and load.
#include "game/gamestate.h"
#include "game/recordkey.h"
#include "game/scores.h"
#include "storage/savefile.h"

#include "fuzzcheck.h"

#include <QBuffer>

#include <cstdint>

namespace {

LoadedSave load(QByteArray bytes, GameState &state)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return read_save(&buffer, state);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    GameState state;
    const LoadedSave loaded =
        load(QByteArray(reinterpret_cast<const char *>(data), int(size)), state);

    if (loaded.key_rejected) {
        check(state.your_top == 0 && state.current_top == 0, "rejected tops are not zero");
        check(loaded.record_text == QLatin1String("-") && loaded.score_text == QLatin1String("-"),
              "rejected tops are not shown as -");
        return 0;
    }
    check(key_is_genuine(state.key, key_text(state.your_top, state.current_top)),
          "tops kept without a genuine key");

    // A record that passed the key check passes it again after the game saves it.
    GameState again;
    const LoadedSave reloaded = load(save_document(state), again);
    check(!reloaded.key_rejected, "saved record rejected at the next start");
    check(again.your_top == state.your_top && again.current_top == state.current_top,
          "saved tops changed");
    check(again.key == state.key, "saved key changed");
    check(again.name == as_read_back(state.name) &&
              again.location == as_read_back(state.location) &&
              again.sex == as_read_back(state.sex) && again.message == as_read_back(state.message),
          "saved texts changed");
    check(again.tosend == state.tosend && again.local_top == state.local_top &&
              again.world_top == state.world_top,
          "saved numbers changed");
    return 0;
}
