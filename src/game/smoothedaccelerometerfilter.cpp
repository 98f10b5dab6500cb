// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/smoothedaccelerometerfilter.h"

#include "game/gamestate.h"

#include <cmath>

namespace {

// A change below 0.02 standard gravity on every axis counts as jitter.
constexpr float smoothing_threshold = 0.196133f;
// Share of a jitter step that is let through.
constexpr float smoothing_factor = 0.1f;
// Magnitude of a phone at rest, in m/s².
constexpr double gravity = 9.8;
constexpr int damping_low = 4;
constexpr int damping_high = 20;
constexpr int damping_offset = 3;
constexpr double damping_scale = 5.5;
constexpr float damping_divisor = 3.0f;

} // namespace

// The arithmetic below is single or double precision step by step on purpose:
// stored records and the rating depend on exactly these intensities.

int shake_intensity(float x, float y, float z)
{
    const double dx = x;
    const double dy = y;
    const double dz = z;
    const double magnitude = std::sqrt(dy * dy + dx * dx + dz * dz);
    return static_cast<int>(std::fabs(magnitude - gravity));
}

int damped_intensity(int intensity)
{
    if (intensity < damping_low || intensity > damping_high)
        return intensity;
    const float angle = static_cast<float>((intensity - damping_offset) / damping_scale);
    const float share = sinf(angle) / damping_divisor;
    float damped = static_cast<float>(intensity);
    damped = damped - damped * share;
    return static_cast<int>(damped);
}

smoothedaccelerometerfilter::smoothedaccelerometerfilter(GameState &state, QObject *parent)
    : QObject(parent), state(state)
{}

smoothedaccelerometerfilter::~smoothedaccelerometerfilter() = default;

bool smoothedaccelerometerfilter::filter(QAccelerometerReading *reading)
{
    // The phone's sensor framework hands over single-precision values.
    float x = static_cast<float>(reading->x());
    float y = static_cast<float>(reading->y());
    float z = static_cast<float>(reading->z());

    if (primed) {
        const float dx = x - prev_x;
        const float dy = y - prev_y;
        const float dz = z - prev_z;
        if (std::fabs(dx) < smoothing_threshold && std::fabs(dy) < smoothing_threshold &&
            std::fabs(dz) < smoothing_threshold) {
            x = prev_x + dx * smoothing_factor;
            y = prev_y + dy * smoothing_factor;
            z = prev_z + dz * smoothing_factor;
            reading->setX(x);
            reading->setY(y);
            reading->setZ(z);
        }
    }

    prev_x = x;
    prev_y = y;
    prev_z = z;

    state.reading_x = x;
    state.reading_y = y;
    state.reading_z = z;

    int intensity = shake_intensity(x, y, z);
    state.intensity = intensity;
    intensity = damped_intensity(intensity);
    state.intensity = intensity;

    primed = true;
    state.shake_window[state.filter_slot] += static_cast<float>(intensity);
    return true;
}
