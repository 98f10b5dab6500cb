// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The rating pages, the terms page and the JSON as plain values: rendered
// from views, no server, no database.

#include "rating/places.h"
#include "routes/ratingview.h"
#include "web/ratingpage.h"
#include "web/termspage.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

PlayerRecord player(qint64 id, const QString &name, const QString &location, int best, int place)
{
    PlayerRecord row;
    row.player_id = id;
    row.name = name;
    row.location = location;
    row.location_key = identity_key(location);
    row.best = best;
    row.best_at = 1765368000000 + id; // 2025-12-10 12:00 UTC
    row.place = place;
    return row;
}

RatingView sample_view()
{
    RatingView view;
    view.rating = Rating::men;
    view.rows = {player(7, QStringLiteral("Ann"), QStringLiteral("Oslo"), 900, 11),
                 player(3, QStringLiteral("Bob"), QString(), 800, 12),
                 player(9, QStringLiteral("Cy"), QStringLiteral("New York"), 800, 12)};
    view.highlighted = 3;
    view.previous = view.rows.front().key();
    view.next = view.rows.back().key();
    return view;
}

} // namespace

class TestWebPages : public QObject
{
    Q_OBJECT

private slots:
    void names_and_locations_land_as_text_data();
    void names_and_locations_land_as_text();
    void player_asked_for_is_the_one_row_highlighted();
    void paging_links_carry_the_keys_and_the_location();
    void locations_link_to_their_local_rating_on_world_pages_only();
    void empty_rating_says_so();
    void pages_hold_no_script_and_no_inline_style();
    void terms_page_has_the_dialogs_wording();
    void query_is_read_or_refused_data();
    void query_is_read_or_refused();
    void key_parameter_reads_back();
    void ties_share_a_competition_place_data();
    void ties_share_a_competition_place();
    void json_gives_the_view_with_relative_links();
};

void TestWebPages::names_and_locations_land_as_text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("script") << QStringLiteral("<script>alert(1)</script>")
                            << QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;");
    QTest::newRow("image") << QStringLiteral("\"><img src=x onerror=alert(1)>")
                           << QStringLiteral("&quot;&gt;&lt;img src=x onerror=alert(1)&gt;");
    QTest::newRow("right-to-left override")
        << QStringLiteral("\u202Eevil") << QStringLiteral("<bdi>\u202Eevil</bdi>");
    QTest::newRow("emoji")
        << QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467").repeated(9)
        << QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467").repeated(9);
}

void TestWebPages::names_and_locations_land_as_text()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    RatingView view = sample_view();
    view.rows[0].name = text;
    view.rows[1].location = text;

    const QString page = rating_page(view).text();
    QCOMPARE(page.count(escaped), 2);
    if (text != escaped && !escaped.startsWith(QLatin1String("<bdi>")))
        QVERIFY(!page.contains(text));
    // The location's link carries it percent-encoded, inside quotes.
    QVERIFY(page.contains(QStringLiteral("href=\"m?location=") + url_component(text) + '"'));

    // The local rating of that location: heading, title and form field.
    view.location = text;
    const QString local = rating_page(view).text();
    QVERIFY(local.contains(QStringLiteral("<title>")));
    QVERIFY(local.contains(QStringLiteral(" value=\"") + html_text(text).text() + '"'));
    if (text.contains(QLatin1Char('<')))
        QVERIFY(!local.contains(text));
}

void TestWebPages::player_asked_for_is_the_one_row_highlighted()
{
    const QString page = rating_page(sample_view()).text();
    QCOMPARE(page.count(QStringLiteral("class=\"you\"")), 1);
    QVERIFY(
        page.contains(QStringLiteral("<tr id=\"player-3\" class=\"you\" aria-current=\"true\">")));
    QVERIFY(page.contains(QStringLiteral("<tr id=\"player-7\"><td class=\"place\">11</td>")));

    RatingView nobody = sample_view();
    nobody.highlighted = 0;
    QVERIFY(!rating_page(nobody).text().contains(QStringLiteral("class=\"you\"")));
}

void TestWebPages::paging_links_carry_the_keys_and_the_location()
{
    RatingView view = sample_view();
    const QString page = rating_page(view).text();
    QVERIFY(
        page.contains(QStringLiteral("<a rel=\"prev\" href=\"m?before=900.1765368000007.7\">")));
    QVERIFY(page.contains(QStringLiteral("<a rel=\"next\" href=\"m?after=800.1765368000009.9\">")));

    view.rating = Rating::women;
    view.location = QStringLiteral("New York & Co");
    const QString local = rating_page(view).text();
    QVERIFY(local.contains(
        QStringLiteral("href=\"w?location=New%20York%20%26%20Co&amp;after=800.1765368000009.9\"")));

    view.previous.reset();
    view.next.reset();
    QVERIFY(!rating_page(view).text().contains(QStringLiteral("<a rel=")));
}

void TestWebPages::locations_link_to_their_local_rating_on_world_pages_only()
{
    RatingView view = sample_view();
    QVERIFY(rating_page(view).text().contains(
        QStringLiteral("<a href=\"m?location=New%20York\"><bdi>New York</bdi></a>")));
    view.location = QStringLiteral("New York");
    const QString local = rating_page(view).text();
    QVERIFY(!local.contains(QStringLiteral("href=\"m?location=New%20York\"")));
    QVERIFY(local.contains(QStringLiteral("<th class=\"place\">Local place</th>")));
}

void TestWebPages::empty_rating_says_so()
{
    RatingView view;
    view.rating = Rating::women;
    QVERIFY(rating_page(view).text().contains(QStringLiteral("No players yet.")));
    view.location = QStringLiteral("<Oslo>");
    QVERIFY(rating_page(view).text().contains(QStringLiteral("No players from &lt;Oslo&gt; yet.")));
}

void TestWebPages::pages_hold_no_script_and_no_inline_style()
{
    const QString pages[] = {rating_page(sample_view()).text(), terms_page(game_terms()).text(),
                             message_page(QStringLiteral("<t>"), QStringLiteral("<m>")).text()};
    for (const QString &page : pages) {
        QVERIFY(page.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">")));
        QVERIFY(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        QVERIFY(!page.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
        QVERIFY(!page.contains(QStringLiteral("<style"), Qt::CaseInsensitive));
        QVERIFY(!page.contains(QStringLiteral(" style="), Qt::CaseInsensitive));
        QVERIFY(!page.contains(QRegularExpression(QStringLiteral(" on[a-z]+="))));
        QVERIFY(page.contains(QStringLiteral("<link rel=\"stylesheet\" href=\"../style.css\">")));
    }
}

void TestWebPages::terms_page_has_the_dialogs_wording()
{
    QFile form(QStringLiteral(LICENSE_FORM));
    QVERIFY(form.open(QIODevice::ReadOnly));
    const Terms dialog = read_terms_form(&form);
    QCOMPARE(dialog.title, QStringLiteral("User License Agreement"));
    QVERIFY(dialog.text.startsWith(QStringLiteral("1. Extreme sports activities")));
    QVERIFY(dialog.text.endsWith(QStringLiteral("\n    terms and conditions:")));
    QCOMPARE(dialog.text.count(QLatin1Char('\n')), 7);

    // The server carries the same form.
    QCOMPARE(game_terms().title, dialog.title);
    QCOMPARE(game_terms().text, dialog.text);

    const QString page = terms_page(game_terms()).text();
    QVERIFY(page.contains(QStringLiteral("<h1>User License Agreement</h1>")));
    QVERIFY(page.contains(QStringLiteral("<p class=\"terms\">") + html_text(dialog.text).text() +
                          QStringLiteral("</p>")));
}

void TestWebPages::query_is_read_or_refused_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("location");
    QTest::addColumn<qint64>("player");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("before");
    QTest::newRow("top") << QByteArray() << true << QString() << qint64(0) << QString()
                         << QString();
    QTest::newRow("player link") << QByteArray("player=42") << true << QString() << qint64(42)
                                 << QString() << QString();
    QTest::newRow("location trimmed and folded")
        << QByteArray("location=+New++York%20") << true << QStringLiteral("New York") << qint64(0)
        << QString() << QString();
    QTest::newRow("location and next page")
        << QByteArray("location=Troms%C3%B8&after=900.1765368000000.7") << true
        << QStringLiteral("Tromsø") << qint64(0) << QStringLiteral("900.1765368000000.7")
        << QString();
    QTest::newRow("previous page") << QByteArray("before=5.6.7") << true << QString() << qint64(0)
                                   << QString() << QStringLiteral("5.6.7");
    QTest::newRow("unknown parameter ignored")
        << QByteArray("utm_source=x&&") << true << QString() << qint64(0) << QString() << QString();
    QTest::newRow("player not a number")
        << QByteArray("player=abc") << false << QString() << qint64(0) << QString() << QString();
    QTest::newRow("player zero") << QByteArray("player=0") << false << QString() << qint64(0)
                                 << QString() << QString();
    QTest::newRow("key cut short")
        << QByteArray("after=900.7") << false << QString() << qint64(0) << QString() << QString();
    QTest::newRow("key with markup") << QByteArray("before=%3Cb%3E.1.2") << false << QString()
                                     << qint64(0) << QString() << QString();
    QTest::newRow("location too long") << QByteArray("location=") + QByteArray(65, 'x') << false
                                       << QString() << qint64(0) << QString() << QString();
}

void TestWebPages::query_is_read_or_refused()
{
    QFETCH(QByteArray, query);
    QFETCH(bool, valid);
    QString why;
    const std::optional<RatingQuery> parsed = parse_rating_query(Rating::women, query, &why);
    QCOMPARE(bool(parsed), valid);
    if (!valid) {
        QVERIFY(!why.isEmpty());
        return;
    }
    QFETCH(QString, location);
    QFETCH(qint64, player);
    QFETCH(QString, after);
    QFETCH(QString, before);
    QCOMPARE(parsed->rating, Rating::women);
    QCOMPARE(parsed->location, location);
    QCOMPARE(parsed->player.value_or(0), player);
    QCOMPARE(parsed->after ? key_parameter(*parsed->after) : QString(), after);
    QCOMPARE(parsed->before ? key_parameter(*parsed->before) : QString(), before);
}

void TestWebPages::key_parameter_reads_back()
{
    const ListingKey key{1331100, 1765368000123, 987654321};
    QCOMPARE(key_parameter(key), QStringLiteral("1331100.1765368000123.987654321"));
    QVERIFY(parse_key_parameter(key_parameter(key)) == key);
    QVERIFY(!parse_key_parameter(QStringLiteral("1.2.-3")));
    QVERIFY(!parse_key_parameter(QStringLiteral("1.2.3.4")));
}

void TestWebPages::ties_share_a_competition_place_data()
{
    QTest::addColumn<QList<int>>("bests");
    QTest::addColumn<int>("ahead");
    QTest::addColumn<int>("above");
    QTest::addColumn<QList<int>>("places");
    QTest::newRow("top, no ties") << QList<int>{9, 8, 7} << 0 << 0 << QList<int>{1, 2, 3};
    QTest::newRow("top, ties") << QList<int>{9, 9, 7, 7, 7, 1} << 0 << 0
                               << QList<int>{1, 1, 3, 3, 3, 6};
    QTest::newRow("deep page") << QList<int>{50, 49, 49} << 100 << 100 << QList<int>{101, 102, 102};
    QTest::newRow("page starting inside a tie")
        << QList<int>{50, 50, 49} << 100 << 97 << QList<int>{98, 98, 103};
}

void TestWebPages::ties_share_a_competition_place()
{
    QFETCH(QList<int>, bests);
    QFETCH(int, ahead);
    QFETCH(int, above);
    QFETCH(QList<int>, places);
    Listing listing;
    listing.ahead_of_first = ahead;
    listing.above_first = above;
    for (int i = 0; i < bests.size(); ++i)
        listing.rows.push_back(player(i + 1, QStringLiteral("P%1").arg(i), QString(), bests[i], 0));
    assign_places(listing);
    QList<int> given;
    for (const PlayerRecord &row : listing.rows)
        given << row.place;
    QCOMPARE(given, places);
}

void TestWebPages::json_gives_the_view_with_relative_links()
{
    RatingView view = sample_view();
    view.rows[0].name = QStringLiteral("<script>\"x\"</script>");
    view.location = QStringLiteral("Oslo");
    const QString json = rating_json(view);
    QVERIFY(!json.contains(QLatin1Char('<')));
    const QJsonObject read = QJsonDocument::fromJson(json.toUtf8()).object();
    QCOMPARE(read.value(QStringLiteral("rating")).toString(), QStringLiteral("m"));
    QCOMPARE(read.value(QStringLiteral("location")).toString(), QStringLiteral("Oslo"));
    QCOMPARE(read.value(QStringLiteral("player")).toInt(), 3);
    QCOMPARE(read.value(QStringLiteral("previous")).toString(),
             QStringLiteral("m?location=Oslo&before=900.1765368000007.7"));
    QCOMPARE(read.value(QStringLiteral("next")).toString(),
             QStringLiteral("m?location=Oslo&after=800.1765368000009.9"));
    const QJsonArray players = read.value(QStringLiteral("players")).toArray();
    QCOMPARE(players.size(), 3);
    const QJsonObject first = players.at(0).toObject();
    QCOMPARE(first.value(QStringLiteral("name")).toString(), view.rows[0].name);
    QCOMPARE(first.value(QStringLiteral("place")).toInt(), 11);
    QCOMPARE(first.value(QStringLiteral("id")).toInt(), 7);
    QCOMPARE(first.value(QStringLiteral("best")).toInt(), 900);
    QCOMPARE(first.value(QStringLiteral("location")).toString(), QStringLiteral("Oslo"));
    QCOMPARE(first.value(QStringLiteral("set_at")).toString(),
             QStringLiteral("2025-12-10T12:00:00Z"));

    RatingView top;
    const QJsonObject empty = QJsonDocument::fromJson(rating_json(top).toUtf8()).object();
    QVERIFY(empty.value(QStringLiteral("location")).isNull());
    QVERIFY(empty.value(QStringLiteral("next")).isNull());
    QVERIFY(empty.value(QStringLiteral("players")).toArray().isEmpty());
}

QTEST_GUILESS_MAIN(TestWebPages)
#include "tst_web_pages.moc"
