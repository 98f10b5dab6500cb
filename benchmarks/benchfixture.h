// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "support/testhome.h"

#include <QByteArray>

struct GameState;

// A player who has kept scores, submitted once and had a reply: what a
// save file usually holds after a few games. The key fits the scores.
GameState typical_state();

// The reply a rating server typically sends.
QByteArray typical_reply();

// Sets up the process so that a main window comes up without asking
// anything and without outside services: a private home holding an accepted
// save file, no system bus, no sensor plugins, the offscreen platform.
// Create it first in main(), before the QApplication.
class QuietWindowEnvironment
{
public:
    QuietWindowEnvironment();
    bool is_ready() const { return ready; }

private:
    TestHome home;
    bool ready = false;
};
