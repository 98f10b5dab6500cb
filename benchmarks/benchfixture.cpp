// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "benchfixture.h"

#include "game/gamestate.h"
#include "support/genuinekey.h"
#include "storage/savefile.h"

#include <QDir>

GameState typical_state()
{
    GameState state;
    state.name = QStringLiteral("Anna Virtanen");
    state.location = QStringLiteral("Helsinki");
    state.your_top = 412;
    state.current_top = 377;
    state.key = genuine_key(state.your_top, state.current_top);
    state.local_top = 5;
    state.world_top = 120;
    state.message = QStringLiteral("Great shaking! You are 5th in Helsinki & 120th in the world.");
    state.hiperlink = QStringLiteral("http://localhost:8390/rating/anna");
    state.fsize = 18;
    state.num = 1;
    state.sec = 42.6;
    return state;
}

QByteArray typical_reply()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<rating>\n"
        "  <local_top>5</local_top>\n"
        "  <world_top>120</world_top>\n"
        "  <message>Great shaking! You are 5th in Helsinki &amp; 120th in the world.</message>\n"
        "  <hiperlink>http://localhost:8390/rating/anna</hiperlink>\n"
        "  <fsize>18</fsize>\n"
        "</rating>\n");
}

QuietWindowEnvironment::QuietWindowEnvironment()
{
    // Qt connects the system bus once per process: pointed at a socket that
    // does not exist, the window finds no MCE and every call fails at once.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS",
            (QStringLiteral("unix:path=") + home.home() + QStringLiteral("/no_bus")).toLocal8Bit());
    qputenv("QT_SENSORS_LOAD_PLUGINS", "0");
    qputenv("XDG_RUNTIME_DIR", home.home().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ready = QDir(home.documents()).exists() &&
            write_save_file(home.save_path(), save_document(typical_state()));
}
