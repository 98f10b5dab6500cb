// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/reply.h"

#include <QCoreApplication>

namespace {

// The game keeps this size and shows nothing with it.
constexpr int font_size = 18;

QString tr(const char *text)
{
    return QCoreApplication::translate("Reply", text);
}

// Character data: "&" and "<" always, ">" too so that "]]>" never appears.
QString xml_text(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            out += QLatin1String("&amp;");
        else if (c == u'<')
            out += QLatin1String("&lt;");
        else if (c == u'>')
            out += QLatin1String("&gt;");
        else
            out += c;
    }
    return out;
}

void add_element(QString &document, QLatin1String name, const QString &content)
{
    document += QLatin1Char('<') + name + QLatin1Char('>') + xml_text(content) +
                QLatin1String("</") + name + QLatin1Char('>');
}

Reply refusal(int status, const QString &message)
{
    Reply reply;
    reply.status = status;
    reply.message = message;
    return reply;
}

} // namespace

QString ordinal(int place)
{
    const int last_two = place % 100;
    const int last = place % 10;
    const char *suffix = "th";
    if (last_two < 11 || last_two > 13) {
        if (last == 1)
            suffix = "st";
        else if (last == 2)
            suffix = "nd";
        else if (last == 3)
            suffix = "rd";
    }
    return QString::number(place) + QLatin1String(suffix);
}

QString player_link(const QString &public_url, Rating rating, qint64 player_id)
{
    return public_url + QStringLiteral("rating/") + rating_letter(rating) +
           QStringLiteral("?player=") + QString::number(player_id);
}

Reply accepted_reply(const Standing &standing, const QString &public_url)
{
    Reply reply;
    reply.world_top = QString::number(standing.world_place);
    if (standing.local_place > 0)
        reply.local_top = QString::number(standing.local_place);
    // The game shows the message whole on its link button, one line of
    // about 30 characters: the places stand in their own labels.
    reply.message = (standing.improved ? tr("You are %1 in the world!") : tr("Your best stays %1!"))
                        .arg(ordinal(standing.world_place));
    reply.hiperlink = player_link(public_url, standing.rating, standing.player_id);
    return reply;
}

Reply rejected_reply(Rejection why)
{
    switch (why) {
    case Rejection::unreadable:
        return refusal(400, tr("Submission not readable"));
    case Rejection::incomplete:
        return refusal(400, tr("Submission incomplete"));
    case Rejection::unknown_rating:
        return refusal(422, tr("Choose men or women"));
    case Rejection::no_choice:
        return refusal(422, tr("choose record or score"));
    case Rejection::empty_name:
        return refusal(422, tr("Enter your name"));
    case Rejection::name_too_long:
        return refusal(422, tr("Name: 64 characters at most"));
    case Rejection::location_too_long:
        return refusal(422, tr("Location: 64 characters at most"));
    case Rejection::no_score_kept:
        return refusal(422, tr("Tap the counter to keep a score"));
    case Rejection::key_mismatch:
        return refusal(422, tr("Record and key do not match"));
    case Rejection::no_value:
        return refusal(422, tr("Shake first: 0 does not count"));
    case Rejection::value_too_high:
        return refusal(422, tr("No phone shakes that hard"));
    }
    return refusal(400, tr("Submission not readable"));
}

Reply unavailable_reply()
{
    return refusal(503, tr("Rating busy, try again later"));
}

Reply too_large_reply()
{
    return refusal(413, tr("Submission too large"));
}

Reply bad_request_reply()
{
    return refusal(400, tr("Submission not readable"));
}

QByteArray reply_document(const Reply &reply)
{
    QString document = QStringLiteral("<rating>");
    add_element(document, QLatin1String("local_top"), reply.local_top);
    add_element(document, QLatin1String("world_top"), reply.world_top);
    add_element(document, QLatin1String("message"), reply.message);
    add_element(document, QLatin1String("hiperlink"), reply.hiperlink);
    add_element(document, QLatin1String("fsize"), QString::number(font_size));
    document += QLatin1String("</rating>");
    return document.toUtf8();
}
