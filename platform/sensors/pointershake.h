// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QAccelerometerReading>
#include <QPointF>
#include <QSensorBackend>
#include <QTimer>
#include <QVector>

// An accelerometer driven by the mouse: the pointer stands for a phone lying
// face up on the desk, so a still pointer reads gravity alone on z, and
// shaking the pointer reads as shaking the phone along x and y.
class PointerShakeBackend : public QSensorBackend
{
    Q_OBJECT

public:
    static constexpr char id[] = "quiverbolt.mouse";

    explicit PointerShakeBackend(QSensor *sensor);

    void start() override;
    void stop() override;

private:
    struct Sample
    {
        QPointF position; // pixels
        qint64 usecs;
    };

    void take_sample();

    QAccelerometerReading reading;
    QVector<Sample> samples; // the newest last
    QTimer timer;
};
