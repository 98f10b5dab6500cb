// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The shake filter's cost per reading: called on its own with a reading, and
// behind a real QAccelerometer whose driver lives in this process.
#include "game/gamestate.h"
#include "game/smoothedaccelerometerfilter.h"
#include "support/scriptedaccelerometer.h"

#include <QAccelerometer>
#include <QSensorManager>
#include <QVector>
#include <QtTest>

#include <cmath>

namespace {

constexpr char backend_id[] = "quiverbolt.bench.accelerometer";
constexpr int trace_length = 256; // a power of two: the index wraps with a mask

struct Sample
{
    qreal x;
    qreal y;
    qreal z;
};

// A trace of readings around a still phone's 9.8 m/s²: amplitude 0.05 stays
// under the smoothing threshold, 12 lands in the damping band, 40 beyond it.
QVector<Sample> make_trace(double amplitude)
{
    QVector<Sample> trace;
    for (int i = 0; i < trace_length; ++i) {
        const double phase = 2.0 * M_PI * i / 23.0;
        trace.append({0.3 * std::sin(phase * 0.5), amplitude * std::sin(phase),
                      9.8 + amplitude * 0.5 * std::cos(phase)});
    }
    return trace;
}

ScriptedAccelerometerFactory factory;

} // namespace

class bench_filter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void filter_one_reading_data();
    void filter_one_reading();
    void filter_one_reading_through_sensor_data();
    void filter_one_reading_through_sensor();
};

void bench_filter::initTestCase()
{
    QSensorManager::registerBackend(QAccelerometer::type, backend_id, &factory);
}

void bench_filter::init()
{
    game_state() = GameState{};
}

void bench_filter::filter_one_reading_data()
{
    QTest::addColumn<double>("amplitude");

    QTest::newRow("still phone, smoothed") << 0.05;
    QTest::newRow("shaking, damped") << 12.0;
    QTest::newRow("hard shaking") << 40.0;
}

void bench_filter::filter_one_reading()
{
    QFETCH(double, amplitude);
    const QVector<Sample> trace = make_trace(amplitude);

    smoothedaccelerometerfilter filter{game_state()};
    QAccelerometerReading reading;
    int next = 0;
    QBENCHMARK
    {
        const Sample &sample = trace.at(next++ & (trace_length - 1));
        reading.setX(sample.x);
        reading.setY(sample.y);
        reading.setZ(sample.z);
        filter.filter(&reading);
    }
    QVERIFY(game_state().shake_window[0] >= 0.0f);
}

void bench_filter::filter_one_reading_through_sensor_data()
{
    filter_one_reading_data();
}

void bench_filter::filter_one_reading_through_sensor()
{
    QFETCH(double, amplitude);
    const QVector<Sample> trace = make_trace(amplitude);

    QAccelerometer sensor;
    smoothedaccelerometerfilter filter{game_state()};
    sensor.setIdentifier(backend_id);
    sensor.addFilter(&filter);
    factory.last_made = nullptr;
    QVERIFY(sensor.connectToBackend());
    ScriptedAccelerometer *driver = factory.last_made;
    QVERIFY(driver);
    sensor.start();

    int next = 0;
    QBENCHMARK
    {
        const Sample &sample = trace.at(next++ & (trace_length - 1));
        driver->deliver(sample.x, sample.y, sample.z);
    }
    sensor.removeFilter(&filter);
}

QTEST_GUILESS_MAIN(bench_filter)

#include "bench_filter.moc"
