// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QAccelerometerReading>
#include <QSensorBackend>
#include <QString>
#include <QTimer>
#include <QVector>

class QIODevice;

// The trace file to replay, from QUIVERBOLT_ACCEL_TRACE; empty when unset.
QString trace_path();

struct TraceReading
{
    qreal x = 0.0;
    qreal y = 0.0;
    qreal z = 0.0;
};

struct Trace
{
    static constexpr int default_rate = 100;

    QVector<TraceReading> readings;
    int rate = default_rate; // readings per second
    bool loop = false;       // start over after the last reading instead of stopping
};

// One "x y z" reading in m/s² per line. Lines starting with '#' are
// comments, of which "# rate N" (Hz) and "# loop" are understood. Lines that
// are not three numbers are skipped with a warning naming the file and line.
Trace read_trace(QIODevice *device, const QString &name);

// Plays a trace at its rate. Without "# loop" the sensor stops after the last
// reading, and a new start plays the trace again from its first reading.
class TraceReplayBackend : public QSensorBackend
{
    Q_OBJECT

public:
    static constexpr char id[] = "quiverbolt.replay";

    explicit TraceReplayBackend(const QString &path, QSensor *sensor);

    void start() override;
    void stop() override;

private:
    void deliver_next();

    QAccelerometerReading reading;
    Trace trace;
    int next = 0;
    QTimer timer;
};
