// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include <QAccelerometer>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QProcess>
#include <QRegularExpression>
#include <QSensorManager>
#include <QTemporaryDir>
#include <QVector3D>
#include <QtTest>

#include "game/gamestate.h"
#include "game/smoothedaccelerometerfilter.h"
#include "support/checkprocess.h"
#include "support/scriptedaccelerometer.h"

#include <numeric>

// Qt Sensors loads its plugins and settles who is registered once per
// process, so every check here runs in a process of its own: TestSensorPluginCore under
// a QCoreApplication, TestSensorPluginGui under a QGuiApplication. The parent hands each
// one an environment without a trace, without IIO devices and with empty
// configuration folders.

namespace {

const QByteArray replay_id = QByteArrayLiteral("quiverbolt.replay");
const QByteArray mouse_id = QByteArrayLiteral("quiverbolt.mouse");
const QByteArray other_id = QByteArrayLiteral("test.accelerometer");
constexpr qreal standard_gravity = 9.80665;
constexpr qreal full_scale = 8 * standard_gravity;
constexpr int wait_ms = 15000;

// Keeps every reading that passes through the sensor's filter chain.
class RecordingFilter : public QAccelerometerFilter
{
public:
    bool filter(QAccelerometerReading *reading) override
    {
        readings.append(QVector3D(float(reading->x()), float(reading->y()), float(reading->z())));
        timestamps.append(reading->timestamp());
        return true;
    }

    QList<QVector3D> readings;
    QList<quint64> timestamps;
};

QByteArrayList accelerometers()
{
    return QSensor::sensorsForType(QAccelerometer::type);
}

// Writes a file into the check's own folder and returns its path.
QString write_file(const QString &name, const QByteArray &contents)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void use_trace(const QString &path)
{
    qputenv("QUIVERBOLT_ACCEL_TRACE", QFile::encodeName(path));
}

// Index of the first reading from `from` on that moves on x or y, or -1.
int first_moving_reading(const RecordingFilter &recorder, int from)
{
    for (int i = from; i < recorder.readings.size(); ++i) {
        if (recorder.readings.at(i).x() != 0.0f || recorder.readings.at(i).y() != 0.0f)
            return i;
    }
    return -1;
}

} // namespace

class TestSensorPluginCore : public QObject
{
    Q_OBJECT

private slots:
    void trace_plays_through_the_default_accelerometer_in_order()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(":5: not an")));
        QByteArray text = "# held in the hand\n# rate 25\n\n0.5 -1.25 9.75\n"
                          "1 2 3 4\n"
                          "-0.125 0.25 9.5\n";
        QList<QVector3D> expected{{0.5f, -1.25f, 9.75f}, {-0.125f, 0.25f, 9.5f}};
        for (int i = 0; i < 23; ++i) {
            const QVector3D value(i * 0.5f, -i * 0.25f, 9.0f + i * 0.125f);
            text += QByteArray::number(value.x()) + ' ' + QByteArray::number(value.y()) + "  " +
                    QByteArray::number(value.z()) + '\n';
            if (i == 10)
                text += "# a comment between readings\n";
            expected.append(value);
        }
        use_trace(write_file(QStringLiteral("hand.trace"), text));

        QAccelerometer sensor;
        RecordingFilter recorder;
        sensor.addFilter(&recorder);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(sensor.start());
        QCOMPARE(sensor.identifier(), replay_id);
        QVERIFY(sensor.isActive());

        // Without "# loop" the sensor stops after the last reading.
        QTRY_VERIFY_WITH_TIMEOUT(!sensor.isActive(), wait_ms);
        QCOMPARE(recorder.readings, expected);
        for (int i = 1; i < recorder.timestamps.size(); ++i)
            QVERIFY(recorder.timestamps.at(i) > recorder.timestamps.at(i - 1));
        // 25 readings at 25 Hz take about a second: far less means they came
        // too fast or in a burst, far more that they came too slowly.
        QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(sensor.reading()->x(), qreal(expected.last().x()));

        // Starting again plays the trace from its beginning.
        recorder.readings.clear();
        QVERIFY(sensor.start());
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.readings.isEmpty(), wait_ms);
        QCOMPARE(recorder.readings.first(), expected.first());
    }

    void looping_trace_starts_over()
    {
        use_trace(write_file(QStringLiteral("loop.trace"), "# loop\n# rate 200\n"
                                                           "1 0 9.75\n2 0 9.75\n3 0 9.75\n"));
        QAccelerometer sensor;
        RecordingFilter recorder;
        sensor.addFilter(&recorder);
        QVERIFY(sensor.start());
        QTRY_VERIFY_WITH_TIMEOUT(recorder.readings.size() >= 10, wait_ms);
        QVERIFY(sensor.isActive());
        for (int i = 0; i < recorder.readings.size(); ++i)
            QCOMPARE(recorder.readings.at(i), QVector3D(float(i % 3 + 1), 0.0f, 9.75f));
    }

    void unusable_trace_leaves_the_sensor_stopped_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("warning");
        QTest::newRow("missing file")
            << QDir::temp().filePath(QStringLiteral("no-such-folder/none.trace"))
            << QStringLiteral("cannot read");
        QTest::newRow("comments only")
            << write_file(QStringLiteral("empty.trace"), "# rate 100\n# loop\n")
            << QStringLiteral("holds no readings");
    }

    void unusable_trace_leaves_the_sensor_stopped()
    {
        QFETCH(QString, path);
        QFETCH(QString, warning);
        use_trace(path);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));

        QAccelerometer sensor;
        QVERIFY(!sensor.start());
        QCOMPARE(sensor.identifier(), replay_id);
        QVERIFY(!sensor.isActive());
        QVERIFY(sensor.error() != 0);
    }

    void without_trace_or_gui_no_accelerometer_is_offered()
    {
        QVERIFY(accelerometers().isEmpty());
        QAccelerometer sensor;
        QVERIFY(!sensor.start());
    }

    void accelerometer_registered_first_stays_the_default()
    {
        use_trace(write_file(QStringLiteral("still.trace"), "0 0 9.75\n"));
        // An accelerometer of some other origin, a real one as far as ours can tell.
        ScriptedAccelerometerFactory other;
        QSensorManager::registerBackend(QAccelerometer::type, other_id, &other);

        QCOMPARE(accelerometers(), QByteArrayList{other_id});
        QAccelerometer sensor;
        QVERIFY(sensor.start());
        QCOMPARE(sensor.identifier(), other_id);
        QSensorManager::unregisterBackend(QAccelerometer::type, other_id);
    }

    void accelerometer_registered_later_takes_over_until_it_goes()
    {
        use_trace(write_file(QStringLiteral("still.trace"), "0 0 9.75\n"));
        QCOMPARE(QSensor::defaultSensorForType(QAccelerometer::type), replay_id);

        ScriptedAccelerometerFactory other;
        QSensorManager::registerBackend(QAccelerometer::type, other_id, &other);
        QCOMPARE(accelerometers(), QByteArrayList{other_id});
        QCOMPARE(QSensor::defaultSensorForType(QAccelerometer::type), other_id);

        QSensorManager::unregisterBackend(QAccelerometer::type, other_id);
        QCOMPARE(accelerometers(), QByteArrayList{replay_id});
        QCOMPARE(QSensor::defaultSensorForType(QAccelerometer::type), replay_id);
    }

    // Qt's linuxsys plugin registers an accelerometer whenever
    // QT_ACCEL_FILEPATH is set: a file it can read is a real accelerometer.
    void readable_linuxsys_accelerometer_stays_the_default()
    {
        use_trace(write_file(QStringLiteral("still.trace"), "0 0 9.75\n"));
        qputenv("QT_ACCEL_FILEPATH",
                QFile::encodeName(write_file(QStringLiteral("accel"), "0 0 1000\n")));
        QCOMPARE(accelerometers(), QByteArrayList{QByteArrayLiteral("linuxsys.accelerometer")});
    }

    void linuxsys_without_its_file_leaves_ours_the_default()
    {
        use_trace(write_file(QStringLiteral("still.trace"), "0 0 9.75\n"));
        qputenv("QT_ACCEL_FILEPATH", "/nonexistent/accel");
        QVERIFY(accelerometers().contains(QByteArrayLiteral("linuxsys.accelerometer")));
        QCOMPARE(QSensor::defaultSensorForType(QAccelerometer::type), replay_id);
    }

    void shake_filter_finds_shaking_only_in_the_shaken_trace_data()
    {
        QTest::addColumn<QString>("trace");
        QTest::addColumn<bool>("shaken");
        QTest::newRow("still") << QStringLiteral("still.trace") << false;
        QTest::newRow("vigorous") << QStringLiteral("vigorous.trace") << true;
    }

    void shake_filter_finds_shaking_only_in_the_shaken_trace()
    {
        QFETCH(QString, trace);
        QFETCH(bool, shaken);
        use_trace(QStringLiteral(QUIVERBOLT_TRACES_DIR "/") + trace);
        GameState state;
        QAccelerometer sensor;
        smoothedaccelerometerfilter shake_filter{state};
        RecordingFilter recorder;
        sensor.addFilter(&shake_filter);
        sensor.addFilter(&recorder);
        QVERIFY(sensor.start());
        // Two seconds: the shaken trace starts with half a second held still.
        QTRY_VERIFY_WITH_TIMEOUT(recorder.readings.size() >= 200, wait_ms);
        sensor.stop();

        const float intensity =
            std::accumulate(state.shake_window.begin(), state.shake_window.end(), 0.0f);
        if (shaken)
            QVERIFY2(intensity > 0.0f, qPrintable(QString::number(intensity)));
        else
            QCOMPARE(intensity, 0.0f);
    }
};

class TestSensorPluginGui : public QObject
{
    Q_OBJECT

private slots:
    void replay_is_preferred_over_the_mouse()
    {
        use_trace(write_file(QStringLiteral("still.trace"), "0 0 9.75\n"));
        QVERIFY(accelerometers().contains(mouse_id));
        QAccelerometer sensor;
        QVERIFY(sensor.start());
        QCOMPARE(sensor.identifier(), replay_id);
    }

    void sensors_conf_can_choose_the_mouse()
    {
        use_trace(write_file(QStringLiteral("still.trace"), "0 0 9.75\n"));
        const QString config = QFile::decodeName(qgetenv("XDG_CONFIG_DIRS"));
        QFile conf(config + QStringLiteral("/QtProject/Sensors.conf"));
        QVERIFY(QDir().mkpath(config + QStringLiteral("/QtProject")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[Default]\nQAccelerometer = quiverbolt.mouse\n");
        conf.close();

        QAccelerometer sensor;
        QVERIFY(sensor.start());
        QCOMPARE(sensor.identifier(), mouse_id);
    }

    void pointer_reads_gravity_when_still_and_moves_on_x_and_y()
    {
        const QPoint start(200, 200);
        QCursor::setPos(start);
        QTRY_COMPARE(QCursor::pos(), start);

        QAccelerometer sensor;
        RecordingFilter recorder;
        sensor.addFilter(&recorder);
        QVERIFY(sensor.start());
        QCOMPARE(sensor.identifier(), mouse_id);

        QTRY_VERIFY_WITH_TIMEOUT(recorder.readings.size() >= 20, wait_ms);
        for (const QVector3D &reading : qAsConst(recorder.readings))
            QCOMPARE(reading, QVector3D(0.0f, 0.0f, float(standard_gravity)));

        // Right and down on the screen: the phone's x grows, its y points up the screen.
        const int moved_at = recorder.readings.size();
        QCursor::setPos(start + QPoint(300, 200));
        QTRY_VERIFY_WITH_TIMEOUT(first_moving_reading(recorder, moved_at) >= 0, wait_ms);
        const QVector3D jolt = recorder.readings.at(first_moving_reading(recorder, moved_at));
        QVERIFY2(jolt.x() > 0 && jolt.y() < 0,
                 qPrintable(QStringLiteral("%1 %2").arg(jolt.x()).arg(jolt.y())));
        QVERIFY(jolt.x() <= float(full_scale) && jolt.y() >= -float(full_scale));
        QCOMPARE(jolt.z(), float(standard_gravity));

        // Once the pointer rests again, so does the phone.
        QTRY_COMPARE_WITH_TIMEOUT(recorder.readings.last(),
                                  QVector3D(0.0f, 0.0f, float(standard_gravity)), wait_ms);
    }
};

class TestSensorPlugin : public QObject
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
        add_check_rows(QStringLiteral("core"), TestSensorPluginCore::staticMetaObject);
        add_check_rows(QStringLiteral("gui"), TestSensorPluginGui::staticMetaObject);
    }

    void check_passes_in_a_process_of_its_own()
    {
        QFETCH(QString, kind);
        QFETCH(QString, check);

        QTemporaryDir config;
        QVERIFY(config.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QUIVERBOLT_ACCEL_TRACE"));
        environment.remove(QStringLiteral("QT_ACCEL_FILEPATH"));
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"),
                           config.filePath(QStringLiteral("etc")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           config.filePath(QStringLiteral("home")));
        // Whatever accelerometer this machine has, the checks see none.
        environment.insert(QStringLiteral("QUIVERBOLT_IIO_ROOT"),
                           config.filePath(QStringLiteral("no-devices")));

        const Run result = run_check(kind, check, environment);
        QVERIFY2(result.exit_code == 0, result.output.constData());
    }

};

int main(int argc, char *argv[])
{
    const int check = run_check_if_asked<TestSensorPluginCore, TestSensorPluginGui>(argc, argv);
    if (check >= 0)
        return check;
    QCoreApplication app(argc, argv);
    TestSensorPlugin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sensor_plugin.moc"
