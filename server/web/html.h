// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// Markup that is safe to send: built only from literals written in this
// program and from the escape functions below, so text from a player can
// never reach a page unescaped. A QString does not convert to Html.
class Html
{
public:
    Html() = default;
    // A literal of the program's own markup.
    template <std::size_t N>
    Html(const char (&literal)[N]) : markup(QString::fromUtf8(literal, int(N) - 1))
    {}

    Html &operator+=(const Html &other)
    {
        markup += other.markup;
        return *this;
    }
    friend Html operator+(Html a, const Html &b) { return a += b; }

    const QString &text() const { return markup; }
    QByteArray utf8() const { return markup.toUtf8(); }

private:
    friend Html html_text(const QString &text);
    friend Html html_number(qint64 number);
    friend Html attribute(const char *name, const QString &value);
    struct Escaped
    {};
    Html(Escaped, QString escaped) : markup(std::move(escaped)) {}

    QString markup;
};

// Text between tags: & < > " ' become character references.
Html html_text(const QString &text);

// A number as text.
Html html_number(qint64 number);

// ` name="value"`, the value escaped for a double-quoted attribute. name is
// the program's own attribute name, never input.
Html attribute(const char *name, const QString &value);

// One query value or path segment: every byte of its UTF-8 but letters,
// digits and "-._~" as %XX.
QString url_component(const QString &text);

// Decodes one query value: "+" is a space, %XX a byte; the bytes are read as
// UTF-8, a broken sequence as U+FFFD.
QString url_decode(const QByteArray &text);
