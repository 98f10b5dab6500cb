// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QAccelerometerReading>
#include <QByteArray>
#include <QSensorBackend>
#include <QString>
#include <QThread>
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

// Reads the raw values on a thread of its own: a driver may sleep in every
// read (st_lsm6dsx waits three to four sample periods, the MPU6050 wakes from
// runtime suspend), and the game's window must not wait with it.
class IioPoller : public QObject
{
    Q_OBJECT

public:
    void start(const std::array<IioAxis, 3> &axes, const MountMatrix &matrix, int interval_ms);
    void stop();

signals:
    // One reading in the phone's axes, in m/s².
    void sampled(double x, double y, double z);
    // The device went away: its driver was unbound or it was unplugged.
    void gone();

private:
    void take_reading();

    std::array<IioAxis, 3> axes;
    MountMatrix matrix = identity_matrix;
    QTimer *timer = nullptr;
    // Unreadable values are reported once per run of them, not once per poll.
    bool reported_bad_value = false;
};

// An IIO accelerometer read through sysfs, polled at the rate the sensor asks
// for (100 Hz by default) but never faster than the device samples.
// Readings are turned into the phone's own axes with the device's mount
// matrix: x to the right of the screen, y to its top, z out of it, and a
// phone lying face up reads +9.8 on z.
class IioAccelerometerBackend : public QSensorBackend
{
    Q_OBJECT

public:
    static constexpr char id[] = "quiverbolt.iio";

    explicit IioAccelerometerBackend(const QString &device, QSensor *sensor);
    ~IioAccelerometerBackend() override;

    void start() override;
    void stop() override;

private:
    // The device's own rate in Hz, or 0 when it does not say.
    int device_rate() const;
    // The axes as the device describes them now; empty raw paths when its
    // scale or offset cannot be read.
    std::array<IioAxis, 3> read_axes() const;
    MountMatrix read_matrix() const;
    void deliver(double x, double y, double z);
    void fail(int error);

    QString device;
    QAccelerometerReading reading;
    QThread thread;
    IioPoller *poller;
    // Readings still under way when the sensor stopped are dropped.
    bool running = false;
};
