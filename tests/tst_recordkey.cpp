// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/recordkey.h"

#include <QSet>
#include <QtTest>

#include <cstdlib>

// Expected digests were taken from coreutils' md5sum, not from this code.
class TestRecordKey : public QObject
{
    Q_OBJECT

private slots:
    void md5_of_empty_text_is_digest_of_zero_bytes();
    void md5_hashes_utf8_bytes_in_lower_case();
    void draw_digits_give_span_and_square_text_data();
    void draw_digits_give_span_and_square_text();
    void key_from_draw_is_text_followed_by_digest_of_square();
    void make_key_uses_exactly_one_draw();
    void candidate_keys_are_the_ten_spans();
    void candidate_keys_are_genuine();
    void altered_keys_are_not_genuine_data();
    void altered_keys_are_not_genuine();
    void repeated_keeps_give_varying_genuine_keys();
    void key_text_is_used_character_for_character();
};

void TestRecordKey::md5_of_empty_text_is_digest_of_zero_bytes()
{
    QCOMPARE(md5_hex(QString()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    QCOMPARE(md5_hex(QStringLiteral("")), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
}

void TestRecordKey::md5_hashes_utf8_bytes_in_lower_case()
{
    QCOMPARE(md5_hex(QStringLiteral("9801")), QStringLiteral("b7b58836dc941cc4ba33d16dab6e3059"));
    QCOMPARE(md5_hex(QString::fromUtf8("h\xc3\xa9llo")),
             QStringLiteral("be50e8478cf24ff3595bc7307fb91b50"));
}

void TestRecordKey::draw_digits_give_span_and_square_text_data()
{
    QTest::addColumn<int>("draw");
    QTest::addColumn<int>("span");
    QTest::addColumn<QString>("square");

    QTest::newRow("first and third differ by one") << 1804289383 << 1 << QStringLiteral("9801");
    QTest::newRow("largest draw") << 2147483647 << 2 << QStringLiteral("39204");
    QTest::newRow("third repeats first, 2 stands in") << 1213 << 1 << QStringLiteral("9801");
    QTest::newRow("third repeats first 2") << 2025 << 0 << QStringLiteral("0");
    QTest::newRow("two digits") << 57 << 3 << QStringLiteral("88209");
    QTest::newRow("one digit") << 7 << 5 << QStringLiteral("245025");
    QTest::newRow("widest span") << 950 << 9 << QStringLiteral("793881");
}

void TestRecordKey::draw_digits_give_span_and_square_text()
{
    QFETCH(int, draw);
    QFETCH(int, span);
    QFETCH(QString, square);

    QCOMPARE(key_digit_span(draw), span);
    QCOMPARE(key_square_text(draw), square);
}

void TestRecordKey::key_from_draw_is_text_followed_by_digest_of_square()
{
    const QString text = QStringLiteral("57-57-31-31");
    QCOMPARE(make_key_from_draw(text, 1804289383),
             text + QStringLiteral("b7b58836dc941cc4ba33d16dab6e3059"));
    QCOMPARE(make_key_from_draw(text, 2147483647),
             text + QStringLiteral("ad5ba4274138d6f039cc4cc1c14867cf"));
    QCOMPARE(make_key_from_draw(text, 2025),
             text + QStringLiteral("cfcd208495d565ef66e7dff9f98764da"));
    QCOMPARE(make_key_from_draw(text, 57),
             text + QStringLiteral("600c7eed5c685964b1b2fc45324e802c"));
    QCOMPARE(make_key_from_draw(text, 7),
             text + QStringLiteral("c2346e8c2d8127ed78921b5041a385d2"));
}

void TestRecordKey::make_key_uses_exactly_one_draw()
{
    // Seeding here only replays a known sequence; the program itself never seeds.
    std::srand(4242);
    const int first = std::rand();
    const int second = std::rand();

    std::srand(4242);
    const QString text = QStringLiteral("120-120-57-57");
    QCOMPARE(make_key(text), make_key_from_draw(text, first));
    QCOMPARE(std::rand(), second);
}

void TestRecordKey::candidate_keys_are_the_ten_spans()
{
    const QStringList keys = candidate_keys(QStringLiteral("57-57-31-31"));
    QCOMPARE(keys.size(), 10);
    QCOMPARE(QSet<QString>(keys.cbegin(), keys.cend()).size(), 10);
    QVERIFY(keys.contains(QStringLiteral("931ba47449f78a3f6e7d117fb3c7e327")));
    for (const QString &key : keys)
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(key).hasMatch());
}

void TestRecordKey::candidate_keys_are_genuine()
{
    const QString text = QStringLiteral("57-57-31-31");
    for (const QString &key : candidate_keys(text))
        QVERIFY(key_is_genuine(key, text));
    for (const int draw : {1804289383, 2147483647, 1213, 2025, 57, 7, 950, 0})
        QVERIFY(key_is_genuine(md5_hex(make_key_from_draw(text, draw)), text));
}

void TestRecordKey::altered_keys_are_not_genuine_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");

    const QString genuine = QStringLiteral("931ba47449f78a3f6e7d117fb3c7e327");
    const QString text = QStringLiteral("57-57-31-31");
    QString edited = genuine;
    edited[31] = QLatin1Char('8');

    QTest::newRow("upper case") << genuine.toUpper() << text;
    QTest::newRow("one digit edited") << edited << text;
    QTest::newRow("cut short") << genuine.left(31) << text;
    QTest::newRow("trailing space") << genuine + QLatin1Char(' ') << text;
    QTest::newRow("empty key") << QString() << text;
    QTest::newRow("record edited") << genuine << QStringLiteral("58-58-31-31");
    QTest::newRow("score edited") << genuine << QStringLiteral("57-57-30-30");
}

void TestRecordKey::altered_keys_are_not_genuine()
{
    QFETCH(QString, key);
    QFETCH(QString, text);

    QVERIFY(key_is_genuine(QStringLiteral("931ba47449f78a3f6e7d117fb3c7e327"),
                           QStringLiteral("57-57-31-31")));
    QVERIFY(!key_is_genuine(key, text));
}

void TestRecordKey::repeated_keeps_give_varying_genuine_keys()
{
    const QString text = QStringLiteral("57-57-31-31");
    QSet<QString> keys;
    for (int keep = 0; keep < 20; ++keep) {
        const QString key = md5_hex(make_key(text));
        QVERIFY(key_is_genuine(key, text));
        keys.insert(key);
    }
    // One key for twenty draws in a row would mean the draw is not used.
    QVERIFY(keys.size() > 1);
}

void TestRecordKey::key_text_is_used_character_for_character()
{
    const QString plain = QStringLiteral("57-57-31-31");
    const QString padded = QStringLiteral("057-057-031-031");
    const QString key = md5_hex(make_key_from_draw(plain, 1804289383));

    QVERIFY(md5_hex(make_key_from_draw(padded, 1804289383)) != key);
    QVERIFY(key_is_genuine(key, plain));
    QVERIFY(!key_is_genuine(key, padded));
}

QTEST_GUILESS_MAIN(TestRecordKey)
#include "tst_recordkey.moc"
