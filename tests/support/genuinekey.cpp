// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/genuinekey.h"

#include <QCryptographicHash>

namespace {

QByteArray md5_hex_of(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

} // namespace

QString genuine_key(int record, int score, int span)
{
    const QByteArray r = QByteArray::number(record);
    const QByteArray s = QByteArray::number(score);
    const QByteArray text = r + '-' + r + '-' + s + '-' + s;
    const QByteArray salt = md5_hex_of(QByteArray::number(99 * span * 99 * span));
    return QString::fromLatin1(md5_hex_of(text + salt));
}
