// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The rating's rules as plain values: no socket, no database.

#include "game/recordkey.h"
#include "rating/ratingexchange.h"
#include "rating/reply.h"
#include "rating/submission.h"
#include "storage/savefile.h"
#include "support/genuinekey.h"
#include "support/submissions.h"

#include <QtTest>

Q_DECLARE_METATYPE(Rejection)
Q_DECLARE_METATYPE(Rating)

namespace {

QByteArray body_with(const QByteArray &document)
{
    return QByteArrayLiteral("xml=") + document;
}

QByteArray without_element(const Player &player, const QByteArray &name)
{
    QByteArray document = genuine_document(player);
    const int start = document.indexOf("<" + name + ">");
    const QByteArray end_tag = "</" + name + ">";
    const int end = document.indexOf(end_tag);
    document.remove(start, end + end_tag.size() - start);
    return body_with(document);
}

QByteArray with_key(const Player &player, const QByteArray &key)
{
    QByteArray document = genuine_document(player);
    const int start = document.indexOf("<key>") + 5;
    document.replace(start, document.indexOf("</key>") - start, key);
    return body_with(document);
}

Player player_named(const QString &name, const QString &location = QStringLiteral("Oulu"))
{
    Player player;
    player.name = name;
    player.location = location;
    return player;
}

Player player_with(int tosend, int record, int score)
{
    Player player;
    player.tosend = tosend;
    player.record = record;
    player.score = score;
    return player;
}

Player player_of_sex(const QString &sex)
{
    Player player;
    player.sex = sex;
    return player;
}

} // namespace

class TestRatingRules : public QObject
{
    Q_OBJECT

private slots:
    void genuine_submission_is_accepted_as_typed_data();
    void genuine_submission_is_accepted_as_typed();
    void broken_submission_is_rejected_data();
    void broken_submission_is_rejected();
    void display_text_keeps_only_what_xml_allows_data();
    void display_text_keeps_only_what_xml_allows();
    void names_fold_to_one_player_data();
    void names_fold_to_one_player();
    void ordinal_names_the_place_data();
    void ordinal_names_the_place();
    void accepted_reply_is_the_document_the_game_reads();
    void reply_without_location_has_no_local_place();
    void lower_value_reply_says_the_best_stays();
    void reply_texts_are_escaped_for_xml();
    void rejection_has_dash_places_a_reason_and_a_client_error_data();
    void rejection_has_dash_places_a_reason_and_a_client_error();
};

void TestRatingRules::genuine_submission_is_accepted_as_typed_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<Rating>("rating");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("location");
    QTest::addColumn<int>("value");

    const auto row = [](const char *title, const Player &player, Rating rating, const QString &name,
                        const QString &location, int value) {
        QTest::newRow(title) << genuine_body(player) << rating << name << location << value;
    };
    row("record", Player(), Rating::men, QStringLiteral("Anna"), QStringLiteral("Oulu"), 500);
    row("score", player_with(2, 500, 300), Rating::men, QStringLiteral("Anna"),
        QStringLiteral("Oulu"), 300);
    row("women's rating", player_of_sex(QStringLiteral("w")), Rating::women, QStringLiteral("Anna"),
        QStringLiteral("Oulu"), 500);
    row("raw plus in the name", player_named(QStringLiteral("C++ Ann")), Rating::men,
        QStringLiteral("C++ Ann"), QStringLiteral("Oulu"), 500);
    row("escaped ampersand and angle bracket", player_named(QStringLiteral("Tom & <Jerry>")),
        Rating::men, QStringLiteral("Tom & <Jerry>"), QStringLiteral("Oulu"), 500);
    row("non-ASCII name and location",
        player_named(QStringLiteral("Анна Ääliö"), QStringLiteral("Jyväskylä")), Rating::men,
        QStringLiteral("Анна Ääliö"), QStringLiteral("Jyväskylä"), 500);
    row("white space trimmed and folded",
        player_named(QStringLiteral("  Anna \t Maria "), QStringLiteral(" Oulu  ")), Rating::men,
        QStringLiteral("Anna Maria"), QStringLiteral("Oulu"), 500);
    row("no location", player_named(QStringLiteral("Anna"), QString()), Rating::men,
        QStringLiteral("Anna"), QString(), 500);
    const QString longest = QString(text_length_limit, QLatin1Char('n'));
    row("name and location of 64 characters", player_named(longest, longest), Rating::men, longest,
        longest, 500);
    QString emoji;
    for (int i = 0; i < text_length_limit; ++i)
        emoji += QString::fromUtf8("\xF0\x9F\x98\x80");
    row("64 characters beyond the BMP", player_named(emoji), Rating::men, emoji,
        QStringLiteral("Oulu"), 500);
    row("highest possible value", player_with(1, value_limit, 1), Rating::men,
        QStringLiteral("Anna"), QStringLiteral("Oulu"), value_limit);

    // A long message from an earlier reply pushes the file past what the game
    // sends: the document is cut at 4096 bytes, after everything that counts.
    Player chatty;
    chatty.message = QString(6000, QLatin1Char('m'));
    const QByteArray cut = genuine_document(chatty).left(4096);
    QTest::newRow("document cut at 4096 bytes")
        << body_with(cut) << Rating::men << QStringLiteral("Anna") << QStringLiteral("Oulu") << 500;
}

void TestRatingRules::genuine_submission_is_accepted_as_typed()
{
    QFETCH(QByteArray, body);
    QFETCH(Rating, rating);
    QFETCH(QString, name);
    QFETCH(QString, location);
    QFETCH(int, value);

    const ParsedSubmission parsed = parse_submission(body);
    QVERIFY2(parsed.submission.has_value(), qPrintable(rejected_reply(parsed.rejection).message));
    QCOMPARE(parsed.submission->rating, rating);
    QCOMPARE(parsed.submission->name, name);
    QCOMPARE(parsed.submission->location, location);
    QCOMPARE(parsed.submission->value, value);
    QCOMPARE(parsed.submission->name_key, identity_key(name));
    QCOMPARE(parsed.submission->location_key, identity_key(location));
}

void TestRatingRules::broken_submission_is_rejected_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<Rejection>("rejection");

    const Player anna;
    QTest::newRow("empty body") << QByteArray() << Rejection::unreadable;
    QTest::newRow("no xml= before the document") << genuine_document(anna) << Rejection::unreadable;
    QTest::newRow("other form field") << "data=" + genuine_document(anna) << Rejection::unreadable;
    QTest::newRow("percent-encoded document")
        << "xml=" + QUrl::toPercentEncoding(QString::fromUtf8(genuine_document(anna)))
        << Rejection::incomplete;
    QTest::newRow("not XML") << QByteArray("xml=hello") << Rejection::incomplete;
    QTest::newRow("missing name") << without_element(anna, "name") << Rejection::incomplete;
    QTest::newRow("missing location") << without_element(anna, "location") << Rejection::incomplete;
    QTest::newRow("missing sex") << without_element(anna, "sex") << Rejection::incomplete;
    QTest::newRow("missing tosend") << without_element(anna, "tosend") << Rejection::incomplete;
    QTest::newRow("missing key") << without_element(anna, "key") << Rejection::incomplete;
    QTest::newRow("missing record") << without_element(anna, "your_top") << Rejection::key_mismatch;
    QTest::newRow("control character in the name")
        << body_with(genuine_document(anna).replace("Anna", "An&#1;na")) << Rejection::incomplete;
    Player long_name;
    long_name.name = QString(5000, QLatin1Char('n'));
    QTest::newRow("document cut at 4096 bytes inside the name")
        << body_with(genuine_document(long_name).left(4096)) << Rejection::incomplete;

    QTest::newRow("sex x") << genuine_body(player_of_sex(QStringLiteral("x")))
                           << Rejection::unknown_rating;
    QTest::newRow("sex in capitals")
        << genuine_body(player_of_sex(QStringLiteral("M"))) << Rejection::unknown_rating;
    QTest::newRow("tosend 0") << genuine_body(player_with(0, 500, 300)) << Rejection::no_choice;
    QTest::newRow("tosend 3") << genuine_body(player_with(3, 500, 300)) << Rejection::no_choice;
    QTest::newRow("first-run document") << body_with(first_run_document()) << Rejection::no_choice;

    QTest::newRow("empty name") << genuine_body(player_named(QString())) << Rejection::empty_name;
    QTest::newRow("blank name") << genuine_body(player_named(QStringLiteral(" \t ")))
                                << Rejection::empty_name;
    QTest::newRow("name of 65 characters")
        << genuine_body(player_named(QString(text_length_limit + 1, QLatin1Char('n'))))
        << Rejection::name_too_long;
    QTest::newRow("location of 65 characters")
        << genuine_body(player_named(QStringLiteral("Anna"),
                                     QString(text_length_limit + 1, QLatin1Char('l'))))
        << Rejection::location_too_long;

    QTest::newRow("no score kept yet") << with_key(anna, QByteArray()) << Rejection::no_score_kept;
    QTest::newRow("wrong key") << with_key(anna,
                                           md5_hex(QStringLiteral("500-500-300-300")).toLatin1())
                               << Rejection::key_mismatch;
    QTest::newRow("key in capitals")
        << with_key(anna, genuine_key(500, 300).toUpper().toLatin1()) << Rejection::key_mismatch;
    QByteArray edited = genuine_document(anna);
    edited.replace("<your_top>500</your_top>", "<your_top>900</your_top>");
    QTest::newRow("record edited by hand") << body_with(edited) << Rejection::key_mismatch;

    QTest::newRow("record 0") << genuine_body(player_with(1, 0, 0)) << Rejection::no_value;
    QTest::newRow("score 0") << genuine_body(player_with(2, 500, 0)) << Rejection::no_value;
    QTest::newRow("negative record") << genuine_body(player_with(1, -5, -5)) << Rejection::no_value;
    QTest::newRow("value above what a phone can produce")
        << genuine_body(player_with(1, value_limit + 1, 1)) << Rejection::value_too_high;
}

void TestRatingRules::broken_submission_is_rejected()
{
    QFETCH(QByteArray, body);
    QFETCH(Rejection, rejection);
    const ParsedSubmission parsed = parse_submission(body);
    QVERIFY(!parsed.submission.has_value());
    QCOMPARE(parsed.rejection, rejection);
}

void TestRatingRules::display_text_keeps_only_what_xml_allows_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QStringLiteral("Anna") << QStringLiteral("Anna");
    QTest::newRow("control characters")
        << QStringLiteral("A\u0001n\u001Fna") << QStringLiteral("Anna");
    QTest::newRow("non-characters") << QStringLiteral("An\uFFFEna\uFFFF") << QStringLiteral("Anna");
    QTest::newRow("lone surrogate")
        << QString(QChar(0xD800)) + QStringLiteral("Anna") << QStringLiteral("Anna");
    QTest::newRow("tabs and line breaks fold to spaces")
        << QStringLiteral("\tAnna\r\n Maria\n") << QStringLiteral("Anna Maria");
    QTest::newRow("emoji kept") << QString::fromUtf8("Anna \xF0\x9F\x98\x80")
                                << QString::fromUtf8("Anna \xF0\x9F\x98\x80");
}

void TestRatingRules::display_text_keeps_only_what_xml_allows()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QCOMPARE(display_text(typed), shown);
}

void TestRatingRules::names_fold_to_one_player_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("same");
    QTest::newRow("case") << QStringLiteral("Anna") << QStringLiteral("aNNA") << true;
    QTest::newRow("outer white space")
        << QStringLiteral(" Anna\t") << QStringLiteral("Anna") << true;
    QTest::newRow("inner white space")
        << QStringLiteral("Anna  \t Maria") << QStringLiteral("anna maria") << true;
    QTest::newRow("non-ASCII case") << QStringLiteral("ÉLODIE") << QStringLiteral("élodie") << true;
    QTest::newRow("composed and decomposed accent")
        << QStringLiteral("E\u0301lodie") << QStringLiteral("Élodie") << true;
    QTest::newRow("Cyrillic case") << QStringLiteral("АННА") << QStringLiteral("анна") << true;
    QTest::newRow("different letter") << QStringLiteral("Anna") << QStringLiteral("Anne") << false;
    QTest::newRow("space removed")
        << QStringLiteral("Anna Maria") << QStringLiteral("AnnaMaria") << false;
}

void TestRatingRules::names_fold_to_one_player()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, same);
    QCOMPARE(identity_key(first) == identity_key(second), same);
}

void TestRatingRules::ordinal_names_the_place_data()
{
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("text");
    const QList<QPair<int, const char *>> rows = {
        {1, "1st"},     {2, "2nd"},     {3, "3rd"},     {4, "4th"},      {11, "11th"},
        {12, "12th"},   {13, "13th"},   {21, "21st"},   {22, "22nd"},    {23, "23rd"},
        {101, "101st"}, {111, "111th"}, {112, "112th"}, {1224, "1224th"}};
    for (const auto &row : rows)
        QTest::newRow(row.second) << row.first << QString::fromLatin1(row.second);
}

void TestRatingRules::ordinal_names_the_place()
{
    QFETCH(int, place);
    QFETCH(QString, text);
    QCOMPARE(ordinal(place), text);
}

void TestRatingRules::accepted_reply_is_the_document_the_game_reads()
{
    Standing standing;
    standing.player_id = 42;
    standing.rating = Rating::women;
    standing.best = 500;
    standing.world_place = 12;
    standing.local_place = 3;
    standing.improved = true;
    const Reply reply = accepted_reply(standing, QStringLiteral("http://127.0.0.1:8390/"));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply_document(reply),
             QByteArray("<rating><local_top>3</local_top><world_top>12</world_top>"
                        "<message>You are 12th in the world!</message>"
                        "<hiperlink>http://127.0.0.1:8390/rating/w?player=42</hiperlink>"
                        "<fsize>18</fsize></rating>"));

    GameState state;
    const ReplyShown shown = apply_reply(reply_document(reply), state);
    QCOMPARE(shown.local_text, QStringLiteral("3"));
    QCOMPARE(shown.world_text, QStringLiteral("12"));
    QCOMPARE(state.local_top, 3);
    QCOMPARE(state.world_top, 12);
    QCOMPARE(state.fsize, 18);
}

void TestRatingRules::reply_without_location_has_no_local_place()
{
    Standing standing;
    standing.player_id = 7;
    standing.world_place = 1;
    standing.improved = true;
    const GameView view =
        read_as_game(reply_document(accepted_reply(standing, QStringLiteral("http://h/"))));
    QCOMPARE(view.local_text, QStringLiteral("-"));
    QCOMPARE(view.world_text, QStringLiteral("1"));
    QCOMPARE(view.message, QStringLiteral("You are 1st in the world!"));
    QCOMPARE(view.link, QStringLiteral("http://h/rating/m?player=7"));
}

void TestRatingRules::lower_value_reply_says_the_best_stays()
{
    Standing standing;
    standing.player_id = 7;
    standing.world_place = 2;
    standing.improved = false;
    const Reply reply = accepted_reply(standing, QStringLiteral("http://h/"));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.message, QStringLiteral("Your best stays 2nd!"));
}

void TestRatingRules::reply_texts_are_escaped_for_xml()
{
    Reply reply;
    reply.message = QStringLiteral("a<b & c>d ]]> \"q\"");
    reply.hiperlink = QStringLiteral("http://h/rating/m?player=1&x=<2>");
    const QByteArray document = reply_document(reply);
    QVERIFY(!document.contains("a<b"));
    QVERIFY(!document.contains("]]>"));
    const GameView view = read_as_game(document);
    QCOMPARE(view.message, reply.message);
    QCOMPARE(view.link, reply.hiperlink);
}

void TestRatingRules::rejection_has_dash_places_a_reason_and_a_client_error_data()
{
    QTest::addColumn<Rejection>("rejection");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("unreadable") << Rejection::unreadable << 400
                                << QStringLiteral("Submission not readable");
    QTest::newRow("incomplete") << Rejection::incomplete << 400
                                << QStringLiteral("Submission incomplete");
    QTest::newRow("unknown rating")
        << Rejection::unknown_rating << 422 << QStringLiteral("Choose men or women");
    QTest::newRow("no choice") << Rejection::no_choice << 422
                               << QStringLiteral("choose record or score");
    QTest::newRow("empty name") << Rejection::empty_name << 422
                                << QStringLiteral("Enter your name");
    QTest::newRow("name too long")
        << Rejection::name_too_long << 422 << QStringLiteral("Name: 64 characters at most");
    QTest::newRow("location too long")
        << Rejection::location_too_long << 422 << QStringLiteral("Location: 64 characters at most");
    QTest::newRow("no score kept")
        << Rejection::no_score_kept << 422 << QStringLiteral("Tap the counter to keep a score");
    QTest::newRow("key mismatch") << Rejection::key_mismatch << 422
                                  << QStringLiteral("Record and key do not match");
    QTest::newRow("no value") << Rejection::no_value << 422
                              << QStringLiteral("Shake first: 0 does not count");
    QTest::newRow("value too high")
        << Rejection::value_too_high << 422 << QStringLiteral("No phone shakes that hard");
}

void TestRatingRules::rejection_has_dash_places_a_reason_and_a_client_error()
{
    QFETCH(Rejection, rejection);
    QFETCH(int, status);
    QFETCH(QString, message);
    const Reply reply = rejected_reply(rejection);
    QCOMPARE(reply.status, status);
    const GameView view = read_as_game(reply_document(reply));
    QCOMPARE(view.local_text, QStringLiteral("-"));
    QCOMPARE(view.world_text, QStringLiteral("-"));
    QCOMPARE(view.message, message);
    QCOMPARE(view.link, QString());
}

QTEST_GUILESS_MAIN(TestRatingRules)
#include "tst_rating_rules.moc"
