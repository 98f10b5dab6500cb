// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/gamestate.h"
#include "game/smoothedaccelerometerfilter.h"
#include "support/scriptedaccelerometer.h"

#include <QAccelerometer>
#include <QSensorManager>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

constexpr char backend_id[] = "quiverbolt.test.accelerometer";

// The smoothing threshold as the sensor stack sees it in single precision,
// and the largest float below it.
const float threshold = 0.196133f;
const float below_threshold = std::nextafterf(threshold, 0.0f);
ScriptedAccelerometerFactory factory;

// A started accelerometer with a fresh shake filter in its chain.
struct FilteredSensor
{
    FilteredSensor()
    {
        sensor.setIdentifier(backend_id);
        sensor.addFilter(&filter);
        factory.last_made = nullptr;
        if (sensor.connectToBackend())
            backend = factory.last_made;
        sensor.start();
    }

    void deliver(qreal x, qreal y, qreal z) { backend->deliver(x, y, z); }
    const QAccelerometerReading *passed_on() { return sensor.reading(); }

    QAccelerometer sensor;
    smoothedaccelerometerfilter filter{game_state()}; // declared after the sensor: leaves its chain first
    ScriptedAccelerometer *backend = nullptr;
};

// Exact comparison: QCOMPARE on floating point is fuzzy, and the last bit
// matters here. Seventeen digits tell any two doubles apart.
QString bits(double value)
{
    return QString::number(value, 'g', 17);
}

} // namespace

class TestFilter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void damping_curve_covers_four_to_twenty_data();
    void damping_curve_covers_four_to_twenty();
    void intensity_is_whole_distance_from_gravity_data();
    void intensity_is_whole_distance_from_gravity();
    void reading_adds_its_damped_intensity_data();
    void reading_adds_its_damped_intensity();
    void first_reading_is_never_smoothed();
    void small_changes_are_smoothed_on_all_axes_or_none_data();
    void small_changes_are_smoothed_on_all_axes_or_none();
    void smoothed_value_becomes_the_previous_reading();
    void readings_between_ticks_add_into_the_same_slot();
    void filter_adds_into_the_slot_the_tick_opened();
};

void TestFilter::initTestCase()
{
    QSensorManager::registerBackend(QAccelerometer::type, backend_id, &factory);
    FilteredSensor probe;
    QVERIFY2(probe.backend, "the scripted accelerometer driver did not attach");
}

void TestFilter::init()
{
    game_state() = GameState{};
}

void TestFilter::damping_curve_covers_four_to_twenty_data()
{
    QTest::addColumn<int>("intensity");
    QTest::addColumn<int>("damped");

    const int curve[] = {3, 4, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10, 12, 13, 15, 17, 19};
    for (int i = 0; i <= 3; ++i)
        QTest::addRow("%d below the band", i) << i << i;
    for (int i = 4; i <= 20; ++i)
        QTest::addRow("%d in the band", i) << i << curve[i - 4];
    for (int i : {21, 22, 30, 100})
        QTest::addRow("%d above the band", i) << i << i;
}

void TestFilter::damping_curve_covers_four_to_twenty()
{
    QFETCH(int, intensity);
    QFETCH(int, damped);

    QCOMPARE(damped_intensity(intensity), damped);
}

void TestFilter::intensity_is_whole_distance_from_gravity_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("z");
    QTest::addColumn<int>("intensity");

    QTest::newRow("still phone") << 0.0f << 0.0f << 9.8f << 0;
    QTest::newRow("free fall") << 0.0f << 0.0f << 0.0f << 9;
    QTest::newRow("magnitude 7 on three axes") << 2.0f << 3.0f << 6.0f << 2;
    QTest::newRow("magnitude 17 on three axes") << 8.0f << 9.0f << 12.0f << 7;
    QTest::newRow("magnitude 15 on three axes") << 2.0f << 10.0f << 11.0f << 5;
    QTest::newRow("negative axes") << -8.0f << -9.0f << -12.0f << 7;
    // Each of these lies within a millionth of a whole number: a magnitude
    // worked out in single precision, or gravity taken as the float 9.8f,
    // lands on the other side of it.
    QTest::newRow("just above 7") << 0.74f << 1.99f << 16.6653023f << 7;
    QTest::newRow("just below 7 in free fall") << -0.56f << 0.31f << 2.72585773f << 6;
    QTest::newRow("just below 20") << -0.29f << 0.36f << 29.7964134f << 19;
    QTest::newRow("just below 2 in free fall") << -2.97f << -2.49f << 6.76897335f << 1;
}

void TestFilter::intensity_is_whole_distance_from_gravity()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, z);
    QFETCH(int, intensity);

    QCOMPARE(shake_intensity(x, y, z), intensity);
}

void TestFilter::reading_adds_its_damped_intensity_data()
{
    QTest::addColumn<qreal>("x");
    QTest::addColumn<qreal>("y");
    QTest::addColumn<qreal>("z");
    QTest::addColumn<int>("intensity");

    // Halfway between whole distances from 9.8, so the truncation is clear.
    const int curve[] = {3, 4, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10, 12, 13, 15, 17, 19};
    for (int i = 4; i <= 20; ++i)
        QTest::addRow("shaken by %d", i) << 0.0 << 0.0 << 9.8 + i + 0.5 << curve[i - 4];
    QTest::newRow("shaken by 3") << 0.0 << 0.0 << 13.3 << 3;
    QTest::newRow("shaken by 21") << 0.0 << 0.0 << 31.3 << 21;
    QTest::newRow("shaken by 22") << 0.0 << 0.0 << 32.3 << 22;
    QTest::newRow("pulled below gravity by 5") << 0.0 << 0.0 << 4.3 << 4;
    QTest::newRow("pulled below gravity by 8") << 0.0 << -1.3 << 0.0 << 5;

    QTest::newRow("still phone") << 0.02 << -0.05 << 9.79 << 0;
    QTest::newRow("free fall") << 0.0 << 0.0 << 0.0 << 6;
    QTest::newRow("deviation 3.99") << 0.0 << 0.0 << 13.79 << 3;
    QTest::newRow("deviation 4.0") << 0.0 << 0.0 << 13.8 << 3;
    QTest::newRow("deviation 20") << 0.0 << 0.0 << 30.0 << 19;
    QTest::newRow("deviation 21") << 0.0 << 0.0 << 31.0 << 21;
    QTest::newRow("just above 7") << 0.74 << 1.99 << 16.665302276611328 << 5;
    QTest::newRow("just below 7 in free fall") << -0.56 << 0.31 << 2.725857734680176 << 4;
    QTest::newRow("just below 20") << -0.29 << 0.36 << 29.79641342163086 << 17;
    QTest::newRow("just below 2 in free fall") << -2.97 << -2.49 << 6.768973350524902 << 1;
}

void TestFilter::reading_adds_its_damped_intensity()
{
    QFETCH(qreal, x);
    QFETCH(qreal, y);
    QFETCH(qreal, z);
    QFETCH(int, intensity);

    FilteredSensor accelerometer;
    accelerometer.deliver(x, y, z);

    QCOMPARE(game_state().intensity, intensity);
    QCOMPARE(game_state().shake_window[0], float(intensity));
}

void TestFilter::first_reading_is_never_smoothed()
{
    // Close enough to the filter's initial zeros to be smoothed, were it primed.
    FilteredSensor accelerometer;
    accelerometer.deliver(0.1, -0.1, 0.05);

    QCOMPARE(bits(accelerometer.passed_on()->x()), bits(0.1));
    QCOMPARE(bits(accelerometer.passed_on()->y()), bits(-0.1));
    QCOMPARE(bits(accelerometer.passed_on()->z()), bits(0.05));
    QCOMPARE(bits(game_state().reading_x), bits(0.1f));
    QCOMPARE(bits(game_state().reading_y), bits(-0.1f));
    QCOMPARE(bits(game_state().reading_z), bits(0.05f));
}

void TestFilter::small_changes_are_smoothed_on_all_axes_or_none_data()
{
    QTest::addColumn<QVector<qreal>>("first");
    QTest::addColumn<QVector<qreal>>("second");
    QTest::addColumn<QVector<qreal>>("passed_on");

    const qreal t = threshold;
    const qreal b = below_threshold;
    // A tenth of the change, taken in single precision.
    const qreal b_tenth = 0.0196132995f;

    QTest::newRow("all three just below the threshold")
        << QVector<qreal>{0, 0, 0} << QVector<qreal>{b, -b, b}
        << QVector<qreal>{b_tenth, -b_tenth, b_tenth};
    QTest::newRow("x exactly at the threshold")
        << QVector<qreal>{0, 0, 0} << QVector<qreal>{t, b, b} << QVector<qreal>{t, b, b};
    QTest::newRow("y exactly at the threshold")
        << QVector<qreal>{0, 0, 0} << QVector<qreal>{b, -t, b} << QVector<qreal>{b, -t, b};
    QTest::newRow("z exactly at the threshold")
        << QVector<qreal>{0, 0, 0} << QVector<qreal>{b, b, t} << QVector<qreal>{b, b, t};
    // In double precision this change lies below the threshold; the sensor's
    // single-precision value does not.
    QTest::newRow("threshold in double precision")
        << QVector<qreal>{0, 0, 0} << QVector<qreal>{0.196133, 0, 0}
        << QVector<qreal>{0.196133, 0, 0};
    QTest::newRow("one axis above, others tiny")
        << QVector<qreal>{0.01, 0.02, 9.8} << QVector<qreal>{0.0101, 0.0199, 10.2}
        << QVector<qreal>{0.0101, 0.0199, 10.2};
    QTest::newRow("x axis above, others unchanged")
        << QVector<qreal>{0.5, 0.5, 9.8} << QVector<qreal>{0.8, 0.5, 9.8}
        << QVector<qreal>{0.8, 0.5, 9.8};
    // Products and sums rounded to single precision step by step; the same
    // steps in double precision, or a fused multiply-add, end one bit away on x and y.
    QTest::newRow("jitter of a phone at rest")
        << QVector<qreal>{0.004, -0.022, 9.81} << QVector<qreal>{0.187, -0.113, 9.9}
        << QVector<qreal>{0.0223000031f, -0.0311000012f, 9.81900024f};
}

void TestFilter::small_changes_are_smoothed_on_all_axes_or_none()
{
    QFETCH(QVector<qreal>, first);
    QFETCH(QVector<qreal>, second);
    QFETCH(QVector<qreal>, passed_on);

    FilteredSensor accelerometer;
    accelerometer.deliver(first[0], first[1], first[2]);
    accelerometer.deliver(second[0], second[1], second[2]);

    const QAccelerometerReading *reading = accelerometer.passed_on();
    QCOMPARE(bits(reading->x()), bits(passed_on[0]));
    QCOMPARE(bits(reading->y()), bits(passed_on[1]));
    QCOMPARE(bits(reading->z()), bits(passed_on[2]));
    QCOMPARE(bits(game_state().reading_x), bits(float(passed_on[0])));
    QCOMPARE(bits(game_state().reading_y), bits(float(passed_on[1])));
    QCOMPARE(bits(game_state().reading_z), bits(float(passed_on[2])));
}

void TestFilter::smoothed_value_becomes_the_previous_reading()
{
    FilteredSensor accelerometer;

    // A slow drift is followed at a tenth of each step, from the smoothed value.
    accelerometer.deliver(0, 0, 9.8);
    accelerometer.deliver(0, 0, 9.85);
    QCOMPARE(bits(accelerometer.passed_on()->z()), bits(9.80500031f));
    accelerometer.deliver(0, 0, 9.9);
    QCOMPARE(bits(accelerometer.passed_on()->z()), bits(9.81449986f));

    // 0.25 is near the last raw value but a whole threshold away from the
    // smoothed one that the filter remembers, so it passes unsmoothed.
    FilteredSensor tilted;
    tilted.deliver(0, 0, 0);
    tilted.deliver(below_threshold, 0, 0);
    QCOMPARE(bits(tilted.passed_on()->x()), bits(0.0196132995f));
    tilted.deliver(0.25, 0, 0);
    QCOMPARE(bits(tilted.passed_on()->x()), bits(0.25));
}

void TestFilter::readings_between_ticks_add_into_the_same_slot()
{
    game_state().filter_slot = 7;
    FilteredSensor accelerometer;

    accelerometer.deliver(0, 0, 0);    // free fall: 6
    accelerometer.deliver(0, 0, 30.0); // 20, damped to 19
    accelerometer.deliver(0, 0, 31.3); // 21

    std::array<float, GameState::slot_count> expected{};
    expected[7] = 46.0f;
    QCOMPARE(game_state().shake_window, expected);
    QCOMPARE(game_state().intensity, 21);
}

void TestFilter::filter_adds_into_the_slot_the_tick_opened()
{
    FilteredSensor accelerometer;
    game_state().shake_window[50] = 2.5f;

    game_state().filter_slot = 50;
    accelerometer.deliver(0, 0, 0);
    game_state().filter_slot = 0;
    accelerometer.deliver(0, 0, 30.0);

    std::array<float, GameState::slot_count> expected{};
    expected[50] = 8.5f;
    expected[0] = 19.0f;
    QCOMPARE(game_state().shake_window, expected);
}

QTEST_GUILESS_MAIN(TestFilter)
#include "tst_filter.moc"
