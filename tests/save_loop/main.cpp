// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Saves the game over and over, as taps on the counter do, until it is killed.
// Prints the save file's path, then "saving" once the first save is done.
#include "game/gamestate.h"
#include "game/scores.h"
#include "save_loop/saveloop.h"
#include "storage/savefile.h"

#include <cstdio>

int main()
{
    const QString path = save_file_path();
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
    GameState &state = game_state();
    for (int round = 1;; ++round) {
        state.power = round;
        state.name = save_loop_name(round);
        keep_score(state);
        if (!write_save_file(path, save_document(state))) {
            std::printf("save failed\n");
            return 1;
        }
        if (round == 1) {
            std::printf("saving\n");
            std::fflush(stdout);
        }
    }
}
