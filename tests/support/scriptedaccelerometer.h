// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QAccelerometer>
#include <QByteArray>
#include <QSensorBackend>
#include <QSensorBackendFactory>

// An accelerometer driver in the test's own process whose readings the test
// dictates. Readings go through QSensorBackend::newReadingAvailable, so the
// sensor's filter chain runs exactly as it does for the phone's own driver;
// a driver that is never fed is a still, silent accelerometer that can be
// started and stopped.
class ScriptedAccelerometer : public QSensorBackend
{
public:
    explicit ScriptedAccelerometer(QSensor *sensor);

    void start() override {}
    void stop() override {}

    void deliver(qreal x, qreal y, qreal z)
    {
        device_reading->setTimestamp(++timestamp);
        device_reading->setX(x);
        device_reading->setY(y);
        device_reading->setZ(z);
        newReadingAvailable();
    }

private:
    QAccelerometerReading *device_reading = nullptr;
    quint64 timestamp = 0;
};

class ScriptedAccelerometerFactory : public QSensorBackendFactory
{
public:
    QSensorBackend *createBackend(QSensor *sensor) override;

    // Registers this factory under id, once, and makes it the accelerometer
    // that sensors without an identifier of their own connect to.
    void make_default(const QByteArray &id);

    ScriptedAccelerometer *last_made = nullptr;
};
