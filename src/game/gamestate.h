// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <array>

// Everything the game knows, in one record for the whole process.
// Fields are read and written directly; the start values below are those
// before the save file is loaded.
struct GameState
{
    static constexpr int slot_count = 51;

    // Shake measurement.
    std::array<float, slot_count> shake_window{}; // intensities summed per tick period
    int tick_slot = 0;                            // slot advanced by every tick, 0..50
    int filter_slot = 0;                          // slot the filter adds into, 0..50
    int power = 0;                                // floor of the window's sum, shown on the counter
    double sec = 0.0;                             // elapsed game time, 0.2 s per tick
    float reading_x = 0.0f;                       // last reading as the filter passed it on
    float reading_y = 0.0f;
    float reading_z = 0.0f;
    int intensity = 0; // whole m/s² of the last reading, after damping

    // Scores and rating.
    int current_top = 0; // the score kept by the last tap
    int your_top = 0;    // the record
    QString key;         // record key for (your_top, current_top)
    int local_top = -1;  // local rating place; -1 until the server reports one
    int world_top = -1;  // world rating place; -1 until the server reports one
    QString message;     // the server's last message
    QString hiperlink;   // the server's last link
    int fsize = 20;      // size value from the server, only stored
    int num = 0;         // submissions made in this run
    float alt = 0.0f;    // always 0, written to the save file

    // The player's answers in the Submit dialog.
    QString name;
    QString location;
    QString sex = QStringLiteral("m"); // "m" men's rating, "w" women's
    int tosend = 1;                    // 1 record, 2 score, 0 neither

    // 1 after MCE reported the display on, 0 after off or before any report.
    int display_on = 0;
};

// The one game state of the process.
GameState &game_state();
