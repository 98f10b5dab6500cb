// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "storage/savefile.h"
#include "game/gamestate.h"
// PLACEHOLDER: to be implemented
QString save_file_path() { return {}; }
QByteArray save_document(const GameState &) { return {}; }
QByteArray first_run_document() { return {}; }
bool write_save_file(const QString &, const QByteArray &) { return false; }
LoadedSave read_save(QIODevice *, GameState &) { return {}; }
