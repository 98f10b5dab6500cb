// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// One escape per place a text lands: HTML text, attribute, URL, JSON and a
// metrics label; and the query decoding that reads links back.

#include "routes/metrics.h"
#include "web/html.h"
#include "web/json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestWebEscape : public QObject
{
    Q_OBJECT

private slots:
    void html_text_shows_markup_as_text_data();
    void html_text_shows_markup_as_text();
    void attribute_value_cannot_leave_its_quotes_data();
    void attribute_value_cannot_leave_its_quotes();
    void url_component_keeps_only_unreserved_bytes_data();
    void url_component_keeps_only_unreserved_bytes();
    void url_decode_reads_back_what_links_and_forms_carry_data();
    void url_decode_reads_back_what_links_and_forms_carry();
    void json_string_is_one_inert_literal_data();
    void json_string_is_one_inert_literal();
    void json_object_escapes_its_members();
    void metrics_label_escapes_quotes_and_breaks();
    void metrics_paths_are_the_servers_own();
};

void TestWebEscape::html_text_shows_markup_as_text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::newRow("plain") << QStringLiteral("Ann") << QStringLiteral("Ann");
    QTest::newRow("script") << QStringLiteral("<script>alert(1)</script>")
                            << QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;");
    QTest::newRow("broken out attribute")
        << QStringLiteral("\"><img src=x onerror=alert(1)>")
        << QStringLiteral("&quot;&gt;&lt;img src=x onerror=alert(1)&gt;");
    QTest::newRow("entity typed by the player")
        << QStringLiteral("&amp;") << QStringLiteral("&amp;amp;");
    QTest::newRow("apostrophe") << QStringLiteral("O'Neil") << QStringLiteral("O&#39;Neil");
    QTest::newRow("right-to-left override kept")
        << QStringLiteral("\u202Eevil") << QStringLiteral("\u202Eevil");
    QTest::newRow("emoji kept") << QStringLiteral("\U0001F468\u200D\U0001F469")
                                << QStringLiteral("\U0001F468\u200D\U0001F469");
    QTest::newRow("empty") << QString() << QString();
}

void TestWebEscape::html_text_shows_markup_as_text()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QCOMPARE(html_text(text).text(), html);
}

void TestWebEscape::attribute_value_cannot_leave_its_quotes_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("attribute");
    QTest::newRow("plain") << QStringLiteral("m?after=1.2.3")
                           << QStringLiteral(" href=\"m?after=1.2.3\"");
    QTest::newRow("ampersand between parameters")
        << QStringLiteral("m?location=Oslo&after=1.2.3")
        << QStringLiteral(" href=\"m?location=Oslo&amp;after=1.2.3\"");
    QTest::newRow("double quote") << QStringLiteral("\" onmouseover=\"x")
                                  << QStringLiteral(" href=\"&quot; onmouseover=&quot;x\"");
    QTest::newRow("single quote") << QStringLiteral("' x='")
                                  << QStringLiteral(" href=\"&#39; x=&#39;\"");
    QTest::newRow("empty") << QString() << QStringLiteral(" href=\"\"");
}

void TestWebEscape::attribute_value_cannot_leave_its_quotes()
{
    QFETCH(QString, value);
    QFETCH(QString, attribute);
    QCOMPARE(::attribute("href", value).text(), attribute);
}

void TestWebEscape::url_component_keeps_only_unreserved_bytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("unreserved") << QStringLiteral("Az09-._~") << QStringLiteral("Az09-._~");
    QTest::newRow("space and plus") << QStringLiteral("a b+c") << QStringLiteral("a%20b%2Bc");
    QTest::newRow("query breakers")
        << QStringLiteral("&=?#/%") << QStringLiteral("%26%3D%3F%23%2F%25");
    QTest::newRow("markup") << QStringLiteral("\"><svg>") << QStringLiteral("%22%3E%3Csvg%3E");
    QTest::newRow("non-ASCII as UTF-8")
        << QStringLiteral("Tromsø") << QStringLiteral("Troms%C3%B8");
    QTest::newRow("astral") << QStringLiteral("\U0001F600") << QStringLiteral("%F0%9F%98%80");
}

void TestWebEscape::url_component_keeps_only_unreserved_bytes()
{
    QFETCH(QString, text);
    QFETCH(QString, encoded);
    QCOMPARE(url_component(text), encoded);
    QCOMPARE(url_decode(encoded.toLatin1()), text);
}

void TestWebEscape::url_decode_reads_back_what_links_and_forms_carry_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QString>("text");
    QTest::newRow("form space") << QByteArray("New+York") << QStringLiteral("New York");
    QTest::newRow("lower-case hex") << QByteArray("Troms%c3%b8") << QStringLiteral("Tromsø");
    QTest::newRow("cut escape stays") << QByteArray("50%") << QStringLiteral("50%");
    QTest::newRow("bad hex stays") << QByteArray("%zz") << QStringLiteral("%zz");
    QTest::newRow("broken UTF-8 replaced") << QByteArray("a%FFb") << QStringLiteral("a\uFFFDb");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestWebEscape::url_decode_reads_back_what_links_and_forms_carry()
{
    QFETCH(QByteArray, encoded);
    QFETCH(QString, text);
    QCOMPARE(url_decode(encoded), text);
}

void TestWebEscape::json_string_is_one_inert_literal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("json");
    QTest::newRow("plain") << QStringLiteral("Ann") << QStringLiteral("\"Ann\"");
    QTest::newRow("quote and backslash")
        << QStringLiteral("a\"b\\c") << QStringLiteral("\"a\\\"b\\\\c\"");
    QTest::newRow("script end tag")
        << QStringLiteral("</script>") << QStringLiteral("\"\\u003c/script\\u003e\"");
    QTest::newRow("ampersand") << QStringLiteral("&amp;") << QStringLiteral("\"\\u0026amp;\"");
    QTest::newRow("control characters")
        << QStringLiteral("a\nb\tc") + QChar(0x01) << QStringLiteral("\"a\\nb\\tc\\u0001\"");
    QTest::newRow("line and paragraph separators")
        << QStringLiteral("\u2028\u2029") << QStringLiteral("\"\\u2028\\u2029\"");
    QTest::newRow("right-to-left override kept")
        << QStringLiteral("\u202Eevil") << QStringLiteral("\"\u202Eevil\"");
    QTest::newRow("surrogate pair kept")
        << QStringLiteral("\U0001F600") << QStringLiteral("\"\U0001F600\"");
    QTest::newRow("lone surrogate replaced")
        << QString(QChar(0xD800)) + QLatin1Char('x') << QStringLiteral("\"\\ufffdx\"");
}

void TestWebEscape::json_string_is_one_inert_literal()
{
    QFETCH(QString, text);
    QFETCH(QString, json);
    QCOMPARE(json_string(text), json);
    // What a JSON reader makes of it is the text again.
    if (!text.contains(QChar(0xD800))) {
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArrayLiteral("[") + json.toUtf8() + "]");
        QCOMPARE(document.array().at(0).toString(), text);
    }
}

void TestWebEscape::json_object_escapes_its_members()
{
    const QString json = JsonObject()
                             .add("name", QStringLiteral("<b>\"x\""))
                             .add("best", 1234)
                             .add_null("location")
                             .add_json("players", QStringLiteral("[]"))
                             .text();
    QCOMPARE(json, QStringLiteral("{\"name\":\"\\u003cb\\u003e\\\"x\\\"\",\"best\":1234,"
                                  "\"location\":null,\"players\":[]}"));
    const QJsonObject read = QJsonDocument::fromJson(json.toUtf8()).object();
    QCOMPARE(read.value(QStringLiteral("name")).toString(), QStringLiteral("<b>\"x\""));
}

void TestWebEscape::metrics_label_escapes_quotes_and_breaks()
{
    QCOMPARE(prometheus_label("/rating/m"), std::string("\"/rating/m\""));
    QCOMPARE(prometheus_label("a\"b\\c\nd"), std::string("\"a\\\"b\\\\c\\nd\""));
}

void TestWebEscape::metrics_paths_are_the_servers_own()
{
    QCOMPARE(Metrics::path_label("/rating/w"), std::string("/rating/w"));
    QCOMPARE(Metrics::path_label("/api/v1/ratings/m"), std::string("/api/v1/ratings/m"));
    QCOMPARE(Metrics::path_label("/rating/x\"} 1\nfake 2"), std::string("other"));
    QCOMPARE(Metrics::path_label("/wp-admin"), std::string("other"));
}

QTEST_GUILESS_MAIN(TestWebEscape)
#include "tst_web_escape.moc"
