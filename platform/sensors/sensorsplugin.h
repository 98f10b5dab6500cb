// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSensorBackendFactory>
#include <QSensorChangesInterface>
#include <QSensorPluginInterface>

// Offers an accelerometer where the machine has none: "quiverbolt.replay"
// plays the trace file named by QUIVERBOLT_ACCEL_TRACE, "quiverbolt.mouse"
// turns fast pointer movement into acceleration. Both stand back as soon as
// any other accelerometer backend is registered.
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
