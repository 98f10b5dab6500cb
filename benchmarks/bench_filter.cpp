// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The shake filter's cost per reading: called on its own with a reading, and
// behind a real QAccelerometer whose driver lives in this process.
#include "game/gamestate.h"
#include "game/smoothedaccelerometerfilter.h"

#include <QAccelerometer>
#include <QSensorBackend>
#include <QSensorBackendFactory>
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

// An accelerometer driver fed from the benchmark. newReadingAvailable runs
// the sensor's filter chain exactly as the phone's own driver does.
class FedAccelerometer : public QSensorBackend
{
public:
    explicit FedAccelerometer(QSensor *sensor) : QSensorBackend(sensor)
    {
        device_reading = setReading<QAccelerometerReading>(nullptr);
    }

    void start() override {}
    void stop() override {}

    void deliver(const Sample &sample)
    {
        device_reading->setTimestamp(++timestamp);
        device_reading->setX(sample.x);
        device_reading->setY(sample.y);
        device_reading->setZ(sample.z);
        newReadingAvailable();
    }

private:
    QAccelerometerReading *device_reading = nullptr;
    quint64 timestamp = 0;
};

class FedAccelerometerFactory : public QSensorBackendFactory
{
public:
    QSensorBackend *createBackend(QSensor *sensor) override
    {
        last_made = new FedAccelerometer(sensor);
        return last_made;
    }

    FedAccelerometer *last_made = nullptr;
};

FedAccelerometerFactory factory;

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

    smoothedaccelerometerfilter filter;
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
    smoothedaccelerometerfilter filter;
    sensor.setIdentifier(backend_id);
    sensor.addFilter(&filter);
    factory.last_made = nullptr;
    QVERIFY(sensor.connectToBackend());
    FedAccelerometer *driver = factory.last_made;
    QVERIFY(driver);
    sensor.start();

    int next = 0;
    QBENCHMARK
    {
        driver->deliver(trace.at(next++ & (trace_length - 1)));
    }
    sensor.removeFilter(&filter);
}

QTEST_GUILESS_MAIN(bench_filter)

#include "bench_filter.moc"
