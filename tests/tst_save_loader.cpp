// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/gamestate.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/genuinekey.h"
#include "support/sanitizer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <limits>

namespace {

QByteArray document(const QByteArray &body)
{
    return "<quiverbolt_data>" + body + "</quiverbolt_data>";
}

// A save with record 120, score 57 and a key the game could have made for them.
QByteArray tops_120_57(const QByteArray &key = genuine_key(120, 57, 1).toLatin1())
{
    return "<current_top>57</current_top><your_top>120</your_top><key>" + key + "</key>";
}

QVariant field_value(const GameState &state, const QString &name)
{
    if (name == QLatin1String("name"))
        return state.name;
    if (name == QLatin1String("location"))
        return state.location;
    if (name == QLatin1String("sex"))
        return state.sex;
    if (name == QLatin1String("tosend"))
        return state.tosend;
    if (name == QLatin1String("key"))
        return state.key;
    if (name == QLatin1String("message"))
        return state.message;
    if (name == QLatin1String("hiperlink"))
        return state.hiperlink;
    if (name == QLatin1String("num"))
        return state.num;
    if (name == QLatin1String("fsize"))
        return state.fsize;
    if (name == QLatin1String("sec"))
        return state.sec;
    if (name == QLatin1String("alt"))
        return double(state.alt);
    return QStringLiteral("(no such field)");
}

// Peak resident memory of this process in KiB, reset first when the kernel allows.
qint64 peak_rss_kib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void reset_peak_rss()
{
    QFile clear_refs(QStringLiteral("/proc/self/clear_refs"));
    if (clear_refs.open(QIODevice::WriteOnly))
        clear_refs.write("5");
}

bool write_repeated(const QString &path, const QByteArray &prefix, const QByteArray &unit,
                    qint64 repeat, const QByteArray &suffix)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(prefix) != prefix.size())
        return false;
    if (!unit.isEmpty() && repeat > 0) {
        const qint64 per_block = std::clamp<qint64>((1 << 20) / unit.size(), 1, repeat);
        const QByteArray block = unit.repeated(int(per_block));
        qint64 left = repeat;
        while (left >= per_block) {
            if (file.write(block) != block.size())
                return false;
            left -= per_block;
        }
        const QByteArray rest = unit.repeated(int(left));
        if (file.write(rest) != rest.size())
            return false;
    }
    return file.write(suffix) == suffix.size();
}

constexpr qint64 megabytes = 1000 * 1000;

// What reading any of the files below may add to the peak, against files of 30 to
// 100 MB. AddressSanitizer keeps freed memory aside for a while, so it needs more.
#ifdef QUIVERBOLT_ASAN
constexpr qint64 peak_growth_limit_kib = 32 * 1024;
#else
constexpr qint64 peak_growth_limit_kib = 16 * 1024;
#endif

} // namespace

#ifdef QUIVERBOLT_ASAN
// AddressSanitizer holds freed memory back, 256 MB of it by default, and that
// counts in the peak; a small hold keeps the peak about the loader.
extern "C" const char *__asan_default_options()
{
    return "quarantine_size_mb=8";
}
#endif

class TestSaveLoader : public QObject
{
    Q_OBJECT

private slots:
    void key_check_decides_the_tops_data();
    void key_check_decides_the_tops();
    void rating_places_show_their_text_data();
    void rating_places_show_their_text();
    void absent_places_leave_labels_and_state_alone();
    void reads_texts_and_numbers_data();
    void reads_texts_and_numbers();
    void survives_any_input_data();
    void survives_any_input();
};

void TestSaveLoader::key_check_decides_the_tops_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("rejected");
    QTest::addColumn<int>("your_top");
    QTest::addColumn<int>("current_top");
    QTest::addColumn<QString>("record_text");
    QTest::addColumn<QString>("score_text");

    QTest::newRow("first-run document")
        << first_run_document() << true << 0 << 0 << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("genuine key") << document(tops_120_57()) << false << 120 << 57
                                 << QStringLiteral("120") << QStringLiteral("57");
    QTest::newRow("genuine key from the last draw span")
        << document(tops_120_57(genuine_key(120, 57, 9).toLatin1())) << false << 120 << 57
        << QStringLiteral("120") << QStringLiteral("57");
    QTest::newRow("record edited by hand")
        << document(tops_120_57()).replace("<your_top>120<", "<your_top>999<") << true << 0 << 0
        << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("key in upper case")
        << document(tops_120_57(genuine_key(120, 57, 1).toLatin1().toUpper())) << true << 0 << 0
        << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("key removed") << document(
                                        "<current_top>57</current_top><your_top>120</your_top>")
                                 << true << 0 << 0 << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("key with a span no draw gives")
        << document(tops_120_57(genuine_key(120, 57, 10).toLatin1())) << true << 0 << 0
        << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("key padded with white space")
        << document(tops_120_57(" " + genuine_key(120, 57, 1).toLatin1())) << true << 0 << 0
        << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("record with leading zeros")
        << document("<your_top>007</your_top><current_top>0</current_top><key>" +
                    genuine_key(7, 0, 3).toLatin1() + "</key>")
        << false << 7 << 0 << QStringLiteral("007") << QStringLiteral("0");
    QTest::newRow("white space around the digits")
        << document("<your_top> 120\n</your_top><current_top>\t57 </current_top><key>" +
                    genuine_key(120, 57, 0).toLatin1() + "</key>")
        << false << 120 << 57 << QStringLiteral(" 120\n") << QStringLiteral("\t57 ");
    QTest::newRow("negative tops with their key")
        << document("<your_top>-5</your_top><current_top>-3</current_top><key>" +
                    genuine_key(-5, -3, 4).toLatin1() + "</key>")
        << false << -5 << -3 << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("only a key, made for zeros")
        << document("<key>" + genuine_key(0, 0, 2).toLatin1() + "</key>") << false << 0 << 0 << QString()
        << QString();
    QTest::newRow("any order, any depth")
        << QByteArray("<save><a><key>" + genuine_key(120, 57, 5).toLatin1() +
                      "</key></a><current_top>57</current_top><b><c><your_top>120</your_top>"
                      "</c></b></save>")
        << false << 120 << 57 << QStringLiteral("120") << QStringLiteral("57");
    QTest::newRow("last occurrence counts")
        << document(tops_120_57() + "<your_top>121</your_top>") << true << 0 << 0
        << QStringLiteral("-") << QStringLiteral("-");
}

void TestSaveLoader::key_check_decides_the_tops()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, rejected);
    QFETCH(int, your_top);
    QFETCH(int, current_top);
    QFETCH(QString, record_text);
    QFETCH(QString, score_text);

    GameState state;
    const LoadedSave loaded = load_document(bytes, state);
    QCOMPARE(loaded.key_rejected, rejected);
    QCOMPARE(state.your_top, your_top);
    QCOMPARE(state.current_top, current_top);
    QCOMPARE(loaded.record_text, record_text);
    QCOMPARE(loaded.score_text, score_text);
}

void TestSaveLoader::rating_places_show_their_text_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("label");

    const auto both = [](const QByteArray &text) {
        return "<local_top>" + text + "</local_top><world_top>" + text + "</world_top>";
    };
    QTest::newRow("nothing reported") << both("-1") << -1 << QStringLiteral("-");
    QTest::newRow("place 12") << both("12") << 12 << QStringLiteral("12");
    QTest::newRow("zero") << both("0") << 0 << QStringLiteral("0");
    QTest::newRow("first-run dash") << both("-") << 0 << QStringLiteral("-");
    QTest::newRow("empty") << both("") << 0 << QString();
    QTest::newRow("white space kept in the label")
        << both(" 12\n") << 12 << QStringLiteral(" 12\n");
    QTest::newRow("beyond 32 bits") << both("4294967296") << 0 << QStringLiteral("4294967296");
    QTest::newRow("lowest") << both("-2147483648") << std::numeric_limits<int>::min()
                            << QStringLiteral("-");
    QTest::newRow("leading zeros") << both("0012") << 12 << QStringLiteral("0012");
    QTest::newRow("last occurrence counts") << both("3") + both("-7") << -7 << QStringLiteral("-");
}

void TestSaveLoader::rating_places_show_their_text()
{
    QFETCH(QByteArray, body);
    QFETCH(int, place);
    QFETCH(QString, label);

    GameState state;
    const LoadedSave loaded = load_document(document(body), state);
    QCOMPARE(state.local_top, place);
    QCOMPARE(state.world_top, place);
    QVERIFY(loaded.local_top_text.has_value());
    QVERIFY(loaded.world_top_text.has_value());
    QCOMPARE(*loaded.local_top_text, label);
    QCOMPARE(*loaded.world_top_text, label);
}

void TestSaveLoader::absent_places_leave_labels_and_state_alone()
{
    GameState state;
    const LoadedSave loaded = load_document(document(tops_120_57()), state);
    QVERIFY(!loaded.local_top_text.has_value());
    QVERIFY(!loaded.world_top_text.has_value());
    QCOMPARE(state.local_top, -1);
    QCOMPARE(state.world_top, -1);
}

void TestSaveLoader::reads_texts_and_numbers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");

    const QByteArray first_run = first_run_document();
    QTest::newRow("first run: tosend from the letter l")
        << first_run << QStringLiteral("tosend") << QVariant(0);
    QTest::newRow("first run: name") << first_run << QStringLiteral("name") << QVariant(QString());
    QTest::newRow("first run: sex")
        << first_run << QStringLiteral("sex") << QVariant(QStringLiteral("m"));
    QTest::newRow("first run: message")
        << first_run << QStringLiteral("message") << QVariant(QString());
    QTest::newRow("first run: fsize stays") << first_run << QStringLiteral("fsize") << QVariant(20);
    QTest::newRow("tosend") << document("<tosend>2</tosend>") << QStringLiteral("tosend")
                            << QVariant(2);
    QTest::newRow("tosend with white space")
        << document("<tosend>\n 2 \t</tosend>") << QStringLiteral("tosend") << QVariant(2);
    QTest::newRow("tosend beyond 32 bits")
        << document("<tosend>2147483648</tosend>") << QStringLiteral("tosend") << QVariant(0);
    QTest::newRow("tosend in hexadecimal")
        << document("<tosend>0x2</tosend>") << QStringLiteral("tosend") << QVariant(0);
    QTest::newRow("sex") << document("<sex>w</sex>") << QStringLiteral("sex")
                         << QVariant(QStringLiteral("w"));
    QTest::newRow("location") << document("<location>Oslo</location>") << QStringLiteral("location")
                              << QVariant(QStringLiteral("Oslo"));
    QTest::newRow("key kept as stored")
        << document("<key>ABC</key>") << QStringLiteral("key") << QVariant(QStringLiteral("ABC"));
    QTest::newRow("two messages, the second wins")
        << document("<message>first</message><message>second</message>")
        << QStringLiteral("message") << QVariant(QStringLiteral("second"));
    QTest::newRow("an empty later name wins")
        << document("<name>Bo</name><name/>") << QStringLiteral("name") << QVariant(QString());
    QTest::newRow("name nested in another element")
        << document("<player><details><name>Bo</name></details></player>") << QStringLiteral("name")
        << QVariant(QStringLiteral("Bo"));
    QTest::newRow("escaped name") << document("<name>Anna &amp; &lt;Bo></name>")
                                  << QStringLiteral("name")
                                  << QVariant(QStringLiteral("Anna & <Bo>"));
    QTest::newRow("character references")
        << document("<name>&#1040;&#x43D;na</name>") << QStringLiteral("name")
        << QVariant(QString::fromUtf8("\xd0\x90\xd0\xbd"
                                      "na"));
    QTest::newRow("UTF-8 name") << document("<name>\xd0\x90\xd0\xbd\xd0\xbd\xd0\xb0</name>")
                                << QStringLiteral("name")
                                << QVariant(QString::fromUtf8("\xd0\x90\xd0\xbd\xd0\xbd\xd0\xb0"));
    QTest::newRow("CDATA") << document("<name><![CDATA[<Bo>]]></name>") << QStringLiteral("name")
                           << QVariant(QStringLiteral("<Bo>"));
    QTest::newRow("comment inside the text")
        << document("<name>Bo<!-- x -->b</name>") << QStringLiteral("name")
        << QVariant(QStringLiteral("Bob"));
    QTest::newRow("quoted \">\" in an attribute") << document("<name a='>' b=\"x>y\">Bo</name>")
                                               << QStringLiteral("name") << QVariant(QStringLiteral("Bo"));
    QTest::newRow("attributes ignored") << document("<name lang=\"no\">Bo</name>")
                                        << QStringLiteral("name") << QVariant(QStringLiteral("Bo"));
    QTest::newRow("names are case-sensitive")
        << document("<Name>Bo</Name>") << QStringLiteral("name") << QVariant(QString());
    QTest::newRow("root name does not matter")
        << QByteArray("<other><name>Bo</name></other>") << QStringLiteral("name")
        << QVariant(QStringLiteral("Bo"));
    QTest::newRow("num not read") << document("<num>5</num>") << QStringLiteral("num")
                                  << QVariant(0);
    QTest::newRow("fsize not read")
        << document("<fsize>18</fsize>") << QStringLiteral("fsize") << QVariant(20);
    QTest::newRow("hiperlink not read") << document("<hiperlink>http://x/</hiperlink>")
                                        << QStringLiteral("hiperlink") << QVariant(QString());
    QTest::newRow("sec not read") << document("<sec>33</sec>") << QStringLiteral("sec")
                                  << QVariant(0.0);
    QTest::newRow("alt not read") << document("<alt>2.5</alt>") << QStringLiteral("alt")
                                  << QVariant(0.0);
}

void TestSaveLoader::reads_texts_and_numbers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, field);
    QFETCH(QVariant, value);

    GameState state;
    load_document(bytes, state);
    QCOMPARE(field_value(state, field), value);
}

void TestSaveLoader::survives_any_input_data()
{
    // The file is prefix, then unit repeated, then suffix. Name is what the
    // loader must have read before the input went wrong; a null one is not checked.
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("unit");
    QTest::addColumn<qint64>("repeat");
    QTest::addColumn<QByteArray>("suffix");
    QTest::addColumn<bool>("rejected");
    QTest::addColumn<QString>("name");

    const QByteArray root = "<quiverbolt_data>";
    const QByteArray named = root + "<name>Bo</name>";
    const QString bo = QStringLiteral("Bo");
    const QString nothing = QStringLiteral("");

    QTest::newRow("empty") << QByteArray() << QByteArray() << qint64(0) << QByteArray() << true
                           << nothing;
    QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (int c = 0; c < 256; ++c)
        binary += char(c);
    QTest::newRow("binary") << binary << QByteArray() << qint64(0) << QByteArray() << true
                            << nothing;
    QTest::newRow("not XML") << QByteArray("your_top=120\ncurrent_top=57\n") << QByteArray()
                             << qint64(0) << QByteArray() << true << nothing;
    QTest::newRow("cut in the middle of an element")
        << named + "<current_top>57</current_top><your_top>12" << QByteArray() << qint64(0)
        << QByteArray() << true << bo;
    QTest::newRow("cut after a genuine key")
        << named + tops_120_57() + "<message>hel" << QByteArray() << qint64(0) << QByteArray()
        << false << bo;
    QTest::newRow("second root element")
        << named + "</quiverbolt_data><quiverbolt_data><name>X</name>" + tops_120_57()
        << QByteArray() << qint64(0) << QByteArray("</quiverbolt_data>") << true << bo;
    QTest::newRow("a matched element holding an element")
        << root + "<name>Bo<b>x</b>b</name>" + tops_120_57() << QByteArray() << qint64(0)
        << QByteArray("</quiverbolt_data>") << true << bo;
    QTest::newRow("undeclared entity")
        << root + "<name>Bo&nbsp;b</name>" + tops_120_57() << QByteArray() << qint64(0)
        << QByteArray("</quiverbolt_data>") << true << bo;
    QTest::newRow("internal entity")
        << "<!DOCTYPE quiverbolt_data [<!ENTITY n \"Bo\">]>" + root + "<name>&n;</name>" +
               tops_120_57()
        << QByteArray() << qint64(0) << QByteArray("</quiverbolt_data>") << true << nothing;
    QByteArray laughs = "<!DOCTYPE quiverbolt_data [<!ENTITY l0 \"ha\">";
    for (int level = 1; level < 10; ++level) {
        laughs += "<!ENTITY l" + QByteArray::number(level) + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += "&l" + QByteArray::number(level - 1) + ';';
        laughs += "\">";
    }
    laughs += "]>";
    QTest::newRow("billion laughs")
        << laughs + root + "<name>&l9;</name>" + tops_120_57() << QByteArray() << qint64(0)
        << QByteArray("</quiverbolt_data>") << true << nothing;
    QTest::newRow("name a hundred levels deep")
        << root << QByteArray("<a>") << qint64(100) << QByteArray("<name>Bo</name>") << true << bo;
    QTest::newRow("deeply nested")
        << named << QByteArray("<a>") << qint64(10 * megabytes) << QByteArray() << true << bo;
    QTest::newRow("huge, of many small elements")
        << root << QByteArray("<message>x</message>") << qint64(5 * megabytes)
        << "<name>Bo</name>" + tops_120_57() + "</quiverbolt_data>" << false << bo;
    QTest::newRow("huge text between elements")
        << named + "<junk>" << QByteArray("xxxxxxxxxx") << qint64(4 * megabytes)
        << "</junk><name>X</name>" + tops_120_57() + "</quiverbolt_data>" << true << bo;
    QTest::newRow("huge name") << root + "<name>" << QByteArray("xxxxxxxxxx")
                               << qint64(4 * megabytes) << "</name>" + tops_120_57() << true
                               << nothing;
    QTest::newRow("huge name in pieces")
        << root + "<name>" << QByteArray("xxxxxxxx<!---->") << qint64(2 * megabytes)
        << "</name>" + tops_120_57() << true << QString();
    QTest::newRow("huge comment") << named + "<!--" << QByteArray("<a> ") << qint64(10 * megabytes)
                                  << "-->" + tops_120_57() + "</quiverbolt_data>" << true << bo;
    QTest::newRow("huge start tag") << named + "<a" << QByteArray(" b=''") << qint64(8 * megabytes)
                                    << "/>" + tops_120_57() + "</quiverbolt_data>" << true << bo;
    // A ">" inside an attribute value does not end the tag, so the tag
    // limit must still hold; each attribute a distinct name.
    QByteArray quoted_closers = named + "<a";
    for (int i = 0; quoted_closers.size() < megabytes; ++i)
        quoted_closers += " a" + QByteArray::number(i) + "='>'";
    QTest::newRow("a megabyte of attributes quoting \">\"")
        << quoted_closers << QByteArray() << qint64(0)
        << "/>" + tops_120_57() + "</quiverbolt_data>" << true << bo;
    QByteArray many_attributes = named + "<a";
    for (int i = 0; i < 33; ++i)
        many_attributes += " a" + QByteArray::number(i) + "=\"\"";
    QTest::newRow("33 attributes in a short tag")
        << many_attributes << QByteArray() << qint64(0)
        << "/>" + tops_120_57() + "</quiverbolt_data>" << true << bo;
}

void TestSaveLoader::survives_any_input()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, unit);
    QFETCH(qint64, repeat);
    QFETCH(QByteArray, suffix);
    QFETCH(bool, rejected);
    QFETCH(QString, name);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quiverbolt.save"));
    QVERIFY(write_repeated(path, prefix, unit, repeat, suffix));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));

    reset_peak_rss();
    const qint64 peak_before = peak_rss_kib();
    GameState state;
    const LoadedSave loaded = read_save(&file, state);
    const qint64 growth_kib = peak_rss_kib() - peak_before;

    QCOMPARE(loaded.key_rejected, rejected);
    QCOMPARE(state.your_top, rejected ? 0 : 120);
    QCOMPARE(state.current_top, rejected ? 0 : 57);
    if (!name.isNull())
        QCOMPARE(state.name, name);
    // What the loader holds does not grow with the file.
    QVERIFY2(
        growth_kib < peak_growth_limit_kib,
        qPrintable(
            QStringLiteral("peak grew by %1 KiB for %2 bytes").arg(growth_kib).arg(file.size())));
}

QTEST_GUILESS_MAIN(TestSaveLoader)
#include "tst_save_loader.moc"
