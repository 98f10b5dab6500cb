// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "web/json.h"

namespace {

void add_unicode_escape(QString &out, char16_t unit)
{
    static const char hex[] = "0123456789abcdef";
    out += QLatin1String("\\u");
    for (int shift = 12; shift >= 0; shift -= 4)
        out += QLatin1Char(hex[(unit >> shift) & 15]);
}

} // namespace

QString json_string(const QString &text)
{
    QString out = QStringLiteral("\"");
    out.reserve(text.size() + 2);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t unit = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate()) {
            add_unicode_escape(out, 0xFFFD);
        } else if (unit == u'"') {
            out += QLatin1String("\\\"");
        } else if (unit == u'\\') {
            out += QLatin1String("\\\\");
        } else if (unit == u'\n') {
            out += QLatin1String("\\n");
        } else if (unit == u'\t') {
            out += QLatin1String("\\t");
        } else if (unit < 0x20 || unit == 0x7f || unit == u'<' || unit == u'>' || unit == u'&' ||
                   unit == 0x2028 || unit == 0x2029) {
            add_unicode_escape(out, unit);
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

void JsonObject::add_name(const char *name)
{
    if (body.size() > 1)
        body += QLatin1Char(',');
    body += json_string(QLatin1String(name));
    body += QLatin1Char(':');
}

JsonObject &JsonObject::add(const char *name, const QString &text)
{
    add_name(name);
    body += json_string(text);
    return *this;
}

JsonObject &JsonObject::add(const char *name, qint64 number)
{
    add_name(name);
    body += QString::number(number);
    return *this;
}

JsonObject &JsonObject::add_null(const char *name)
{
    add_name(name);
    body += QLatin1String("null");
    return *this;
}

JsonObject &JsonObject::add_json(const char *name, const QString &json)
{
    add_name(name);
    body += json;
    return *this;
}
