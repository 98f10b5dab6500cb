// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/scriptedaccelerometer.h"

#include <QSensorManager>

ScriptedAccelerometer::ScriptedAccelerometer(QSensor *sensor) : QSensorBackend(sensor)
{
    device_reading = setReading<QAccelerometerReading>(nullptr);
}

QSensorBackend *ScriptedAccelerometerFactory::createBackend(QSensor *sensor)
{
    last_made = new ScriptedAccelerometer(sensor);
    return last_made;
}

void ScriptedAccelerometerFactory::make_default(const QByteArray &id)
{
    if (!QSensorManager::isBackendRegistered(QAccelerometer::type, id))
        QSensorManager::registerBackend(QAccelerometer::type, id, this);
    QSensorManager::setDefaultBackend(QAccelerometer::type, id);
}
