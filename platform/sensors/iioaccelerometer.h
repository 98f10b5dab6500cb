// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QAccelerometerReading>
#include <QByteArray>
#include <QSensorBackend>
#include <QString>
#include <QTimer>

#include <array>
#include <optional>

// The folder that holds the kernel's IIO devices: QUIVERBOLT_IIO_ROOT when
// set, /sys/bus/iio/devices otherwise.
QString iio_root();

// The first device under root (iio:device0, iio:device1, ... in number
// order) with raw x, y and z acceleration channels; empty when there is none.
QString find_iio_accelerometer(const QString &root);

// A number as the kernel writes it into an IIO attribute ("-123",
// "0.000598205"); nothing when the text is not one finite number.
std::optional<double> parse_iio_number(const QByteArray &text);

// A mount matrix row by row, "a, b, c; d, e, f; g, h, i".
using MountMatrix = std::array<double, 9>;
constexpr MountMatrix identity_matrix{1, 0, 0, 0, 1, 0, 0, 0, 1};
std::optional<MountMatrix> parse_mount_matrix(const QByteArray &text);

// How one axis's raw value becomes m/s²: (raw + offset) * scale.
struct IioAxis
{
    QString raw_path;
    double scale = 1.0;
    double offset = 0.0;
};

// Reads an IIO accelerometer through sysfs, polled at the rate the sensor
// asks for (100 Hz by default) but never faster than the device samples.
// Readings are turned into the phone's own axes with the device's mount
// matrix: x to the right of the screen, y to its top, z out of it, and a
// phone lying face up reads +9.8 on z.
class IioAccelerometerBackend : public QSensorBackend
{
    Q_OBJECT

public:
    static constexpr char id[] = "quiverbolt.iio";

    explicit IioAccelerometerBackend(const QString &device, QSensor *sensor);

    void start() override;
    void stop() override;

private:
    // The device's own rate in Hz, or 0 when it does not say.
    int device_rate() const;
    void read_configuration();
    void take_reading();
    void fail(int error);

    QString device;
    std::array<IioAxis, 3> axes;
    MountMatrix matrix = identity_matrix;
    QAccelerometerReading reading;
    QTimer timer;
    // Unreadable values are reported once per run of them, not once per poll.
    bool reported_bad_value = false;
};
