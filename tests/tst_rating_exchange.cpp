// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/gamestate.h"
#include "rating/ratingexchange.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {

// The save file that GameState's start values give.
const QByteArray start_document =
    "<quiverbolt_data><name></name><location></location><sex>m</sex><tosend>1</tosend>"
    "<current_top>0</current_top><your_top>0</your_top><local_top>-1</local_top>"
    "<world_top>-1</world_top><alt>0</alt><key></key><num>0</num><platf>1</platf>"
    "<ver>1.1</ver><message></message><hiperlink></hiperlink><fsize>20</fsize><sec>0</sec>"
    "</quiverbolt_data>";

GameState stored_state(int local_top, int world_top)
{
    GameState state;
    state.local_top = local_top;
    state.world_top = world_top;
    state.message = QStringLiteral("old message");
    state.hiperlink = QStringLiteral("http://old.example/");
    state.fsize = 20;
    return state;
}

} // namespace

class TestRatingExchange : public QObject
{
    Q_OBJECT

private slots:
    void request_body_is_the_raw_file_behind_xml_data();
    void request_body_is_the_raw_file_behind_xml();
    void request_body_without_a_readable_file_is_xml_alone();
    void reply_sets_the_fields_it_holds_data();
    void reply_sets_the_fields_it_holds();
    void reply_numbers_are_plain_decimals_data();
    void reply_numbers_are_plain_decimals();
    void only_web_links_are_openable_data();
    void only_web_links_are_openable();

private:
    QTemporaryDir dir;
};

void TestRatingExchange::request_body_is_the_raw_file_behind_xml_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("start values") << start_document << "xml=" + start_document;

    const QByteArray unescaped = "<quiverbolt_data><name>A+B &amp; &lt;C> 50% =1 "
                                 "\xd0\x90\xd0\xbd\xd0\xbd\xd0\xb0</name></quiverbolt_data>";
    QTest::newRow("plus, ampersand, percent and Cyrillic unchanged")
        << unescaped << "xml=" + unescaped;

    const QByteArray long_location =
        "<quiverbolt_data><location>" + QByteArray(5000, 'x') + "</location></quiverbolt_data>";
    QTest::newRow("over 4096 bytes cut mid-element")
        << long_location << "xml=" + long_location.left(4096);

    const QByteArray exact = "<a>" + QByteArray(4096 - 7, 'y') + "</a>";
    QTest::newRow("exactly 4096 bytes") << exact << "xml=" + exact;

    const QByteArray late_nul = QByteArray(4096, 'z') + '\0' + "tail";
    QTest::newRow("NUL past the limit") << late_nul << "xml=" + QByteArray(4096, 'z');

    QTest::newRow("NUL inside") << QByteArray("<name>ab\0cd</name>", 18)
                                << QByteArray("xml=<name>ab");
    QTest::newRow("NUL first") << QByteArray("\0<name/>", 8) << QByteArray("xml=");
    QTest::newRow("empty file") << QByteArray() << QByteArray("xml=");
}

void TestRatingExchange::request_body_is_the_raw_file_behind_xml()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);

    const QString path = dir.filePath(QStringLiteral("quiverbolt.save"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(out.write(file), qint64(file.size()));
    out.close();

    QCOMPARE(request_body(path), expected);
}

void TestRatingExchange::request_body_without_a_readable_file_is_xml_alone()
{
    QCOMPARE(request_body(dir.filePath(QStringLiteral("missing.save"))), QByteArray("xml="));
    QCOMPARE(request_body(dir.filePath(QStringLiteral("no/such/folder/quiverbolt.save"))),
             QByteArray("xml="));
}

void TestRatingExchange::reply_sets_the_fields_it_holds_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("stored_local");
    QTest::addColumn<int>("stored_world");
    QTest::addColumn<int>("local_top");
    QTest::addColumn<int>("world_top");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("hiperlink");
    QTest::addColumn<int>("fsize");
    QTest::addColumn<bool>("show_local");
    QTest::addColumn<QString>("local_text");
    QTest::addColumn<bool>("show_world");
    QTest::addColumn<QString>("world_text");

    const QString old_message = QStringLiteral("old message");
    const QString old_link = QStringLiteral("http://old.example/");
    const QString dash = QStringLiteral("-");

    QTest::newRow("full reply")
        << QByteArray(
               "<rating><local_top>5</local_top><world_top>120</world_top>"
               "<message>Well shaken!</message><hiperlink>http://rating.example/top</hiperlink>"
               "<fsize>18</fsize></rating>")
        << -1 << -1 << 5 << 120 << QStringLiteral("Well shaken!")
        << QStringLiteral("http://rating.example/top") << 18 << true << QStringLiteral("5") << true
        << QStringLiteral("120");
    QTest::newRow("local place 0 stored, not shown")
        << QByteArray("<r><local_top>0</local_top></r>") << 5 << -1 << 0 << -1 << old_message
        << old_link << 20 << false << QStringLiteral("0") << false << dash;
    QTest::newRow("empty reply shows dash for stored world place")
        << QByteArray() << -1 << 37 << -1 << 37 << old_message << old_link << 20 << false << dash
        << true << dash;
    QTest::newRow("empty reply, nothing stored above 0")
        << QByteArray() << 0 << -1 << 0 << -1 << old_message << old_link << 20 << false << dash
        << false << dash;
    QTest::newRow("second message wins")
        << QByteArray("<r><message>first</message><message>second</message></r>") << -1 << -1 << -1
        << -1 << QStringLiteral("second") << old_link << 20 << false << dash << false << dash;
    QTest::newRow("any depth")
        << QByteArray("<a><b><c><local_top>2</local_top></c></b><fsize>9</fsize></a>") << -1 << -1
        << 2 << -1 << old_message << old_link << 9 << true << QStringLiteral("2") << false << dash;
    QTest::newRow("names compare with case")
        << QByteArray("<r><Local_top>5</Local_top><MESSAGE>x</MESSAGE></r>") << -1 << -1 << -1 << -1
        << old_message << old_link << 20 << false << dash << false << dash;
    QTest::newRow("namespaced names match by local name, attributes ignored")
        << QByteArray("<r xmlns:q=\"urn:q\"><q:message lang=\"en\">hello</q:message></r>") << -1
        << -1 << -1 << -1 << QStringLiteral("hello") << old_link << 20 << false << dash << false
        << dash;
    QTest::newRow("references resolved, comments skipped")
        << QByteArray("<r><message>A &amp; B&#33;<!-- x --></message></r>") << -1 << -1 << -1 << -1
        << QStringLiteral("A & B!") << old_link << 20 << false << dash << false << dash;
    QTest::newRow("empty elements empty the texts")
        << QByteArray("<r><message></message><hiperlink/></r>") << -1 << -1 << -1 << -1 << QString()
        << QString() << 20 << false << dash << false << dash;
    QTest::newRow("malformed XML keeps what came before")
        << QByteArray("<r><message>kept</message><world_top>7</world_top><oops></r>"
                      "<local_top>9</local_top>")
        << -1 << -1 << -1 << 7 << QStringLiteral("kept") << old_link << 20 << false << dash << true
        << QStringLiteral("7");
    QTest::newRow("element holding a child ends the read")
        << QByteArray(
               "<r><fsize>30</fsize><message>a<b>c</b></message><local_top>4</local_top></r>")
        << -1 << -1 << -1 << -1 << old_message << old_link << 30 << false << dash << false << dash;
    QTest::newRow("reply cut inside an element")
        << QByteArray("<r><message>new</message><world_top>12") << -1 << 37 << -1 << 37
        << QStringLiteral("new") << old_link << 20 << false << dash << true << dash;
    QTest::newRow("white space around digits, label text unchanged")
        << QByteArray("<r><local_top> 5\n</local_top><world_top>\t+12 </world_top></r>") << -1 << -1
        << 5 << 12 << old_message << old_link << 20 << true << QStringLiteral(" 5\n") << true
        << QStringLiteral("\t+12 ");
    QTest::newRow("dash gives 0 and leaves the label")
        << QByteArray("<r><world_top>-</world_top></r>") << -1 << 37 << -1 << 0 << old_message
        << old_link << 20 << false << dash << false << QStringLiteral("-");
    QTest::newRow("NUL cuts the body")
        << QByteArray("<r><message>before</message>") + '\0' + "<world_top>5</world_top></r>" << -1
        << -1 << -1 << -1 << QStringLiteral("before") << old_link << 20 << false << dash << false
        << dash;
    QTest::newRow("bytes that are not UTF-8 become replacement characters")
        << QByteArray("<r><message>caf\xe9</message><local_top>3</local_top></r>") << -1 << -1 << 3
        << -1 << QStringLiteral("caf\uFFFD") << old_link << 20 << true << QStringLiteral("3")
        << false << dash;
    QTest::newRow("declared encoding ignored, read as UTF-8")
        << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                      "<r><message>\xd0\x9f\xd1\x80\xd0\xb8</message></r>")
        << -1 << -1 << -1 << -1 << QStringLiteral("\u041F\u0440\u0438") << old_link << 20 << false
        << dash << false << dash;
    QTest::newRow("HTML error page changes nothing")
        << QByteArray("<html><body><h1>502 Bad Gateway</h1></body></html>") << 3 << 4 << 3 << 4
        << old_message << old_link << 20 << true << dash << true << dash;
}

void TestRatingExchange::reply_sets_the_fields_it_holds()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, stored_local);
    QFETCH(int, stored_world);

    GameState state = stored_state(stored_local, stored_world);
    const ReplyShown shown = apply_reply(reply, state);

    QTEST(state.local_top, "local_top");
    QTEST(state.world_top, "world_top");
    QTEST(state.message, "message");
    QTEST(state.hiperlink, "hiperlink");
    QTEST(state.fsize, "fsize");
    QTEST(shown.show_local, "show_local");
    QTEST(shown.local_text, "local_text");
    QTEST(shown.show_world, "show_world");
    QTEST(shown.world_text, "world_text");
}

void TestRatingExchange::reply_numbers_are_plain_decimals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("digits") << QByteArray("18") << 18;
    QTest::newRow("plus sign") << QByteArray("+18") << 18;
    QTest::newRow("minus sign") << QByteArray("-18") << -18;
    QTest::newRow("leading zeros") << QByteArray("007") << 7;
    QTest::newRow("spaces around") << QByteArray("  18  ") << 18;
    QTest::newRow("line breaks and tabs around") << QByteArray("\r\n\t18\t\r\n") << 18;
    QTest::newRow("no-break space around") << QByteArray("&#160;18&#160;") << 18;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("beyond 32 bits") << QByteArray("2147483648") << 0;
    QTest::newRow("below 32 bits") << QByteArray("-2147483649") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("white space only") << QByteArray("   ") << 0;
    QTest::newRow("sign only") << QByteArray("-") << 0;
    QTest::newRow("space after sign") << QByteArray("- 18") << 0;
    QTest::newRow("two signs") << QByteArray("--18") << 0;
    QTest::newRow("space inside") << QByteArray("1 8") << 0;
    QTest::newRow("trailing letter") << QByteArray("18a") << 0;
    QTest::newRow("letter l") << QByteArray("l") << 0;
    QTest::newRow("hexadecimal") << QByteArray("0x12") << 0;
    QTest::newRow("decimal point") << QByteArray("18.0") << 0;
    QTest::newRow("exponent") << QByteArray("1e3") << 0;
    QTest::newRow("group separator") << QByteArray("1,800") << 0;
    QTest::newRow("full-width digits") << QByteArray("\xef\xbc\x91\xef\xbc\x98") << 0;
    QTest::newRow("Arabic-Indic digits") << QByteArray("\xd9\xa1\xd9\xa8") << 0;
}

void TestRatingExchange::reply_numbers_are_plain_decimals()
{
    QFETCH(QByteArray, text);

    GameState state;
    state.fsize = 99;
    apply_reply("<r><fsize>" + text + "</fsize></r>", state);
    QTEST(state.fsize, "value");
}

void TestRatingExchange::only_web_links_are_openable_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("openable");

    QTest::newRow("http") << QStringLiteral("http://rating.example/top?id=5") << true;
    QTest::newRow("https") << QStringLiteral("https://rating.example/") << true;
    QTest::newRow("upper-case scheme") << QStringLiteral("HTTP://RATING.EXAMPLE/") << true;
    QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
    QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)") << false;
    QTest::newRow("ftp") << QStringLiteral("ftp://rating.example/") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("relative") << QStringLiteral("top/list.html") << false;
    QTest::newRow("scheme-relative") << QStringLiteral("//rating.example/top") << false;
    QTest::newRow("http without host") << QStringLiteral("http:///top") << false;
}

void TestRatingExchange::only_web_links_are_openable()
{
    QFETCH(QString, link);
    QTEST(is_openable_link(QUrl(link, QUrl::TolerantMode)), "openable");
}

QTEST_GUILESS_MAIN(TestRatingExchange)
#include "tst_rating_exchange.moc"
