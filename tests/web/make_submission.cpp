// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// make_submission SEX NAME LOCATION VALUE: writes to stdout the body that the
// game posts for a player who kept VALUE as record and score and submits the
// record: "xml=" followed by the save document, with a genuine record key.

#include "game/gamestate.h"
#include "game/recordkey.h"
#include "game/scores.h"
#include "storage/savefile.h"

#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The arguments are UTF-8 whatever the locale says.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromUtf8(argv[i]);
    bool ok = false;
    const int value = arguments.value(4).toInt(&ok);
    if (arguments.size() != 5 || !ok) {
        std::fputs("usage: make_submission SEX NAME LOCATION VALUE\n", stderr);
        return 2;
    }
    GameState state;
    state.sex = arguments[1];
    state.name = arguments[2];
    state.location = arguments[3];
    state.your_top = value;
    state.current_top = value;
    state.key = md5_hex(make_key(key_text(state.your_top, state.current_top)));
    state.tosend = 1;
    const QByteArray body = QByteArrayLiteral("xml=") + save_document(state);
    std::fwrite(body.constData(), 1, static_cast<std::size_t>(body.size()), stdout);
    return 0;
}
