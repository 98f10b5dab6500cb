// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The kernel's IIO accelerometer as the game's sensor plugin reads it, from
// a fake /sys/bus/iio/devices in a temporary folder (QUIVERBOLT_IIO_ROOT)
// that the test rewrites as it goes.
//
// Qt Sensors loads its plugins and settles who is registered once per
// process, so every check runs in a process of its own: TestIioAccelerometerCore under a
// QCoreApplication, TestIioAccelerometerGui under a QApplication.

#include "app/quiverbolt.h"
#include "game/gamestate.h"
#include "storage/savefile.h"
#include "support/checkprocess.h"
#include "support/files.h"
#include "support/scriptedaccelerometer.h"
#include "support/testhome.h"

#include <QAccelerometer>
#include <QApplication>
#include <QDir>
#include <QMetaMethod>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSensorManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QVector3D>
#include <QtTest>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Attributes = QMap<QString, QByteArray>;

namespace {

const QByteArray iio_id = QByteArrayLiteral("quiverbolt.iio");
const QByteArray replay_id = QByteArrayLiteral("quiverbolt.replay");
const QByteArray other_id = QByteArrayLiteral("test.accelerometer");
constexpr int wait_ms = 15000;

// A fake /sys/bus/iio/devices. Files are replaced whole, as the kernel
// presents a fresh value on every read: a reader never sees half a number.
class FakeIioTree
{
public:
    FakeIioTree() { qputenv("QUIVERBOLT_IIO_ROOT", QFile::encodeName(root.path())); }

    QString device(int number = 0) const
    {
        return root.filePath(QStringLiteral("iio:device%1").arg(number));
    }

    bool write(const QString &name, const QByteArray &text, int number = 0) const
    {
        QDir().mkpath(device(number));
        QSaveFile file(device(number) + QLatin1Char('/') + name);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
    }

    bool write(const Attributes &attributes, int number = 0) const
    {
        for (auto it = attributes.begin(); it != attributes.end(); ++it) {
            if (!write(it.key(), it.value() + '\n', number))
                return false;
        }
        return true;
    }

    bool write_raw(qint64 x, qint64 y, qint64 z, int number = 0) const
    {
        return write(QStringLiteral("in_accel_x_raw"), QByteArray::number(x) + '\n', number) &&
               write(QStringLiteral("in_accel_y_raw"), QByteArray::number(y) + '\n', number) &&
               write(QStringLiteral("in_accel_z_raw"), QByteArray::number(z) + '\n', number);
    }

    // As when the driver is unbound: the device's folder goes.
    bool remove(int number = 0) const { return QDir(device(number)).removeRecursively(); }

private:
    QTemporaryDir root;
};

// Keeps every reading that passes through the sensor's filter chain.
class RecordingFilter : public QAccelerometerFilter
{
public:
    bool filter(QAccelerometerReading *reading) override
    {
        readings.append(QVector3D(float(reading->x()), float(reading->y()), float(reading->z())));
        return true;
    }

    bool has(const QVector3D &expected) const
    {
        return std::any_of(readings.begin(), readings.end(),
                           [&](const QVector3D &reading) { return near(reading, expected); });
    }

    static bool near(const QVector3D &a, const QVector3D &b) { return (a - b).length() < 1e-4f; }

    QList<QVector3D> readings;
};

QByteArrayList accelerometers()
{
    return QSensor::sensorsForType(QAccelerometer::type);
}

QString vector_text(const QVector3D &v)
{
    return QStringLiteral("(%1, %2, %3)").arg(v.x()).arg(v.y()).arg(v.z());
}

// Notes the plugin's warnings, which come from its reading thread, so that
// a check can wait for one.
QMutex warnings_lock;
QStringList warnings;
QtMessageHandler test_handler = nullptr;

void note_warnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "quiverbolt.sensors.iio") == 0) {
        const QMutexLocker locker(&warnings_lock);
        warnings.append(message);
        return;
    }
    test_handler(type, context, message);
}

QStringList warnings_so_far()
{
    const QMutexLocker locker(&warnings_lock);
    return warnings;
}

// PinePhone: InvenSense MPU6050. The driver's accelerometer scale at its
// default ±2 g is 598 µm/s² per count ("0.000598"; accel_scale[] in
// drivers/iio/imu/inv_mpu6050/inv_mpu_core.c); the board's device tree
// (arch/arm64/boot/dts/allwinner/sun50i-a64-pinephone.dtsi, accelerometer@68)
// gives mount-matrix = "0", "1", "0", "-1", "0", "0", "0", "0", "1", which the
// driver shows as in_accel_mount_matrix; it samples at 50 Hz by default.
const Attributes pinephone{{QStringLiteral("in_accel_scale"), "0.000598"},
                           {QStringLiteral("in_accel_mount_matrix"), "0, 1, 0; -1, 0, 0; 0, 0, 1"},
                           {QStringLiteral("sampling_frequency"), "50"}};

} // namespace

class TestIioAccelerometerCore : public QObject
{
    Q_OBJECT

private slots:
    void readings_come_in_the_phones_axes_data()
    {
        QTest::addColumn<Attributes>("attributes");
        QTest::addColumn<QVector<qint64>>("raw");
        QTest::addColumn<QVector3D>("expected");

        QTest::newRow("PinePhone, MPU6050 at 2 g")
            << pinephone << QVector<qint64>{1000, -2000, 16384}
            << QVector3D(-1.196f, -0.598f, 9.797632f);
        // Librem 5: ST LSM9DS1 through the st_lsm6dsx driver, 61 µg per count
        // at ±2 g and 732 µg at ±16 g, shown in m/s² with nine decimals
        // (IIO_G_TO_M_S_2(61000) and (732000) in st_lsm6dsx_core.c). The
        // mount matrices come from the phone's device trees
        // (arch/arm64/boot/dts/freescale/imx8mq-librem5-r4.dts and -r2.dts,
        // &accel_gyro); the driver shows them as mount_matrix.
        QTest::newRow("Librem 5 r4, LSM9DS1 at 2 g")
            << Attributes{{QStringLiteral("in_accel_scale"), "0.000598205"},
                          {QStringLiteral("mount_matrix"), "1, 0, 0; 0, 1, 0; 0, 0, -1"}}
            << QVector<qint64>{100, 200, -16384} << QVector3D(0.0598205f, 0.119641f, 9.80099072f);
        QTest::newRow("Librem 5 r2, LSM9DS1 at 16 g")
            << Attributes{{QStringLiteral("in_accel_scale"), "0.007178467"},
                          {QStringLiteral("mount_matrix"), "1, 0, 0; 0, -1, 0; 0, 0, 1"}}
            << QVector<qint64>{-500, 300, 1366}
            << QVector3D(-3.5892335f, -2.1535401f, 9.805785922f);
        // The mounting matrix binding's own example: a chip tilted 30° about x
        // (Documentation/devicetree/bindings/iio/mount-matrix.txt).
        QTest::newRow("chip tilted 30 degrees about x, in_mount_matrix")
            << Attributes{{QStringLiteral("in_accel_scale"), "0.01"},
                          {QStringLiteral("in_mount_matrix"),
                           "1, 0, 0; 0, 0.866, 0.5; 0, -0.5, 0.866"}}
            << QVector<qint64>{0, 0, 980} << QVector3D(0.0f, 4.9f, 8.4868f);
        QTest::newRow("per-channel scales, per-channel and shared offsets")
            << Attributes{{QStringLiteral("in_accel_x_scale"), "0.01"},
                          {QStringLiteral("in_accel_y_scale"), "0.02"},
                          {QStringLiteral("in_accel_z_scale"), "0.005"},
                          {QStringLiteral("in_accel_x_offset"), "-100"},
                          {QStringLiteral("in_accel_offset"), "4"}}
            << QVector<qint64>{600, 250, 1960} << QVector3D(5.0f, 5.08f, 9.82f);
        QTest::newRow("a channel's own scale before the shared one")
            << Attributes{{QStringLiteral("in_accel_scale"), "1"},
                          {QStringLiteral("in_accel_z_scale"), "0.5"}}
            << QVector<qint64>{1, 2, 20} << QVector3D(1.0f, 2.0f, 10.0f);
        QTest::newRow("no mount matrix: the chip's axes")
            << Attributes{{QStringLiteral("in_accel_scale"), "0.001"}} << QVector<qint64>{1, 2, 3}
            << QVector3D(0.001f, 0.002f, 0.003f);
    }

    void readings_come_in_the_phones_axes()
    {
        QFETCH(Attributes, attributes);
        QFETCH(QVector<qint64>, raw);
        QFETCH(QVector3D, expected);
        FakeIioTree tree;
        QVERIFY(tree.write(attributes));
        QVERIFY(tree.write_raw(raw[0], raw[1], raw[2]));

        QAccelerometer sensor;
        RecordingFilter recorder;
        sensor.addFilter(&recorder);
        QVERIFY(sensor.start());
        QCOMPARE(sensor.identifier(), iio_id);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.readings.isEmpty(), wait_ms);
        QVERIFY2(RecordingFilter::near(recorder.readings.first(), expected),
                 qPrintable(vector_text(recorder.readings.first())));
    }

    void unreadable_value_is_skipped_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("letters") << QByteArray("abc\n");
        QTest::newRow("number with trailing junk") << QByteArray("12abc\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a number") << QByteArray("nan\n");
        QTest::newRow("infinite") << QByteArray("inf\n");
        QTest::newRow("two numbers") << QByteArray("1 2\n");
    }

    void unreadable_value_is_skipped()
    {
        QFETCH(QByteArray, value);
        FakeIioTree tree;
        QVERIFY(tree.write(pinephone));
        QVERIFY(tree.write_raw(0, 0, 16384));
        const QVector3D still(0.0f, 0.0f, 9.797632f);
        const QVector3D tilted(0.0f, -0.598f, 9.797632f);

        QAccelerometer sensor;
        RecordingFilter recorder;
        sensor.addFilter(&recorder);
        QVERIFY(sensor.start());
        QTRY_VERIFY_WITH_TIMEOUT(recorder.has(still), wait_ms);

        {
            const QMutexLocker locker(&warnings_lock);
            warnings.clear();
        }
        test_handler = qInstallMessageHandler(note_warnings);
        QVERIFY(tree.write(QStringLiteral("in_accel_y_raw"), value));
        const bool warned = QTest::qWaitFor([] { return !warnings_so_far().isEmpty(); }, wait_ms);
        QVERIFY(tree.write_raw(1000, 0, 16384));
        const bool recovered = QTest::qWaitFor([&] { return recorder.has(tilted); }, wait_ms);
        qInstallMessageHandler(test_handler);

        QVERIFY(warned);
        const QString warning = warnings_so_far().first();
        QVERIFY2(warning.contains(QLatin1String("in_accel_y_raw")), qPrintable(warning));
        QVERIFY(recovered);
        QVERIFY(sensor.isActive());
        for (const QVector3D &reading : qAsConst(recorder.readings))
            QVERIFY2(RecordingFilter::near(reading, still) ||
                         RecordingFilter::near(reading, tilted),
                     qPrintable(vector_text(reading)));
    }

    void removed_device_stops_the_sensor_with_an_error()
    {
        FakeIioTree tree;
        QVERIFY(tree.write(pinephone));
        QVERIFY(tree.write_raw(0, 0, 16384));

        QAccelerometer sensor;
        RecordingFilter recorder;
        sensor.addFilter(&recorder);
        QSignalSpy errors(&sensor, &QSensor::sensorError);
        QVERIFY(sensor.start());
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.readings.isEmpty(), wait_ms);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("is gone")));
        QVERIFY(tree.remove());
        QVERIFY(errors.wait(wait_ms));
        QCOMPARE(errors.first().first().toInt(), ENODEV);
        QVERIFY(!sensor.isActive());

        // It stays stopped: started again, it reports the device gone.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("is gone")));
        QVERIFY(!sensor.start());
        QVERIFY(!sensor.isActive());
    }

    // Some drivers sleep in every read; the window's event loop must not.
    void slow_read_leaves_the_event_loop_running()
    {
        FakeIioTree tree;
        QVERIFY(tree.write(QStringLiteral("in_accel_scale"), "0.5\n"));
        QVERIFY(tree.write_raw(2, 2, 2));
        QAccelerometer sensor;
        RecordingFilter recorder;
        sensor.addFilter(&recorder);
        QVERIFY(sensor.start());
        QTRY_VERIFY_WITH_TIMEOUT(recorder.has(QVector3D(1.0f, 1.0f, 1.0f)), wait_ms);

        // x becomes a pipe that the test holds open: a read of it waits
        // until the test writes a value.
        const QByteArray x_path =
            QFile::encodeName(tree.device() + QStringLiteral("/in_accel_x_raw"));
        const QByteArray pipe_path = QFile::encodeName(tree.device() + QStringLiteral("/x.pipe"));
        QCOMPARE(::mkfifo(pipe_path.constData(), 0600), 0);
        const int pipe = ::open(pipe_path.constData(), O_RDWR);
        QVERIFY(pipe >= 0);
        QCOMPARE(::rename(pipe_path.constData(), x_path.constData()), 0);

        QTimer beat;
        QSignalSpy beats(&beat, &QTimer::timeout);
        beat.start(10);
        QTRY_VERIFY_WITH_TIMEOUT(beats.count() >= 10, wait_ms);

        // The waiting read gets its value once the pipe is closed; the next
        // one finds a plain file again.
        QCOMPARE(::write(pipe, "8\n", 2), ssize_t(2));
        QVERIFY(tree.write(QStringLiteral("in_accel_x_raw"), "2\n"));
        ::close(pipe);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.has(QVector3D(4.0f, 1.0f, 1.0f)), wait_ms);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.readings.last() == QVector3D(1.0f, 1.0f, 1.0f), wait_ms);
    }

    void unreadable_scale_gives_no_readings()
    {
        FakeIioTree tree;
        QVERIFY(tree.write(QStringLiteral("in_accel_scale"), "0.0005x98\n"));
        QVERIFY(tree.write_raw(0, 0, 16384));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not a number")));
        QAccelerometer sensor;
        QVERIFY(!sensor.start());
        QCOMPARE(sensor.identifier(), iio_id);
        QCOMPARE(sensor.error(), EIO);
    }

    void rate_is_bounded_by_the_device_data()
    {
        QTest::addColumn<Attributes>("attributes");
        QTest::addColumn<int>("highest");
        QTest::newRow("PinePhone's 50 Hz") << pinephone << 50;
        QTest::newRow("fractional rate of the channels")
            << Attributes{{QStringLiteral("in_accel_sampling_frequency"), "12.500000"}} << 12;
        QTest::newRow("rates available")
            << Attributes{{QStringLiteral("sampling_frequency_available"), "10 50 119 238 476 952"}}
            << 952;
        QTest::newRow("rate range available")
            << Attributes{{QStringLiteral("sampling_frequency_available"), "[1 1 200]"}} << 200;
        QTest::newRow("device names no rate") << Attributes{} << 1000;
    }

    void rate_is_bounded_by_the_device()
    {
        QFETCH(Attributes, attributes);
        QFETCH(int, highest);
        FakeIioTree tree;
        QVERIFY(tree.write(attributes));
        QVERIFY(tree.write_raw(0, 0, 16384));
        QAccelerometer sensor;
        QVERIFY(sensor.connectToBackend());
        QCOMPARE(sensor.availableDataRates(), (qrangelist{qrange(1, highest)}));
    }

    void first_device_with_accelerometer_channels_is_used()
    {
        FakeIioTree tree;
        // A magnetometer first, as on the PinePhone, then two accelerometers.
        QVERIFY(tree.write(QStringLiteral("in_magn_x_raw"), "5\n", 0));
        QVERIFY(tree.write(QStringLiteral("in_accel_scale"), "1\n", 2));
        QVERIFY(tree.write_raw(1, 1, 1, 2));
        QVERIFY(tree.write(QStringLiteral("in_accel_scale"), "1\n", 10));
        QVERIFY(tree.write_raw(10, 10, 10, 10));

        QAccelerometer sensor;
        RecordingFilter recorder;
        sensor.addFilter(&recorder);
        QVERIFY(sensor.start());
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.readings.isEmpty(), wait_ms);
        QCOMPARE(recorder.readings.first(), QVector3D(1.0f, 1.0f, 1.0f));
    }

    void iio_accelerometer_takes_the_place_of_a_trace()
    {
        FakeIioTree tree;
        QVERIFY(tree.write_raw(0, 0, 16384));
        QTemporaryDir dir;
        const QString trace = dir.filePath(QStringLiteral("still.trace"));
        QVERIFY(write_file(trace, "0 0 9.75\n"));
        qputenv("QUIVERBOLT_ACCEL_TRACE", QFile::encodeName(trace));
        QCOMPARE(accelerometers(), QByteArrayList{iio_id});
        QCOMPARE(QSensor::defaultSensorForType(QAccelerometer::type), iio_id);
    }

    void device_without_accelerometer_leaves_the_trace()
    {
        FakeIioTree tree;
        QVERIFY(tree.write(QStringLiteral("in_magn_x_raw"), "5\n"));
        QVERIFY(tree.write(QStringLiteral("in_magn_y_raw"), "5\n"));
        QVERIFY(tree.write(QStringLiteral("in_magn_z_raw"), "5\n"));
        QTemporaryDir dir;
        const QString trace = dir.filePath(QStringLiteral("still.trace"));
        QVERIFY(write_file(trace, "0 0 9.75\n"));
        qputenv("QUIVERBOLT_ACCEL_TRACE", QFile::encodeName(trace));
        QCOMPARE(accelerometers(), QByteArrayList{replay_id});
    }

    void platform_accelerometer_stays_the_default()
    {
        FakeIioTree tree;
        QVERIFY(tree.write_raw(0, 0, 16384));
        // An accelerometer of some other origin, the platform's own as far as ours can tell.
        ScriptedAccelerometerFactory other;
        QSensorManager::registerBackend(QAccelerometer::type, other_id, &other);
        QCOMPARE(accelerometers(), QByteArrayList{other_id});
        QCOMPARE(QSensor::defaultSensorForType(QAccelerometer::type), other_id);
        QSensorManager::unregisterBackend(QAccelerometer::type, other_id);
        QCOMPARE(accelerometers(), QByteArrayList{iio_id});
    }
};

class TestIioAccelerometerGui : public QObject
{
    Q_OBJECT

private slots:
    void iio_accelerometer_takes_the_place_of_the_mouse()
    {
        FakeIioTree tree;
        QVERIFY(tree.write_raw(0, 0, 16384));
        QCOMPARE(accelerometers(), QByteArrayList{iio_id});
    }

    // The whole game: the window's own accelerometer, its shake filter and
    // its clock, fed through the fake device as a shaken PinePhone.
    void shaking_the_phone_raises_the_power()
    {
        TestHome home;
        home.make_current();
        QVERIFY(write_file(home.save_path(), first_run_document()));
        FakeIioTree tree;
        QVERIFY(tree.write(pinephone));
        QVERIFY(tree.write_raw(0, 0, 16384));

        Quiverbolt game;
        auto *counter = game.findChild<QPushButton *>(QStringLiteral("curr_score"));
        auto *sensor = game.findChild<QAccelerometer *>();
        auto *clock = game.findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(counter && sensor && clock);
        QCOMPARE(sensor->identifier(), iio_id);
        QVERIFY(sensor->isActive());

        // Lying still, a second of ticks adds nothing.
        QSignalSpy ticks(clock, &QTimer::timeout);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 5, wait_ms);
        QCOMPARE(counter->text(), QStringLiteral("0"));

        // Shaken hard along the phone's x, which is the chip's -y: ±1.8 g.
        QTimer shaker;
        bool out = false;
        connect(&shaker, &QTimer::timeout, [&] {
            out = !out;
            QVERIFY(tree.write_raw(0, out ? 30000 : -30000, 16384));
        });
        shaker.start(30);
        QTRY_VERIFY_WITH_TIMEOUT(counter->text().toInt() > 50, wait_ms);
        QCOMPARE(counter->text(), QString::number(game_state().power));
    }
};

class TestIioAccelerometer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("QT_PLUGIN_PATH"),
                 "QT_PLUGIN_PATH must name the build's plugins folder");
    }

    void check_passes_in_a_process_of_its_own_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("check");
        add_check_rows(QStringLiteral("core"), TestIioAccelerometerCore::staticMetaObject);
        add_check_rows(QStringLiteral("gui"), TestIioAccelerometerGui::staticMetaObject);
    }

    void check_passes_in_a_process_of_its_own()
    {
        QFETCH(QString, kind);
        QFETCH(QString, check);

        QTemporaryDir folders;
        QVERIFY(folders.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QUIVERBOLT_ACCEL_TRACE"));
        environment.remove(QStringLiteral("QT_ACCEL_FILEPATH"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"),
                           folders.filePath(QStringLiteral("etc")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           folders.filePath(QStringLiteral("home")));
        // No device until a check makes one; no buses, no MCE, no screen saver.
        environment.insert(QStringLiteral("QUIVERBOLT_IIO_ROOT"),
                           folders.filePath(QStringLiteral("no-devices")));
        const QString nowhere =
            QStringLiteral("unix:path=") + folders.filePath(QStringLiteral("no-bus"));
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), nowhere);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), nowhere);

        const Run result = run_check(kind, check, environment);
        QVERIFY2(result.exit_code == 0, result.output.constData());
    }

};

int main(int argc, char *argv[])
{
    const int check = run_check_if_asked<TestIioAccelerometerCore, TestIioAccelerometerGui, QApplication>(
        argc, argv);
    if (check >= 0)
        return check;
    QCoreApplication app(argc, argv);
    TestIioAccelerometer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_iio_accelerometer.moc"
