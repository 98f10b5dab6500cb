// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// MD5 of the text's UTF-8 bytes as 32 lower-case hexadecimal digits.
QString md5_hex(const QString &text);

// |c0 - c2| for a draw of rand(): c0 its first decimal digit, c2 its third
// digit, or 2 when it has none or the third repeats the first. 0..9.
int key_digit_span(int draw);

// The salt digest's source text for a draw: the decimal text of (99·span)².
QString key_square_text(int draw);

// text followed by md5_hex of the square text of the given draw.
QString make_key_from_draw(const QString &text, int draw);

// text followed by md5_hex of the square text of one rand() draw. The
// generator is never seeded, so every run follows the C library's sequence.
QString make_key(const QString &text);

// The ten record keys that make_key followed by md5_hex can give for a key text.
QStringList candidate_keys(const QString &key_text);

// True when key is one of the candidates, compared character for character.
bool key_is_genuine(const QString &key, const QString &key_text);
