// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "pointershake.h"

#include <QCursor>

#include <algorithm>
#include <chrono>

namespace {

constexpr int sample_rate = 100; // Hz
constexpr qreal standard_gravity = 9.80665;
// The phone moves as far as the pointer does on a screen of about 100 dpi:
// a vigorous shake of ±150 pixels at 5 Hz then reads near ±37 m/s².
constexpr qreal metres_per_pixel = 0.00025;
// The full scale of a phone's accelerometer, ±8 g; a jumping pointer would
// otherwise read hundreds of m/s².
constexpr qreal full_scale = 8 * standard_gravity;
// The second difference is taken over samples this far apart, not over
// neighbours: the pointer moves in steps that do not line up with our
// samples, and over 10 ms that unevenness alone reads as tens of m/s².
constexpr int span = 3;

qreal to_acceleration(qreal pixels_per_second2)
{
    // + 0.0 turns the -0.0 of a still pointer's y into 0.0.
    return std::clamp(pixels_per_second2 * metres_per_pixel, -full_scale, full_scale) + 0.0;
}

qint64 monotonic_usecs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

} // namespace

PointerShakeBackend::PointerShakeBackend(QSensor *sensor) : QSensorBackend(sensor)
{
    setReading<QAccelerometerReading>(&reading);
    setDescription(QStringLiteral("Mouse pointer movement"));
    addDataRate(sample_rate, sample_rate);
    addOutputRange(-full_scale, full_scale, metres_per_pixel * sample_rate * sample_rate);

    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1000 / sample_rate);
    connect(&timer, &QTimer::timeout, this, &PointerShakeBackend::take_sample);
}

void PointerShakeBackend::start()
{
    samples.clear();
    timer.start();
}

void PointerShakeBackend::stop()
{
    timer.stop();
}

void PointerShakeBackend::take_sample()
{
    const Sample now{QCursor::pos(), monotonic_usecs()};
    samples.append(now);
    if (samples.size() > 2 * span + 1)
        samples.removeFirst();

    QPointF acceleration; // pixels/s², screen axes
    if (samples.size() == 2 * span + 1) {
        const Sample &first = samples.at(0);
        const Sample &middle = samples.at(span);
        const Sample &last = samples.at(2 * span);
        const qreal t1 = (middle.usecs - first.usecs) / 1e6;
        const qreal t2 = (last.usecs - middle.usecs) / 1e6;
        if (t1 > 0 && t2 > 0) {
            const QPointF v1 = (middle.position - first.position) / t1;
            const QPointF v2 = (last.position - middle.position) / t2;
            acceleration = (v2 - v1) * 2 / (t1 + t2);
        }
    }

    reading.setTimestamp(quint64(now.usecs));
    reading.setX(to_acceleration(acceleration.x()));
    // The screen's y grows downwards; the phone's y points to its top, away from the player.
    reading.setY(to_acceleration(-acceleration.y()));
    reading.setZ(standard_gravity);
    newReadingAvailable();
}
