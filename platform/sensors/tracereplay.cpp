// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "tracereplay.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTextStream>

#include <cerrno>
#include <chrono>

namespace {

Q_LOGGING_CATEGORY(replay_log, "quiverbolt.sensors.replay")

// QTimer counts whole milliseconds.
constexpr int max_rate = 1000;

quint64 monotonic_usecs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return quint64(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

// Reads a "# rate N" or "# loop" comment into the trace; other comments are ignored.
void read_comment(const QString &comment, Trace &trace, const QString &where)
{
    const QStringList words = comment.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.value(0) == QLatin1String("loop") && words.size() == 1) {
        trace.loop = true;
    } else if (words.value(0) == QLatin1String("rate") && words.size() == 2) {
        bool ok = false;
        const int rate = words.at(1).toInt(&ok);
        if (ok && rate >= 1 && rate <= max_rate)
            trace.rate = rate;
        else
            qCWarning(replay_log, "%s: rate must be a whole number of Hz from 1 to %d",
                      qUtf8Printable(where), max_rate);
    }
}

} // namespace

QString trace_path()
{
    return QString::fromLocal8Bit(qgetenv("QUIVERBOLT_ACCEL_TRACE"));
}

Trace read_trace(QIODevice *device, const QString &name)
{
    Trace trace;
    QTextStream in(device);
    QString line;
    for (int number = 1; in.readLineInto(&line); ++number) {
        const QString where = QStringLiteral("%1:%2").arg(name).arg(number);
        line = line.simplified();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('#'))) {
            read_comment(line.mid(1), trace, where);
            continue;
        }
        const QStringList fields = line.split(QLatin1Char(' '));
        bool ok_x = false;
        bool ok_y = false;
        bool ok_z = false;
        const TraceReading reading{fields.value(0).toDouble(&ok_x), fields.value(1).toDouble(&ok_y),
                                   fields.value(2).toDouble(&ok_z)};
        if (fields.size() != 3 || !ok_x || !ok_y || !ok_z) {
            qCWarning(replay_log, "%s: not an \"x y z\" reading, skipped", qUtf8Printable(where));
            continue;
        }
        trace.readings.append(reading);
    }
    return trace;
}

TraceReplayBackend::TraceReplayBackend(const QString &path, QSensor *sensor)
    : QSensorBackend(sensor)
{
    setReading<QAccelerometerReading>(&reading);
    setDescription(QStringLiteral("Recorded accelerometer trace"));

    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        trace = read_trace(&file, path);
    else
        qCWarning(replay_log, "cannot read %s: %s", qUtf8Printable(path),
                  qUtf8Printable(file.errorString()));
    if (file.isOpen() && trace.readings.isEmpty())
        qCWarning(replay_log, "%s holds no readings", qUtf8Printable(path));

    addDataRate(trace.rate, trace.rate);
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(qRound(1000.0 / trace.rate));
    connect(&timer, &QTimer::timeout, this, &TraceReplayBackend::deliver_next);
}

void TraceReplayBackend::start()
{
    if (trace.readings.isEmpty()) {
        sensorError(EIO);
        sensorStopped();
        return;
    }
    timer.start();
}

void TraceReplayBackend::stop()
{
    timer.stop();
}

void TraceReplayBackend::deliver_next()
{
    const TraceReading &next_reading = trace.readings.at(next);
    reading.setTimestamp(monotonic_usecs());
    reading.setX(next_reading.x);
    reading.setY(next_reading.y);
    reading.setZ(next_reading.z);
    ++next;
    const bool ended = next == trace.readings.size();
    if (ended)
        next = 0;
    if (ended && !trace.loop)
        timer.stop();

    newReadingAvailable();
    if (ended && !trace.loop)
        sensorStopped();
}
