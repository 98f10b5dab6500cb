// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSensorBackendFactory>
#include <QSensorChangesInterface>
#include <QSensorPluginInterface>

// Offers the accelerometer that Qt lacks on today's Linux phones:
// "quiverbolt.iio" reads the kernel's IIO accelerometer (under
// QUIVERBOLT_IIO_ROOT or /sys/bus/iio/devices) wherever no other backend is
// registered. Where the machine has no accelerometer at all,
// "quiverbolt.replay" plays the trace file named by QUIVERBOLT_ACCEL_TRACE and
// "quiverbolt.mouse" turns fast pointer movement into acceleration. Each stands
// back as soon as a backend before it in that order, or any other
// accelerometer backend, is there.
class SensorsPlugin : public QObject,
                      public QSensorPluginInterface,
                      public QSensorChangesInterface,
                      public QSensorBackendFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "com.qt-project.Qt.QSensorPluginInterface/1.0" FILE "plugin.json")
    Q_INTERFACES(QSensorPluginInterface QSensorChangesInterface)

public:
    explicit SensorsPlugin(QObject *parent = nullptr);

    void registerSensors() override;
    void sensorsChanged() override;
    QSensorBackend *createBackend(QSensor *sensor) override;

private:
    void update_registration();

    // Our own registering and withdrawing makes Qt call sensorsChanged() again.
    bool updating = false;
};
