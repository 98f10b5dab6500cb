// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/recordkey.h"
// PLACEHOLDER: to be implemented
QString md5_hex(const QString &) { return {}; }
int key_digit_span(int) { return 0; }
QString key_square_text(int) { return {}; }
QString make_key_from_draw(const QString &t, int) { return t; }
QString make_key(const QString &t) { return t; }
QStringList candidate_keys(const QString &) { return {}; }
bool key_is_genuine(const QString &, const QString &) { return false; }
