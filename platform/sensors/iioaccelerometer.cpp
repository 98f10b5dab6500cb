// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "iioaccelerometer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>

namespace {

Q_LOGGING_CATEGORY(iio_log, "quiverbolt.sensors.iio")

// The readings per second when the game does not ask for a rate, as the
// trace replay and the mouse deliver them.
constexpr int default_rate = 100;
// QTimer counts whole milliseconds.
constexpr int max_rate = 1000;
constexpr char axis_names[3] = {'x', 'y', 'z'};

quint64 monotonic_usecs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return quint64(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

QString raw_name(char axis)
{
    return QStringLiteral("in_accel_%1_raw").arg(QLatin1Char(axis));
}

// The attribute's text, or nothing when the file cannot be read; then
// error, when given, says why.
std::optional<QByteArray> read_attribute(const QString &path, QString *error = nullptr)
{
    QFile file(path);
    QByteArray text;
    if (file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        text = file.read(256);
    if (file.error() == QFileDevice::NoError)
        return text;
    if (error)
        *error = file.errorString();
    return std::nullopt;
}

// The first of the named attributes that exists: its path, or empty.
QString first_existing(const QString &device, std::initializer_list<QString> names)
{
    for (const QString &name : names) {
        const QString path = device + QLatin1Char('/') + name;
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

// Reads a per-channel attribute, falling back to the one the channels
// share (in_accel_x_scale, then in_accel_scale). Absent, it is fallback;
// present but unreadable, it is nothing.
std::optional<double> channel_value(const QString &device, char axis, const QString &what,
                                    double fallback)
{
    const QString path =
        first_existing(device, {QStringLiteral("in_accel_%1_%2").arg(QLatin1Char(axis)).arg(what),
                                QStringLiteral("in_accel_%1").arg(what)});
    if (path.isEmpty())
        return fallback;
    const std::optional<QByteArray> text = read_attribute(path);
    const std::optional<double> value = text ? parse_iio_number(*text) : std::nullopt;
    if (!value)
        qCWarning(iio_log, "%s: not a number", qUtf8Printable(path));
    return value;
}

// "12.5", or "12.5 25 50 100", or a range "[12.5 12.5 400]": the highest rate named.
int highest_rate(const QByteArray &text)
{
    double highest = 0.0;
    QByteArray words = text;
    words.replace('[', ' ').replace(']', ' ');
    for (const QByteArray &word : words.simplified().split(' ')) {
        if (const std::optional<double> rate = parse_iio_number(word))
            highest = std::max(highest, *rate);
    }
    if (highest <= 0.0)
        return 0;
    return std::clamp(int(highest), 1, max_rate);
}

} // namespace

QString iio_root()
{
    const QString root = QString::fromLocal8Bit(qgetenv("QUIVERBOLT_IIO_ROOT"));
    return root.isEmpty() ? QStringLiteral("/sys/bus/iio/devices") : root;
}

QString find_iio_accelerometer(const QString &root)
{
    const QDir dir(root);
    QStringList names = dir.entryList({QStringLiteral("iio:device*")},
                                      QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    const auto number = [](const QString &name) { return name.mid(10).toInt(); };
    std::sort(names.begin(), names.end(),
              [&](const QString &a, const QString &b) { return number(a) < number(b); });
    for (const QString &name : qAsConst(names)) {
        const QString device = dir.filePath(name);
        if (std::all_of(std::begin(axis_names), std::end(axis_names), [&](char axis) {
                return QFileInfo::exists(device + QLatin1Char('/') + raw_name(axis));
            }))
            return device;
    }
    return QString();
}

std::optional<double> parse_iio_number(const QByteArray &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<MountMatrix> parse_mount_matrix(const QByteArray &text)
{
    const QList<QByteArray> rows = text.trimmed().split(';');
    if (rows.size() != 3)
        return std::nullopt;
    MountMatrix matrix{};
    for (int row = 0; row < 3; ++row) {
        const QList<QByteArray> cells = rows.at(row).split(',');
        if (cells.size() != 3)
            return std::nullopt;
        for (int column = 0; column < 3; ++column) {
            const std::optional<double> cell = parse_iio_number(cells.at(column));
            if (!cell)
                return std::nullopt;
            matrix[row * 3 + column] = *cell;
        }
    }
    return matrix;
}

void IioPoller::start(const std::array<IioAxis, 3> &new_axes, const MountMatrix &new_matrix,
                      int interval_ms)
{
    axes = new_axes;
    matrix = new_matrix;
    reported_bad_value = false;
    if (!timer) {
        timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, &IioPoller::take_reading);
    }
    timer->start(interval_ms);
}

void IioPoller::stop()
{
    if (timer)
        timer->stop();
}

void IioPoller::take_reading()
{
    std::array<double, 3> values{};
    for (int i = 0; i < 3; ++i) {
        const IioAxis &axis = axes[i];
        QString error;
        const std::optional<QByteArray> text = read_attribute(axis.raw_path, &error);
        if (!text && !QFileInfo::exists(axis.raw_path)) {
            qCWarning(iio_log, "%s is gone", qUtf8Printable(QFileInfo(axis.raw_path).path()));
            stop();
            emit gone();
            return;
        }
        const std::optional<double> raw = text ? parse_iio_number(*text) : std::nullopt;
        if (!raw) {
            // A driver whose buffer another program has enabled (for one,
            // iio-sensor-proxy) answers "busy" until that program lets go.
            if (!reported_bad_value)
                qCWarning(iio_log, "%s: %s, reading skipped", qUtf8Printable(axis.raw_path),
                          text ? "not a number" : qUtf8Printable(error));
            reported_bad_value = true;
            return;
        }
        values[i] = (*raw + axis.offset) * axis.scale;
    }
    reported_bad_value = false;

    std::array<double, 3> phone{};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            phone[row] += matrix[row * 3 + column] * values[column];
    }
    // + 0.0 turns a -0.0 from a negative matrix entry into 0.0.
    emit sampled(phone[0] + 0.0, phone[1] + 0.0, phone[2] + 0.0);
}

IioAccelerometerBackend::IioAccelerometerBackend(const QString &device, QSensor *sensor)
    : QSensorBackend(sensor), device(device), poller(new IioPoller)
{
    setReading<QAccelerometerReading>(&reading);
    setDescription(QStringLiteral("Linux IIO accelerometer %1").arg(QFileInfo(device).fileName()));
    const int rate = device_rate();
    addDataRate(1, rate > 0 ? rate : max_rate);

    poller->moveToThread(&thread);
    connect(&thread, &QThread::finished, poller, &QObject::deleteLater);
    connect(poller, &IioPoller::sampled, this, &IioAccelerometerBackend::deliver);
    connect(poller, &IioPoller::gone, this, [this] {
        if (running)
            fail(ENODEV);
    });
    thread.start();
}

IioAccelerometerBackend::~IioAccelerometerBackend()
{
    // Waits for a read under way, then the poller goes with its thread.
    thread.quit();
    thread.wait();
}

int IioAccelerometerBackend::device_rate() const
{
    const QString path =
        first_existing(device, {QStringLiteral("in_accel_sampling_frequency"),
                                QStringLiteral("sampling_frequency"),
                                QStringLiteral("in_accel_sampling_frequency_available"),
                                QStringLiteral("sampling_frequency_available")});
    if (path.isEmpty())
        return 0;
    return highest_rate(read_attribute(path).value_or(QByteArray()));
}

void IioAccelerometerBackend::start()
{
    if (!QFileInfo::exists(device)) {
        qCWarning(iio_log, "%s is gone", qUtf8Printable(device));
        fail(ENODEV);
        return;
    }
    const std::array<IioAxis, 3> axes = read_axes();
    if (std::any_of(axes.begin(), axes.end(),
                    [](const IioAxis &axis) { return axis.raw_path.isEmpty(); })) {
        fail(EIO);
        return;
    }
    const MountMatrix matrix = read_matrix();

    int rate = sensor()->dataRate() > 0 ? sensor()->dataRate() : default_rate;
    // Polling faster than the device samples would count one sample many times.
    if (const int bound = device_rate(); bound > 0)
        rate = std::min(rate, bound);
    rate = std::clamp(rate, 1, max_rate);
    const int interval_ms = qRound(1000.0 / rate);

    running = true;
    QMetaObject::invokeMethod(poller, [poller = poller, axes, matrix, interval_ms] {
        poller->start(axes, matrix, interval_ms);
    });
}

void IioAccelerometerBackend::stop()
{
    running = false;
    QMetaObject::invokeMethod(poller, [poller = poller] { poller->stop(); });
}

std::array<IioAxis, 3> IioAccelerometerBackend::read_axes() const
{
    std::array<IioAxis, 3> axes;
    for (int i = 0; i < 3; ++i) {
        const char axis = axis_names[i];
        const std::optional<double> scale =
            channel_value(device, axis, QStringLiteral("scale"), 1.0);
        const std::optional<double> offset =
            channel_value(device, axis, QStringLiteral("offset"), 0.0);
        // A value in unknown units would make every reading wrong: no readings instead.
        if (scale && offset)
            axes[i] = IioAxis{device + QLatin1Char('/') + raw_name(axis), *scale, *offset};
    }
    return axes;
}

MountMatrix IioAccelerometerBackend::read_matrix() const
{
    const QString path =
        first_existing(device, {QStringLiteral("in_accel_mount_matrix"),
                                QStringLiteral("in_mount_matrix"), QStringLiteral("mount_matrix")});
    if (path.isEmpty())
        return identity_matrix;
    const std::optional<QByteArray> text = read_attribute(path);
    if (const std::optional<MountMatrix> mounted = text ? parse_mount_matrix(*text) : std::nullopt)
        return *mounted;
    qCWarning(iio_log, "%s: not a mount matrix, the axes are taken as they are",
              qUtf8Printable(path));
    return identity_matrix;
}

void IioAccelerometerBackend::deliver(double x, double y, double z)
{
    if (!running)
        return;
    reading.setTimestamp(monotonic_usecs());
    reading.setX(x);
    reading.setY(y);
    reading.setZ(z);
    newReadingAvailable();
}

void IioAccelerometerBackend::fail(int error)
{
    running = false;
    QMetaObject::invokeMethod(poller, [poller = poller] { poller->stop(); });
    sensorError(error);
    sensorStopped();
}
