// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "sensorsplugin.h"

#include "iioaccelerometer.h"
#include "pointershake.h"
#include "tracereplay.h"

#include <QAccelerometer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSensorManager>

namespace {

bool is_registered(const QByteArray &identifier)
{
    return QSensorManager::isBackendRegistered(QAccelerometer::type, identifier);
}

void set_registered(const QByteArray &identifier, bool wanted, QSensorBackendFactory *factory)
{
    if (wanted && !is_registered(identifier))
        QSensorManager::registerBackend(QAccelerometer::type, identifier, factory);
    else if (!wanted && is_registered(identifier))
        QSensorManager::unregisterBackend(QAccelerometer::type, identifier);
}

// Qt's linuxsys plugin registers its accelerometer whenever QT_ACCEL_FILEPATH
// is set, readable or not; one that cannot read its file measures nothing.
bool is_dead_linuxsys(const QByteArray &identifier)
{
    if (identifier != "linuxsys.accelerometer")
        return false;
    const QFileInfo file(QString::fromLocal8Bit(qgetenv("QT_ACCEL_FILEPATH")));
    return !file.isFile() || !file.isReadable();
}

bool other_accelerometer_registered()
{
    const auto identifiers = QSensor::sensorsForType(QAccelerometer::type);
    for (const QByteArray &identifier : identifiers) {
        if (identifier != IioAccelerometerBackend::id && identifier != TraceReplayBackend::id &&
            identifier != PointerShakeBackend::id && !is_dead_linuxsys(identifier))
            return true;
    }
    return false;
}

bool has_gui_application()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

SensorsPlugin::SensorsPlugin(QObject *parent) : QObject(parent)
{}

void SensorsPlugin::registerSensors()
{
    update_registration();
}

void SensorsPlugin::sensorsChanged()
{
    update_registration();
}

void SensorsPlugin::update_registration()
{
    if (updating)
        return;
    updating = true;

    // The kernel's accelerometer is the phone's own, unless the platform
    // already offers one; the stand-ins only play where there is neither.
    const bool other_registered = other_accelerometer_registered();
    const bool iio_wanted = !other_registered && !find_iio_accelerometer(iio_root()).isEmpty();
    const bool stand_in_wanted = !other_registered && !iio_wanted;
    const bool replay_wanted = stand_in_wanted && !trace_path().isEmpty();
    const bool mouse_wanted = stand_in_wanted && has_gui_application();

    // Qt's default for a type is the first backend registered for it, so the
    // replay, when wanted, must go in before the mouse.
    if (replay_wanted && !is_registered(TraceReplayBackend::id))
        set_registered(PointerShakeBackend::id, false, this);
    set_registered(IioAccelerometerBackend::id, iio_wanted, this);
    set_registered(TraceReplayBackend::id, replay_wanted, this);
    set_registered(PointerShakeBackend::id, mouse_wanted, this);

    updating = false;
}

QSensorBackend *SensorsPlugin::createBackend(QSensor *sensor)
{
    if (sensor->identifier() == IioAccelerometerBackend::id) {
        const QString device = find_iio_accelerometer(iio_root());
        return device.isEmpty() ? nullptr : new IioAccelerometerBackend(device, sensor);
    }
    if (sensor->identifier() == TraceReplayBackend::id)
        return new TraceReplayBackend(trace_path(), sensor);
    if (sensor->identifier() == PointerShakeBackend::id && has_gui_application())
        return new PointerShakeBackend(sensor);
    return nullptr;
}
