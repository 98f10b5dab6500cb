// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/gamestate.h"
#include "game/recordkey.h"
#include "game/scores.h"
#include "game/tick.h"

#include <QRegularExpression>
#include <QtTest>

#include <cstdlib>

class TestTickAndScores : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void time_label_shows_truncated_seconds_data();
    void time_label_shows_truncated_seconds();
    void power_is_floor_of_window_sum_data();
    void power_is_floor_of_window_sum();
    void slot_index_wraps_from_fifty_to_zero();
    void readings_before_first_tick_count_until_the_51st_tick();
    void restart_leaves_readings_in_filter_slot_data();
    void restart_leaves_readings_in_filter_slot();
    void key_text_joins_record_and_score();
    void keep_score_keeps_power_and_beats_record_data();
    void keep_score_keeps_power_and_beats_record();
    void keeping_twice_draws_a_fresh_key();
    void reset_game_zeroes_game_but_keeps_record_and_filter_slot();
};

void TestTickAndScores::init()
{
    game_state() = GameState{};
}

void TestTickAndScores::time_label_shows_truncated_seconds_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<double>("sec");
    QTest::addColumn<QString>("label");

    QTest::newRow("one tick") << 1 << 0.2 << QStringLiteral("0 sec.");
    QTest::newRow("four ticks") << 4 << 0.8 << QStringLiteral("0 sec.");
    QTest::newRow("five ticks are exactly one second") << 5 << 1.0 << QStringLiteral("1 sec.");
    QTest::newRow("ten ticks fall short of two")
        << 10 << 1.9999999999999998 << QStringLiteral("1 sec.");
    QTest::newRow("fifty ticks fall short of ten")
        << 50 << 9.999999999999996 << QStringLiteral("9 sec.");
}

void TestTickAndScores::time_label_shows_truncated_seconds()
{
    QFETCH(int, ticks);
    QFETCH(double, sec);
    QFETCH(QString, label);

    TickShown shown{};
    for (int i = 0; i < ticks; ++i)
        shown = advance_tick(game_state());

    QCOMPARE(shown.time_text, label);
    // Exact: the lag comes from the last bit.
    QVERIFY2(game_state().sec == sec, qPrintable(QString::number(game_state().sec, 'g', 17)));
}

void TestTickAndScores::power_is_floor_of_window_sum_data()
{
    QTest::addColumn<QVector<float>>("window");
    QTest::addColumn<int>("power");
    QTest::addColumn<bool>("keep_unlocked");

    QTest::newRow("still phone") << QVector<float>{} << 0 << false;
    QTest::newRow("sum below one") << QVector<float>{0.5f, 0.0f, 0.4f} << 0 << false;
    QTest::newRow("sum exactly one") << QVector<float>{1.0f} << 1 << true;
    QTest::newRow("sum of 12.9") << QVector<float>{10.5f, 0.0f, 2.4f} << 12 << true;
    QTest::newRow("spread over the window")
        << QVector<float>{3, 0, 6, 19, 21, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          0, 0, 0, 0,  0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          0, 0, 0, 0,  0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5}
        << 58 << true;
}

void TestTickAndScores::power_is_floor_of_window_sum()
{
    QFETCH(QVector<float>, window);
    QFETCH(int, power);
    QFETCH(bool, keep_unlocked);

    GameState &state = game_state();
    // The first tick opens slot 1 and empties it, so nothing is put there.
    for (int i = 0; i < window.size(); ++i) {
        if (i != 1)
            state.shake_window[i] = window[i];
    }

    const TickShown shown = advance_tick(state);

    QCOMPARE(state.power, power);
    QCOMPARE(shown.power_text, QString::number(power));
    QCOMPARE(shown.keep_unlocked, keep_unlocked);
}

void TestTickAndScores::slot_index_wraps_from_fifty_to_zero()
{
    GameState &state = game_state();
    state.tick_slot = 50;
    state.filter_slot = 50;
    state.shake_window[50] = 3.0f;
    state.shake_window[0] = 5.0f;

    const TickShown shown = advance_tick(state);

    QCOMPARE(state.tick_slot, 0);
    QCOMPARE(state.filter_slot, 0);
    QCOMPARE(state.shake_window[0], 0.0f);
    QCOMPARE(state.shake_window[50], 3.0f);
    QCOMPARE(state.power, 3);
    QCOMPARE(shown.power_text, QStringLiteral("3"));
}

void TestTickAndScores::readings_before_first_tick_count_until_the_51st_tick()
{
    GameState &state = game_state();
    state.shake_window[state.filter_slot] += 4.0f;

    for (int tick = 1; tick <= 50; ++tick) {
        advance_tick(state);
        QCOMPARE(state.tick_slot, tick);
        QCOMPARE(state.power, 4);
    }

    advance_tick(state);
    QCOMPARE(state.tick_slot, 0);
    QCOMPARE(state.filter_slot, 0);
    QCOMPARE(state.power, 0);
}

void TestTickAndScores::restart_leaves_readings_in_filter_slot_data()
{
    QTest::addColumn<int>("slot_at_restart");
    QTest::addColumn<int>("ticks_counted");

    // The reading counts until the tick reopens its slot.
    QTest::newRow("restart right after the wrap") << 0 << 50;
    QTest::newRow("restart while on slot 1") << 1 << 51;
    QTest::newRow("restart while on slot 7") << 7 << 6;
    QTest::newRow("restart while on slot 50") << 50 << 49;
}

void TestTickAndScores::restart_leaves_readings_in_filter_slot()
{
    QFETCH(int, slot_at_restart);
    QFETCH(int, ticks_counted);

    GameState &state = game_state();
    state.tick_slot = slot_at_restart;
    state.filter_slot = slot_at_restart;
    state.shake_window.fill(2.0f);
    state.power = 102;

    reset_game(state);
    QCOMPARE(state.filter_slot, slot_at_restart);
    // A reading between the restart and the next tick, as the filter adds it.
    state.shake_window[state.filter_slot] += 5.0f;

    advance_tick(state);
    QCOMPARE(state.tick_slot, 1);
    QCOMPARE(state.filter_slot, 1);
    int ticks = 1;
    while (state.power == 5 && ticks <= 60) {
        advance_tick(state);
        ++ticks;
    }
    QCOMPARE(state.power, 0);
    QCOMPARE(ticks - 1, ticks_counted);
}

void TestTickAndScores::key_text_joins_record_and_score()
{
    QCOMPARE(key_text(57, 31), QStringLiteral("57-57-31-31"));
    QCOMPARE(key_text(120, 57), QStringLiteral("120-120-57-57"));
    QCOMPARE(key_text(0, 0), QStringLiteral("0-0-0-0"));
}

void TestTickAndScores::keep_score_keeps_power_and_beats_record_data()
{
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("power");
    QTest::addColumn<bool>("beaten");
    QTest::addColumn<int>("new_record");
    QTest::addColumn<QString>("text");

    QTest::newRow("power 0") << 0 << 0 << false << 0 << QStringLiteral("0-0-0-0");
    QTest::newRow("equal to the record")
        << 57 << 57 << false << 57 << QStringLiteral("57-57-57-57");
    QTest::newRow("one above the record")
        << 57 << 58 << true << 58 << QStringLiteral("58-58-58-58");
    QTest::newRow("below the record") << 57 << 31 << false << 57 << QStringLiteral("57-57-31-31");
    QTest::newRow("negative record") << -1 << 0 << true << 0 << QStringLiteral("0-0-0-0");
}

void TestTickAndScores::keep_score_keeps_power_and_beats_record()
{
    QFETCH(int, record);
    QFETCH(int, power);
    QFETCH(bool, beaten);
    QFETCH(int, new_record);
    QFETCH(QString, text);

    GameState &state = game_state();
    state.your_top = record;
    state.current_top = 99;
    state.power = power;

    QCOMPARE(keep_score(state), beaten);
    QCOMPARE(state.current_top, power);
    QCOMPARE(state.your_top, new_record);
    QCOMPARE(state.power, power);
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(state.key).hasMatch());
    QVERIFY(key_is_genuine(state.key, text));
}

void TestTickAndScores::keeping_twice_draws_a_fresh_key()
{
    // Replay a known stretch of the C library's sequence whose two draws give
    // different keys. Seeding here is the test's doing; the game never seeds.
    unsigned seed = 1;
    int first = 0;
    int second = 0;
    for (;; ++seed) {
        std::srand(seed);
        first = std::rand();
        second = std::rand();
        if (key_digit_span(first) != key_digit_span(second))
            break;
    }
    const QString text = QStringLiteral("57-57-57-57");

    GameState &state = game_state();
    state.your_top = 57;
    state.power = 57;
    std::srand(seed);
    keep_score(state);
    const QString first_key = state.key;
    keep_score(state);

    QCOMPARE(first_key, md5_hex(make_key_from_draw(text, first)));
    QCOMPARE(state.key, md5_hex(make_key_from_draw(text, second)));
    QVERIFY(state.key != first_key);
    QVERIFY(key_is_genuine(first_key, text));
    QVERIFY(key_is_genuine(state.key, text));
}

void TestTickAndScores::reset_game_zeroes_game_but_keeps_record_and_filter_slot()
{
    GameState &state = game_state();
    state.shake_window.fill(3.0f);
    state.tick_slot = 23;
    state.filter_slot = 23;
    state.power = 153;
    state.sec = 41.2;
    state.current_top = 120;
    state.your_top = 153;
    state.key = QStringLiteral("0123456789abcdef0123456789abcdef");
    state.intensity = 6;

    reset_game(state);

    QCOMPARE(state.shake_window, (std::array<float, GameState::slot_count>{}));
    QCOMPARE(state.tick_slot, 0);
    QCOMPARE(state.power, 0);
    QCOMPARE(state.sec, 0.0);
    QCOMPARE(state.current_top, 0);
    QCOMPARE(state.filter_slot, 23);
    QCOMPARE(state.your_top, 153);
    // The key is made again when the zero score is kept.
    QCOMPARE(state.key, QStringLiteral("0123456789abcdef0123456789abcdef"));
    QCOMPARE(state.intensity, 6);
}

QTEST_GUILESS_MAIN(TestTickAndScores)
#include "tst_tick_and_scores.moc"
