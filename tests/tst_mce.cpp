// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The game against a real system bus: a private dbus-daemon with a stand-in
// MCE on it, and the real main window.

#include "app/quiverbolt.h"
#include "constants.h"
#include "game/gamestate.h"
#include "mcerequestproxy.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/mcepeer.h"
#include "support/scriptedaccelerometer.h"
#include "support/privatebus.h"
#include "support/runprogram.h"
#include "support/testhome.h"

#include <QAccelerometer>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Run as a child with this argument, the test builds the window with no
// system bus to be found: Qt connects the system bus once per process.
constexpr char without_system_bus_argument[] = "--without-system-bus";
// Run as a child with this argument, the test takes the system bus away
// from under a running game.
constexpr char losing_system_bus_argument[] = "--losing-system-bus";

constexpr int peer_timeout_ms = 10000;
// Far from the game's 200 ms, so that a timer restarted by the game shows.
constexpr int marker_interval_ms = 5000;

// An accelerometer that is never fed: it gives no readings but lets the
// sensor be started and stopped, so that isActive() follows what the game
// asked for.
void use_quiet_accelerometer()
{
    static ScriptedAccelerometerFactory factory;
    factory.make_default(QByteArrayLiteral("quiverbolt.test.accelerometer"));
}

bool write_first_run_save(const TestHome &home)
{
    const QByteArray document = first_run_document();
    return !document.isEmpty() && write_file(home.save_path(), document);
}

// Closes any modal box that comes up and remembers its title, so that a
// window that reports something fails the test instead of hanging it.
class ModalGuard
{
public:
    ModalGuard()
    {
        timer.setInterval(50);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                seen.append(modal->windowTitle());
                modal->close();
            }
        });
        timer.start();
    }

    QStringList seen;

private:
    QTimer timer;
};

QTimer *tick_timer_of(Quiverbolt &window)
{
    return window.findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
}

int proxy_count(Quiverbolt &window)
{
    return window.findChildren<ComNokiaMceRequestInterface *>().size();
}

} // namespace

// Sees display_status_ind the way the window does: same connection, same
// owner tracking. Once it has seen a signal, the window's copy of it is
// posted too.
class DisplayWatcher : public QObject
{
    Q_OBJECT

public:
    bool subscribe()
    {
        // QDBusConnection::connect takes the slot by its signature only.
        return QDBusConnection::systemBus().connect(
            QStringLiteral("com.nokia.mce"), QStringLiteral("/com/nokia/mce/signal"),
            QStringLiteral("com.nokia.mce.signal"), QStringLiteral("display_status_ind"), this,
            SLOT(seen(QDBusMessage)));
    }

signals:
    void received();

public slots:
    void seen(const QDBusMessage &) { emit received(); }
};

class TestMce : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void unlock_requests_follow_the_power_data();
    void unlock_requests_follow_the_power();
    void unlock_proxy_is_made_once();
    void display_signal_pauses_and_resumes_data();
    void display_signal_pauses_and_resumes();
    void resumed_game_continues_time_with_fresh_period();
    void ticks_keep_their_pace_while_mce_never_answers();
    void ticks_go_on_when_mce_crashes_and_a_new_mce_is_heard();
    void window_runs_without_any_system_bus();
    void window_runs_on_when_the_system_bus_goes_away();

private:
    Quiverbolt &open_window();
    bool send_display_state(const QString &state, bool with_state = true);

    std::unique_ptr<SystemBus> bus;
    std::unique_ptr<TestHome> home;
    McePeer mce{QStringLiteral(MCE_STANDIN)};
    DisplayWatcher watcher;
    std::unique_ptr<ModalGuard> guard;
    std::unique_ptr<Quiverbolt> window;
};

void TestMce::initTestCase()
{
    bus = std::make_unique<SystemBus>();
    QVERIFY2(bus->is_running(), qPrintable(bus->error()));
    QVERIFY(QDBusConnection::systemBus().isConnected());
    home = std::make_unique<TestHome>();
    home->make_current();
    QVERIFY(write_first_run_save(*home));
    use_quiet_accelerometer();
    QVERIFY(mce.start());
    QVERIFY(watcher.subscribe());
}

void TestMce::init()
{
    if (!mce.is_running())
        QVERIFY(mce.start());
    QVERIFY(mce.call(QStringLiteral("set_silent"), {false}));
    QVERIFY(mce.call(QStringLiteral("clear_requests")));
    game_state() = GameState{};
}

void TestMce::cleanup()
{
    if (guard)
        QVERIFY2(guard->seen.isEmpty(), qPrintable(guard->seen.join(QLatin1String(", "))));
    window.reset();
    guard.reset();
}

Quiverbolt &TestMce::open_window()
{
    guard = std::make_unique<ModalGuard>();
    window = std::make_unique<Quiverbolt>();
    return *window;
}

// Has MCE send the signal and returns once the window has handled it.
bool TestMce::send_display_state(const QString &state, bool with_state)
{
    QSignalSpy spy(&watcher, &DisplayWatcher::received);
    const bool sent = with_state ? mce.call(QStringLiteral("emit_display_state"), {state})
                                 : mce.call(QStringLiteral("emit_display_state_without_argument"));
    if (!sent || !QTest::qWaitFor([&] { return !spy.isEmpty(); }, peer_timeout_ms))
        return false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    return true;
}

void TestMce::unlock_requests_follow_the_power_data()
{
    QTest::addColumn<float>("intensity");
    QTest::addColumn<int>("requests");

    // Slot 0 stays in the sum for the first fifty ticks.
    QTest::newRow("still phone") << 0.0f << 0;
    QTest::newRow("sum below one") << 0.9f << 0;
    QTest::newRow("sum of exactly one") << 1.0f << 5;
    QTest::newRow("hard shaking") << 250.0f << 5;
}

void TestMce::unlock_requests_follow_the_power()
{
    QFETCH(float, intensity);
    QFETCH(int, requests);

    Quiverbolt &game = open_window();
    tick_timer_of(game)->stop();
    game_state().shake_window[0] = intensity;
    for (int tick = 0; tick < 5; ++tick)
        game.set_score();

    QStringList expected;
    for (int request = 0; request < requests; ++request)
        expected.append(QStringLiteral("unlocked"));
    QCOMPARE(mce.requests(), expected);
    QCOMPARE(proxy_count(game), requests > 0 ? 1 : 0);
}

void TestMce::unlock_proxy_is_made_once()
{
    Quiverbolt &game = open_window();
    tick_timer_of(game)->stop();
    game_state().shake_window[0] = 3.0f;
    constexpr int ticks = 40;
    for (int tick = 0; tick < ticks; ++tick)
        game.set_score();

    QCOMPARE(mce.requests().size(), ticks);
    QCOMPARE(proxy_count(game), 1);
    // Once the power falls back to zero the game stops asking.
    game_state().shake_window[0] = 0.0f;
    game.set_score();
    QCOMPARE(mce.requests().size(), ticks);
}

void TestMce::display_signal_pauses_and_resumes_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<bool>("with_state");
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("restarted");
    QTest::addColumn<int>("display_on");

    const QStringList fresh;
    const QStringList on{QStringLiteral("on")};
    const QStringList off{QStringLiteral("on"), QStringLiteral("off")};
    const QString no_state;

    // Sensor and timer run from start-up, before any state is reported.
    QTest::newRow("first on") << fresh << true << "on" << true << true << 1;
    QTest::newRow("off before the first on") << fresh << true << "off" << true << false << 0;
    QTest::newRow("on while on") << on << true << "on" << true << false << 1;
    QTest::newRow("off while on") << on << true << "off" << false << false << 0;
    QTest::newRow("on while off") << off << true << "on" << true << true << 1;
    QTest::newRow("second off in a row") << off << true << "off" << false << false << 0;
    QTest::newRow("dimmed while on") << on << true << "dimmed" << true << false << 1;
    QTest::newRow("dimmed while off") << off << true << "dimmed" << false << false << 0;
    QTest::newRow("empty while on") << on << true << "" << true << false << 1;
    QTest::newRow("empty while off") << off << true << "" << false << false << 0;
    QTest::newRow("upper case ON while off") << off << true << "ON" << false << false << 0;
    QTest::newRow("upper case OFF while on") << on << true << "OFF" << true << false << 1;
    QTest::newRow("unknown while on") << on << true << "sleeping" << true << false << 1;
    QTest::newRow("no argument while on") << on << false << no_state << true << false << 1;
    QTest::newRow("no argument while off") << off << false << no_state << false << false << 0;
}

void TestMce::display_signal_pauses_and_resumes()
{
    QFETCH(QStringList, before);
    QFETCH(bool, with_state);
    QFETCH(QString, state);
    QFETCH(bool, running);
    QFETCH(bool, restarted);
    QFETCH(int, display_on);

    Quiverbolt &game = open_window();
    auto *timer = tick_timer_of(game);
    auto *sensor = game.findChild<QAccelerometer *>();
    QVERIFY(timer && sensor);
    QVERIFY(sensor->isActive());
    for (const QString &earlier : before)
        QVERIFY(send_display_state(earlier));

    timer->setInterval(marker_interval_ms);
    QVERIFY(send_display_state(state, with_state));

    QCOMPARE(timer->isActive(), running);
    QCOMPARE(sensor->isActive(), running);
    QCOMPARE(timer->interval(), restarted ? quiverbolt::tick_interval_ms : marker_interval_ms);
    QVERIFY(!timer->isSingleShot());
    QCOMPARE(game_state().display_on, display_on);
}

void TestMce::resumed_game_continues_time_with_fresh_period()
{
    Quiverbolt &game = open_window();
    auto *timer = tick_timer_of(game);
    QSignalSpy ticks(timer, &QTimer::timeout);
    QVERIFY(send_display_state(QStringLiteral("on")));
    QTRY_VERIFY(ticks.count() >= 3);

    QVERIFY(send_display_state(QStringLiteral("off")));
    const double paused_at = game_state().sec;
    QVERIFY(paused_at > 0.0);
    QVERIFY(!timer->isActive());

    timer->setInterval(marker_interval_ms);
    ticks.clear();
    QVERIFY(send_display_state(QStringLiteral("on")));
    QCOMPARE(timer->interval(), quiverbolt::tick_interval_ms);
    QVERIFY(ticks.wait());
    QCOMPARE(game_state().sec, paused_at + quiverbolt::tick_seconds);
}

void TestMce::ticks_keep_their_pace_while_mce_never_answers()
{
    QVERIFY(mce.call(QStringLiteral("set_silent"), {true}));
    Quiverbolt &game = open_window();
    game_state().shake_window.fill(1.0f);

    // A tick that waits for MCE's answer either stalls or runs the event
    // loop inside itself; an event queued before the tick tells which.
    bool ticking = false;
    bool ran = false;
    bool ran_inside_tick = false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            ran = true;
            ran_inside_tick = ticking;
            // Let the waiting tick go, so that the test fails instead of hanging.
            if (ticking)
                mce.call(QStringLiteral("set_silent"), {false});
        },
        Qt::QueuedConnection);
    ticking = true;
    game.set_score();
    ticking = false;
    QTRY_VERIFY(ran);
    QVERIFY(!ran_inside_tick);

    // A tick that waited for MCE would hold the game for the call's 25 s
    // timeout; ten ticks take two seconds.
    QSignalSpy ticks(tick_timer_of(game), &QTimer::timeout);
    QVERIFY(QTest::qWaitFor([&] { return ticks.count() >= 10; }, 10000));
    QVERIFY(game_state().power > 0);
    const QStringList requests = mce.requests();
    QVERIFY(requests.size() >= 11);
    QCOMPARE(requests.count(QStringLiteral("unlocked")), requests.size());
    QCOMPARE(proxy_count(game), 1);
}

void TestMce::ticks_go_on_when_mce_crashes_and_a_new_mce_is_heard()
{
    QVERIFY(mce.call(QStringLiteral("set_silent"), {true}));
    Quiverbolt &game = open_window();
    auto *timer = tick_timer_of(game);
    game_state().shake_window.fill(1.0f);
    QSignalSpy ticks(timer, &QTimer::timeout);
    QTRY_VERIFY(ticks.count() >= 2);

    // Requests are left waiting for answers when MCE goes.
    QVERIFY(mce.crash());
    ticks.clear();
    QTRY_VERIFY(ticks.count() >= 3);
    QVERIFY(game_state().power > 0);

    // The one proxy speaks to whoever owns MCE's name now, and the window
    // hears the display state from the new owner.
    QVERIFY(mce.start());
    QTRY_VERIFY(!mce.requests().isEmpty());
    QCOMPARE(mce.requests().first(), QStringLiteral("unlocked"));
    QCOMPARE(proxy_count(game), 1);
    QVERIFY(send_display_state(QStringLiteral("on")));
    QVERIFY(send_display_state(QStringLiteral("off")));
    QVERIFY(!timer->isActive());
}

void TestMce::window_runs_without_any_system_bus()
{
    QTemporaryDir nowhere;
    QVERIFY(nowhere.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + nowhere.filePath(QStringLiteral("no_bus")));
    const Run child = run(QCoreApplication::applicationFilePath(),
                          {QLatin1String(without_system_bus_argument)}, 60000, environment);
    QVERIFY2(child.exit_code == 0, child.output.constData());
}

void TestMce::window_runs_on_when_the_system_bus_goes_away()
{
    const Run child = run(QCoreApplication::applicationFilePath(),
                          {QLatin1String(losing_system_bus_argument)}, 60000);
    QVERIFY2(child.exit_code == 0, child.output.constData());
}

// Runs in a child process with a system bus of its own, which it then stops.
class TestLosingSystemBus : public QObject
{
    Q_OBJECT

private slots:
    void ticks_go_on_after_the_bus_is_gone()
    {
        auto bus = std::make_unique<SystemBus>();
        QVERIFY2(bus->is_running(), qPrintable(bus->error()));
        TestHome home;
        home.make_current();
        QVERIFY(write_first_run_save(home));
        use_quiet_accelerometer();
        McePeer mce{QStringLiteral(MCE_STANDIN)};
        QVERIFY(mce.start());

        ModalGuard guard;
        Quiverbolt game;
        auto *timer = tick_timer_of(game);
        game_state().shake_window.fill(1.0f);
        QTRY_VERIFY(!mce.requests().isEmpty());

        bus.reset();
        QTRY_VERIFY(!QDBusConnection::systemBus().isConnected());
        QSignalSpy ticks(timer, &QTimer::timeout);
        QTRY_VERIFY(ticks.count() >= 3);
        QVERIFY(game_state().power > 0);
        QVERIFY(timer->isActive());
        QVERIFY2(guard.seen.isEmpty(), qPrintable(guard.seen.join(QLatin1String(", "))));
    }
};

// Runs in a child process whose system bus address leads nowhere.
class TestWithoutSystemBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(!QDBusConnection::systemBus().isConnected());
        home = std::make_unique<TestHome>();
    home->make_current();
        QVERIFY(write_first_run_save(*home));
        use_quiet_accelerometer();
    }

    void window_builds_ticks_and_reports_nothing()
    {
        ModalGuard guard;
        Quiverbolt game;
        auto *tip = game.findChild<QWidget *>(QStringLiteral("tip_label"));
        QVERIFY(tip);
        const QString tip_text = tip->property("text").toString();
        auto *timer = tick_timer_of(game);
        QVERIFY(timer->isActive());
        QVERIFY(game.findChild<QAccelerometer *>()->isActive());

        game_state().shake_window.fill(1.0f);
        QSignalSpy ticks(timer, &QTimer::timeout);
        QTRY_VERIFY(ticks.count() >= 3);
        QVERIFY(game_state().power > 0);
        QCOMPARE(game.findChild<QPushButton *>(QStringLiteral("curr_score"))->text(),
                 QString::number(game_state().power));

        QVERIFY2(guard.seen.isEmpty(), qPrintable(guard.seen.join(QLatin1String(", "))));
        QCOMPARE(tip->property("text").toString(), tip_text);
        QVERIFY(timer->isActive());
        QCOMPARE(game_state().display_on, 0);
    }

private:
    std::unique_ptr<TestHome> home;
};

int main(int argc, char **argv)
{
    // Pixels do not matter here, and the sensor plugins of the machine would
    // look for their own services on the system bus.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SENSORS_LOAD_PLUGINS", "0");
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    if (argc > 1 && qstrcmp(argv[1], without_system_bus_argument) == 0) {
        TestWithoutSystemBus test;
        return QTest::qExec(&test, 1, argv);
    }
    if (argc > 1 && qstrcmp(argv[1], losing_system_bus_argument) == 0) {
        TestLosingSystemBus test;
        return QTest::qExec(&test, 1, argv);
    }
    TestMce test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mce.moc"
