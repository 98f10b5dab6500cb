// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// An hour of hard shaking, tick by tick: 18,000 ticks with the power above
// zero, each asking the stand-in MCE to keep the screen unlocked, with
// readings arriving through the window's own sensor and filter. Neither the
// process's memory nor the window's objects may grow with the ticks.
#include "app/quiverbolt.h"
#include "game/gamestate.h"
#include "storage/savefile.h"
#include "support/mcepeer.h"
#include "support/scriptedaccelerometer.h"
#include "support/privatebus.h"
#include "support/testhome.h"

#include <QAccelerometer>
#include <QApplication>
#include <QFile>
#include <QSensorManager>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "support/sanitizer.h"
#ifdef QUIVERBOLT_ASAN
#include <sanitizer/allocator_interface.h>
#endif

namespace {

// Five ticks a second for an hour.
constexpr int hour_of_ticks = 5 * 60 * 60;
constexpr int warm_up_ticks = 500;
constexpr int readings_per_tick = 4;
// Ticks played between two looks at MCE. Real ticks come 200 ms apart; the
// test's come as fast as the window takes them, so it lets MCE catch up
// before the bus's limit on unanswered calls per connection is reached.
constexpr int ticks_per_round = 50;
constexpr int peer_timeout_ms = 10000;
// Room for the allocator's and the bus's buffers to settle. A window that
// kept even 100 bytes per tick would grow by 1.7 MB over the hour, an
// object per tick by far more.
constexpr qint64 memory_tolerance_bytes = 1024 * 1024;
constexpr int object_tolerance = 0;

ScriptedAccelerometerFactory factory;

// Live memory of the process: the heap as the sanitizer's allocator counts
// it (it holds freed memory back, which resident memory would show as
// growth), otherwise the resident set.
qint64 memory_in_use()
{
#ifdef QUIVERBOLT_ASAN
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
#endif
}

} // namespace

class TestLongRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void hour_of_shaking_keeps_memory_and_objects_flat();

private:
    bool play_ticks(Quiverbolt &window, ScriptedAccelerometer *driver, int ticks);

    std::unique_ptr<SystemBus> bus;
    std::unique_ptr<TestHome> home;
    McePeer mce{QStringLiteral(MCE_STANDIN)};
    int played = 0;
    int unlock_requests = 0;
};

void TestLongRun::initTestCase()
{
    bus = std::make_unique<SystemBus>();
    QVERIFY2(bus->is_running(), qPrintable(bus->error()));
    home = std::make_unique<TestHome>();
    home->make_current();
    QVERIFY(write_save_file(home->save_path(), first_run_document()));

    factory.make_default(QByteArrayLiteral("quiverbolt.test.accelerometer"));

    QVERIFY2(mce.start(), "the stand-in MCE did not come up");
}

void TestLongRun::cleanupTestCase()
{
    mce.stop();
}

// Each tick as the event loop would run it: the sensor's readings of one
// tick period, the tick, then whatever the bus has brought in meanwhile.
// Every round ends once MCE has taken all of the round's requests; false
// when it does not get them all.
bool TestLongRun::play_ticks(Quiverbolt &window, ScriptedAccelerometer *driver, int ticks)
{
    while (ticks > 0) {
        const int round = qMin(ticks, ticks_per_round);
        for (int tick = 0; tick < round; ++tick, ++played) {
            for (int reading = 0; reading < readings_per_tick; ++reading) {
                // Shaken along y, 15 to 30 m/s² off rest: intensities in the
                // damping band and above it.
                const qreal swing = 15.0 + (played * readings_per_tick + reading) % 16;
                driver->deliver(0.2, (reading % 2 == 0) ? swing : -swing, 9.8);
            }
            window.set_score();
            QCoreApplication::processEvents();
        }
        int taken = 0;
        // Counts the "unlocked" requests MCE has taken since the last clear.
        const auto caught_up = [&] {
            taken = mce.requests().count(QStringLiteral("unlocked"));
            return taken >= round;
        };
        if (!QTest::qWaitFor(caught_up, peer_timeout_ms))
            return false;
        unlock_requests += taken;
        if (!mce.clear_requests())
            return false;
        ticks -= round;
    }
    return true;
}

void TestLongRun::hour_of_shaking_keeps_memory_and_objects_flat()
{
    Quiverbolt window;
    window.show();
    ScriptedAccelerometer *driver = factory.last_made;
    QVERIFY2(driver, "the window's accelerometer did not come to the test's driver");
    // The test is the clock: ticks come as fast as the window takes them.
    auto *tick_timer = window.findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(tick_timer);
    tick_timer->stop();

    QVERIFY(play_ticks(window, driver, warm_up_ticks));
    QVERIFY(game_state().power > 0);
    QCOMPARE(unlock_requests, warm_up_ticks);
    QCoreApplication::processEvents();
    const qint64 memory_after_warm_up = memory_in_use();
    const int objects_after_warm_up = window.findChildren<QObject *>().size();
    QVERIFY(memory_after_warm_up > 0);

    QVERIFY(play_ticks(window, driver, hour_of_ticks - warm_up_ticks));
    QVERIFY(game_state().power > 0);
    // Every tick of the hour asked MCE.
    QCOMPARE(unlock_requests, hour_of_ticks);
    QCoreApplication::processEvents();
    const qint64 memory_at_end = memory_in_use();
    const int objects_at_end = window.findChildren<QObject *>().size();

    QVERIFY2(objects_at_end <= objects_after_warm_up + object_tolerance,
             qPrintable(QStringLiteral("%1 objects after the warm-up, %2 after an hour")
                            .arg(objects_after_warm_up)
                            .arg(objects_at_end)));
    QVERIFY2(memory_at_end <= memory_after_warm_up + memory_tolerance_bytes,
             qPrintable(QStringLiteral("%1 bytes in use after the warm-up, %2 after an hour")
                            .arg(memory_after_warm_up)
                            .arg(memory_at_end)));
    QVERIFY(game_state().sec > hour_of_ticks * 0.2 - 1.0);
}

int main(int argc, char **argv)
{
    // Pixels do not matter, and the machine's sensor plugins would look for
    // their own services on the system bus.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SENSORS_LOAD_PLUGINS", "0");
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    TestLongRun test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_longrun.moc"
