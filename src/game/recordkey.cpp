// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/recordkey.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <cstdlib>

namespace {

// Stands in for the draw's third digit when it has none, or when it repeats the first.
constexpr char fallback_third_digit = '2';
// The span between first and third digit scales the mirrored three-digit numbers' gap.
constexpr int mirror_gap_per_digit = 99;
constexpr int possible_spans = 10;

QString square_text_for_span(int span)
{
    const int gap = mirror_gap_per_digit * span;
    return QString::number(gap * gap);
}

QString key_for_span(const QString &key_text, int span)
{
    return md5_hex(key_text + md5_hex(square_text_for_span(span)));
}

} // namespace

QString md5_hex(const QString &text)
{
    const QByteArray digest = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex());
}

int key_digit_span(int draw)
{
    // The number c0 c1 c2 and its mirror c2 c1 c0 differ by 99·|c0 − c2|; the middle
    // digit cancels, so only the first and third characters matter.
    const QByteArray digits = QByteArray::number(draw);
    const char first = digits.at(0);
    char third = fallback_third_digit;
    if (digits.size() >= 3 && digits.at(2) != first)
        third = digits.at(2);
    return std::abs(first - third);
}

QString key_square_text(int draw)
{
    return square_text_for_span(key_digit_span(draw));
}

QString make_key_from_draw(const QString &text, int draw)
{
    return text + md5_hex(key_square_text(draw));
}

QString make_key(const QString &text)
{
    return make_key_from_draw(text, std::rand());
}

QStringList candidate_keys(const QString &key_text)
{
    QStringList keys;
    keys.reserve(possible_spans);
    for (int span = 0; span < possible_spans; ++span)
        keys.append(key_for_span(key_text, span));
    return keys;
}

bool key_is_genuine(const QString &key, const QString &key_text)
{
    return candidate_keys(key_text).contains(key, Qt::CaseSensitive);
}
