// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The game on a phone without MCE: a private session bus with a stand-in
// screen saver, a private system bus where MCE may or may not run, and the
// real main window.

#include "app/idleinhibitor.h"
#include "app/quiverbolt.h"
#include "game/gamestate.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/mcepeer.h"
#include "support/scriptedaccelerometer.h"
#include "support/privatebus.h"
#include "support/testhome.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

constexpr int peer_timeout_ms = 10000;
const QString inhibit = QStringLiteral("Inhibit QuiverBolt");
// A release of a cookie that the screen saver handed out.
const QString uninhibit = QStringLiteral("UnInhibit");

// The stand-in screen saver and the test's line to its control object.
class ScreenSaverPeer
{
public:
    ~ScreenSaverPeer()
    {
        process.kill();
        process.waitForFinished();
    }

    bool start()
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(SCREENSAVER_STANDIN), QStringList());
        if (!process.waitForStarted(peer_timeout_ms))
            return false;
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(peer_timeout_ms))
                return false;
        }
        return process.readLine().trimmed() == "ready";
    }

    // The game's calls so far. Its calls and ours share the process's one
    // session bus connection, and the bus keeps their order: every call the
    // game sent before this one is on the list.
    QStringList calls() { return call(QStringLiteral("calls")).value(0).toStringList(); }
    int held() { return call(QStringLiteral("held")).value(0).toInt(); }
    bool clear() { return !call(QStringLiteral("clear_calls")).isEmpty(); }
    bool set_refusing(bool refusing)
    {
        return !call(QStringLiteral("set_refusing"), {refusing}).isEmpty();
    }

private:
    // The reply's arguments wrapped in a list, or an empty list when there was none.
    QVariantList call(const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/quiverbolt/test"),
            QStringLiteral("quiverbolt.test.ScreenSaverControl"), method);
        message.setArguments(arguments);
        const QDBusMessage reply =
            QDBusConnection::sessionBus().call(message, QDBus::Block, peer_timeout_ms);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        return reply.arguments().isEmpty() ? QVariantList{QVariant()} : reply.arguments();
    }

    QProcess process;
};

QTimer *tick_timer_of(Quiverbolt &window)
{
    return window.findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
}

void tick(Quiverbolt &window, int ticks)
{
    for (int i = 0; i < ticks; ++i)
        window.set_score();
}

void tell_display(Quiverbolt &window, const QString &state)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/com/nokia/mce/signal"),
                                                     QStringLiteral("com.nokia.mce.signal"),
                                                     QStringLiteral("display_status_ind"));
    signal << state;
    window.displayStateChanged(signal);
}

} // namespace

class TestIdleInhibitor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void one_inhibition_while_shaking_released_when_still();
    void display_off_releases_and_on_takes_again();
    void inhibition_released_at_exit();
    void refused_request_is_not_repeated_every_tick();
    void nothing_is_inhibited_where_mce_answers();
    void game_shaken_through_an_iio_accelerometer_keeps_the_screen_on();

private:
    Quiverbolt &open_window();
    // Waits until the window knows whether MCE runs and has its answer
    // from the screen saver.
    void settle();

    std::unique_ptr<SystemBus> system_bus;
    std::unique_ptr<SessionBus> session_bus;
    std::unique_ptr<TestHome> home;
    std::unique_ptr<McePeer> mce;
    ScreenSaverPeer screensaver;
    ScriptedAccelerometerFactory accelerometer;
    std::unique_ptr<Quiverbolt> window;
};

void TestIdleInhibitor::initTestCase()
{
    system_bus = std::make_unique<SystemBus>();
    QVERIFY2(system_bus->is_running(), qPrintable(system_bus->error()));
    session_bus = std::make_unique<SessionBus>();
    QVERIFY2(session_bus->is_running(), qPrintable(session_bus->error()));
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    home = std::make_unique<TestHome>();
    home->make_current();
    const QByteArray document = first_run_document();
    QVERIFY(write_file(home->save_path(), document));
    accelerometer.make_default(QByteArrayLiteral("quiverbolt.test.accelerometer"));
    QVERIFY(screensaver.start());
    mce = std::make_unique<McePeer>(QStringLiteral(MCE_STANDIN));
}

void TestIdleInhibitor::init()
{
    QVERIFY(screensaver.clear());
    QVERIFY(screensaver.set_refusing(false));
    game_state() = GameState{};
}

void TestIdleInhibitor::cleanup()
{
    window.reset();
    mce->stop();
}

Quiverbolt &TestIdleInhibitor::open_window()
{
    window = std::make_unique<Quiverbolt>();
    // The test ticks the clock itself.
    tick_timer_of(*window)->stop();
    return *window;
}

void TestIdleInhibitor::settle()
{
    const IdleInhibitor *inhibitor = window->findChild<IdleInhibitor *>();
    QVERIFY(inhibitor);
    QTRY_VERIFY_WITH_TIMEOUT(inhibitor->is_settled(), peer_timeout_ms);
}

void TestIdleInhibitor::one_inhibition_while_shaking_released_when_still()
{
    Quiverbolt &game = open_window();
    game_state().shake_window[0] = 3.0f;
    tick(game, 5);
    QTRY_COMPARE_WITH_TIMEOUT(screensaver.calls(), QStringList{inhibit}, peer_timeout_ms);
    QCOMPARE(screensaver.held(), 1);
    settle();
    tick(game, 40);
    QCOMPARE(screensaver.calls(), QStringList{inhibit});

    // Still: the power falls to zero and the one inhibition goes back, once.
    game_state().shake_window.fill(0.0f);
    tick(game, 10);
    QCOMPARE(screensaver.calls(), (QStringList{inhibit, uninhibit}));
    QCOMPARE(screensaver.held(), 0);
}

void TestIdleInhibitor::display_off_releases_and_on_takes_again()
{
    Quiverbolt &game = open_window();
    game_state().shake_window[0] = 3.0f;
    tick(game, 5);
    QTRY_COMPARE_WITH_TIMEOUT(screensaver.held(), 1, peer_timeout_ms);
    settle();

    tell_display(game, QStringLiteral("on"));
    tell_display(game, QStringLiteral("off"));
    QCOMPARE(screensaver.calls(), (QStringList{inhibit, uninhibit}));
    QCOMPARE(screensaver.held(), 0);

    // Back on with the power still up: held again until the power is gone.
    tell_display(game, QStringLiteral("on"));
    QTRY_COMPARE_WITH_TIMEOUT(screensaver.held(), 1, peer_timeout_ms);
    settle();
    game_state().shake_window.fill(0.0f);
    tick(game, 1);
    QCOMPARE(screensaver.calls(), (QStringList{inhibit, uninhibit, inhibit, uninhibit}));
}

void TestIdleInhibitor::inhibition_released_at_exit()
{
    Quiverbolt &game = open_window();
    game_state().shake_window[0] = 3.0f;
    tick(game, 5);
    QTRY_COMPARE_WITH_TIMEOUT(screensaver.held(), 1, peer_timeout_ms);

    window.reset();
    QCOMPARE(screensaver.calls(), (QStringList{inhibit, uninhibit}));
    QCOMPARE(screensaver.held(), 0);
}

void TestIdleInhibitor::refused_request_is_not_repeated_every_tick()
{
    QVERIFY(screensaver.set_refusing(true));
    Quiverbolt &game = open_window();
    game_state().shake_window[0] = 3.0f;
    tick(game, 5);
    QTRY_COMPARE_WITH_TIMEOUT(screensaver.calls(), QStringList{inhibit}, peer_timeout_ms);
    settle();
    tick(game, 40);
    QCOMPARE(screensaver.calls(), QStringList{inhibit});

    // The next game asks again.
    QVERIFY(screensaver.set_refusing(false));
    game_state().shake_window.fill(0.0f);
    tick(game, 1);
    game_state().shake_window.fill(1.0f);
    tick(game, 1);
    QTRY_COMPARE_WITH_TIMEOUT(screensaver.held(), 1, peer_timeout_ms);
    QCOMPARE(screensaver.calls(), (QStringList{inhibit, inhibit}));
}

void TestIdleInhibitor::nothing_is_inhibited_where_mce_answers()
{
    QVERIFY(mce->start());
    QVERIFY(mce->clear_requests());
    Quiverbolt &game = open_window();
    game_state().shake_window[0] = 3.0f;
    tick(game, 5);
    settle();
    tick(game, 5);

    // MCE is asked exactly as before, on every tick.
    QCOMPARE(mce->requests(), QVector<QString>(10, QStringLiteral("unlocked")).toList());
    window.reset();
    QCOMPARE(screensaver.calls(), QStringList());
}

// The game's own binary with its sensor plugin, on a fake PinePhone
// accelerometer (QUIVERBOLT_IIO_ROOT): shaking it raises the power, and so
// the screen saver is held off; still again, the power falls and it is let go.
void TestIdleInhibitor::game_shaken_through_an_iio_accelerometer_keeps_the_screen_on()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString device = root.filePath(QStringLiteral("iio:device0"));
    QVERIFY(QDir().mkpath(device));
    const auto write = [&](const QString &name, const QByteArray &text) {
        QSaveFile file(device + QLatin1Char('/') + name);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
    };
    const auto write_y = [&](int raw) {
        return write(QStringLiteral("in_accel_y_raw"), QByteArray::number(raw) + '\n');
    };
    QVERIFY(write(QStringLiteral("in_accel_scale"), "0.000598\n"));
    QVERIFY(write(QStringLiteral("in_accel_x_raw"), "0\n"));
    QVERIFY(write(QStringLiteral("in_accel_z_raw"), "16384\n"));
    QVERIFY(write_y(0));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_SENSORS_LOAD_PLUGINS"));
    environment.remove(QStringLiteral("QUIVERBOLT_ACCEL_TRACE"));
    environment.insert(QStringLiteral("QUIVERBOLT_IIO_ROOT"), root.path());
    QProcess game;
    game.setProcessEnvironment(environment);
    game.setProcessChannelMode(QProcess::ForwardedChannels);
    game.start(QStringLiteral(QUIVERBOLT_BINARY), QStringList());
    QVERIFY(game.waitForStarted());

    // ±1.8 g along the chip's y, five times a second.
    QTimer shaker;
    bool out = false;
    connect(&shaker, &QTimer::timeout, [&] {
        out = !out;
        QVERIFY(write_y(out ? 30000 : -30000));
    });
    shaker.start(100);
    QTRY_COMPARE_WITH_TIMEOUT(screensaver.calls(), QStringList{inhibit}, 30000);

    // The power is the last ten seconds of shaking.
    shaker.stop();
    QVERIFY(write_y(0));
    QTRY_COMPARE_WITH_TIMEOUT(screensaver.calls(), (QStringList{inhibit, uninhibit}), 30000);
    QCOMPARE(game.state(), QProcess::Running);
    game.kill();
    game.waitForFinished();
}

int main(int argc, char **argv)
{
    // Pixels do not matter here, and the sensor plugins of the machine would
    // look for their own services on the buses.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SENSORS_LOAD_PLUGINS", "0");
    QApplication app(argc, argv);
    TestIdleInhibitor test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_idle_inhibitor.moc"
