// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QAccelerometerFilter>
#include <QObject>

struct GameState;

// Whole-number shake intensity of one reading: how far the magnitude of
// (x, y, z) lies from 9.8 m/s², truncated, before damping.
int shake_intensity(float x, float y, float z);

// The damping curve for intensities 4 to 20; others pass unchanged.
int damped_intensity(int intensity);

// Sits in the accelerometer's filter chain: smooths the jitter of a still
// phone and adds each reading's intensity into the slot that the current
// tick opened in the given game state. Every reading is passed on.
class smoothedaccelerometerfilter : public QObject, public QAccelerometerFilter
{
public:
    explicit smoothedaccelerometerfilter(GameState &state, QObject *parent = nullptr);
    ~smoothedaccelerometerfilter() override;

    bool filter(QAccelerometerReading *reading) override;

private:
    GameState &state;
    float prev_x = 0.0f;
    float prev_y = 0.0f;
    float prev_z = 0.0f;
    bool primed = false;
};
