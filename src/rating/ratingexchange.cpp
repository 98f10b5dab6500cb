// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/ratingexchange.h"

#include "constants.h"
#include "game/gamestate.h"

#include <QFile>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

// Whole number of a reply element. QString::toInt in base 10 is the rule
// exactly: an optional sign straight before ASCII digits, white space
// around them, within 32 bits; anything else fails and gives 0.
int reply_number(const QString &text)
{
    return text.toInt(nullptr, 10);
}

QByteArray up_to_nul(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.left(nul);
}

} // namespace

QByteArray request_body(const QString &save_path)
{
    QByteArray body = QByteArrayLiteral("xml=");
    QFile file(save_path);
    if (!file.open(QIODevice::ReadOnly))
        return body;
    // The rating server expects the file's raw bytes behind "xml=": no
    // percent-encoding, so "+", "&" and UTF-8 arrive as the file holds them.
    body += up_to_nul(file.read(quiverbolt::request_file_limit));
    return body;
}

ReplyShown apply_reply(const QByteArray &body, GameState &state)
{
    ReplyShown shown;
    shown.local_text = QStringLiteral("-");
    shown.world_text = QStringLiteral("-");

    // Handing the reader a string fixes the encoding to the UTF-8 decoded
    // here, whatever the reply's XML declaration says.
    QXmlStreamReader reader(QString::fromUtf8(up_to_nul(body)));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringRef name = reader.name();
        const bool wanted = name == QLatin1String("local_top") ||
                            name == QLatin1String("world_top") ||
                            name == QLatin1String("message") ||
                            name == QLatin1String("hiperlink") || name == QLatin1String("fsize");
        if (!wanted)
            continue;
        const QString element = name.toString();
        const QString text = reader.readElementText();
        // A read that ran into a child element or the reply's end gives no
        // value: the field keeps what it had and reading stops here.
        if (reader.hasError())
            break;
        if (element == QLatin1String("local_top")) {
            state.local_top = reply_number(text);
            shown.local_text = text;
        } else if (element == QLatin1String("world_top")) {
            state.world_top = reply_number(text);
            shown.world_text = text;
        } else if (element == QLatin1String("message")) {
            state.message = text;
        } else if (element == QLatin1String("hiperlink")) {
            state.hiperlink = text;
        } else {
            state.fsize = reply_number(text);
        }
    }

    shown.show_local = state.local_top > 0;
    shown.show_world = state.world_top > 0;
    return shown;
}

bool is_openable_link(const QUrl &url)
{
    // Only web pages: a reply must not make the phone open local files or
    // run scripts. QUrl keeps schemes in lower case.
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}
