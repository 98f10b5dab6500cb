// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A JSON string literal, quotes included: " and \ escaped, control
// characters, U+2028 and U+2029 as \uXXXX, and < > & too, so that the text
// stays inert even inside a page. A lone surrogate becomes U+FFFD.
QString json_string(const QString &text);

// One JSON object, written member by member; values are escaped as they go in.
class JsonObject
{
public:
    JsonObject &add(const char *name, const QString &text);
    JsonObject &add(const char *name, qint64 number);
    JsonObject &add_null(const char *name);
    // A value that is already JSON: an object or array made here.
    JsonObject &add_json(const char *name, const QString &json);
    QString text() const { return body + QLatin1Char('}'); }

private:
    void add_name(const char *name);

    QString body = QStringLiteral("{");
};
