// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// One tick of the power meter: the arithmetic alone, and the window's
// set_score with its two widget texts and, above zero power, the MCE request.
#include "app/quiverbolt.h"
#include "benchfixture.h"
#include "game/gamestate.h"
#include "game/tick.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

namespace {

// Fills the shake window so that the tick's sum gives about this power; a
// tick clears only one slot, so the power stays put for a while.
void fill_window(GameState &state, int power)
{
    state.shake_window.fill(static_cast<float>(power) / GameState::slot_count);
}

} // namespace

class bench_tick : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void advance_one_tick_data();
    void advance_one_tick();
    void window_set_score_data();
    void window_set_score();
};

void bench_tick::init()
{
    game_state() = GameState{};
}

void bench_tick::advance_one_tick_data()
{
    QTest::addColumn<int>("power");

    QTest::newRow("power 0") << 0;
    QTest::newRow("power above 0") << 1000;
}

void bench_tick::advance_one_tick()
{
    QFETCH(int, power);

    GameState &state = game_state();
    int tick = 0;
    QBENCHMARK
    {
        // Refilled every window's length, so the power changes now and then.
        if (tick++ % GameState::slot_count == 0)
            fill_window(state, power);
        advance_tick(state);
    }
    QCOMPARE(state.power > 0, power > 0);
}

void bench_tick::window_set_score_data()
{
    advance_one_tick_data();
}

void bench_tick::window_set_score()
{
    QFETCH(int, power);

    Quiverbolt window;
    window.show();
    // The benchmark is the clock now.
    window.findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly)->stop();
    QCoreApplication::processEvents();

    GameState &state = game_state();
    int tick = 0;
    QBENCHMARK
    {
        if (tick++ % GameState::slot_count == 0)
            fill_window(state, power);
        window.set_score();
    }
    QCOMPARE(state.power > 0, power > 0);
}

int main(int argc, char **argv)
{
    QuietWindowEnvironment environment;
    if (!environment.is_ready())
        qFatal("cannot prepare a home with a save file");
    QApplication app(argc, argv);
    bench_tick bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_tick.moc"
