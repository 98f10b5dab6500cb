// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/smoothedaccelerometerfilter.h"
// PLACEHOLDER: to be implemented
int shake_intensity(float, float, float) { return 0; }
int damped_intensity(int i) { return i; }
smoothedaccelerometerfilter::smoothedaccelerometerfilter(QObject *parent) : QObject(parent) {}
smoothedaccelerometerfilter::~smoothedaccelerometerfilter() = default;
bool smoothedaccelerometerfilter::filter(QAccelerometerReading *) { return true; }
