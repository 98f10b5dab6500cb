// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The installed game as a player meets it: a real X server, real mouse
// clicks at the windows' fixed positions, a replayed accelerometer, a system
// bus with a stand-in MCE, and the installed rating server on the game's
// rating address. What the player sees is
// read from screenshots of the game's windows and from the save file.
//
// The functions run in order and build on each other: first start refused,
// first start accepted, second start, then one game played through.

#include "constants.h"
#include "game/gamestate.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/mcepeer.h"
#include "support/httpexchange.h"
#include "support/runprogram.h"
#include "support/submissions.h"
#include "support/privatebus.h"
#include "support/testhome.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QString game_binary = QStringLiteral(QUIVERBOLT_INSTALL_BINDIR "/quiverbolt");
const QString rating_binary = QStringLiteral(QUIVERBOLT_INSTALL_BINDIR "/quiverbolt-rating");
const QString traces_dir = QStringLiteral(QUIVERBOLT_INSTALL_DATADIR "/quiverbolt/traces");

constexpr int window_timeout_ms = 20000;
constexpr int peer_timeout_ms = 10000;
constexpr int exit_timeout_ms = 10000;

// Window titles, sizes and the places the player taps, in window coordinates.
const QString main_title = QStringLiteral("QuiverBolt");
const QString terms_title = QStringLiteral("User License Agreement");
const QString submit_title = QStringLiteral("Submit record");
const QSize main_size(800, 423);
const QSize terms_size(800, 345);
const QSize submit_size(800, 380);
const QRect terms_no(20, 275, 310, 61);
const QRect terms_yes(370, 275, 411, 61);
const QRect submit_ok(370, 310, 411, 61);
const QRect submit_name(140, 10, 181, 72);
const QRect submit_location(530, 10, 251, 72);
const QRect submit_record_box(20, 160, 301, 51);
const QRect counter(0, 190, 801, 171);
const QRect submit_record(90, 360, 281, 61);
const QRect restart_game(420, 360, 281, 61);
const QRect tip_view(200, 60, 391, 71);
const QRect time_line(210, 130, 401, 31);

const QRgb counter_magenta = qRgb(184, 1, 169);
const QRgb link_green = qRgb(8, 101, 1);

// The rating the player meets: two stronger shakers, one of them in the
// player's town, and a weaker one there, so the player's record (a few
// hundred from a hard shake) is 3rd in the world and 2nd in town.
const QString player_name = QStringLiteral("Eve");
const QString player_town = QStringLiteral("Tampere");
const QList<Player> rivals = {
    {QStringLiteral("Ace"), QStringLiteral("Oslo"), QStringLiteral("m"), 1, 900000, 900000, {}},
    {QStringLiteral("Bo"), player_town, QStringLiteral("m"), 1, 800000, 800000, {}},
    {QStringLiteral("Cy"), player_town, QStringLiteral("m"), 1, 1, 1, {}},
};

// The loader's view of a save file.
struct Loaded
{
    GameState state;
    LoadedSave save;
};

Loaded load(const QByteArray &document)
{
    Loaded loaded;
    loaded.save = load_document(document, loaded.state);
    return loaded;
}

// Whole elapsed seconds as the file holds them.
int saved_seconds(const QByteArray &document)
{
    const int start = document.indexOf("<sec>");
    const int end = document.indexOf("</sec>");
    if (start < 0 || end < start)
        return -1;
    bool ok = false;
    const int seconds = document.mid(start + 5, end - start - 5).toInt(&ok);
    return ok ? seconds : -1;
}

// Tells a rewritten file from an untouched one, even within one clock tick:
// every save replaces the file with a new one.
struct FileStamp
{
    ino_t inode = 0;
    qint64 mtime_ns = 0;

    bool operator==(const FileStamp &other) const
    {
        return inode == other.inode && mtime_ns == other.mtime_ns;
    }
};

FileStamp stamp_of(const QString &path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {info.st_ino, qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

int pixels_of_colour(const QImage &image, const QRect &area, QRgb colour)
{
    const QRect inside = area & image.rect();
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
    }
    return count;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void refused_terms_exit_without_writing();
    void accepted_terms_write_first_run_document_then_show_game();
    void second_start_rewrites_first_run_document();
    void shaking_raises_power_and_tap_keeps_it_as_score();
    void restart_keeps_zero_score();
    void submission_posts_file_and_shows_reply_and_link();
    void display_off_stops_clock_and_on_resumes_it();
    void closing_window_exits_cleanly_without_writing();

private:
    void start_game(const QString &trace);
    void start_rating_server();
    bool type_into(WId window, const QRect &field, const QString &text);
    WId find_window(const QString &title, const QSize &size);
    bool click(WId window, const QRect &area);
    QImage grab(WId window);
    void close_window(WId window);
    void expect_exit_status_0();
    bool game_running() const { return game.state() == QProcess::Running; }
    // Taps the counter and returns the file that the tap saves; empty when
    // no save came.
    QByteArray keep_score();

    TestHome home;
    SystemBus bus;
    McePeer mce{QStringLiteral(MCE_STANDIN)};
    QProcess rating_server;
    QByteArray rating_log;
    QTemporaryDir work;
    QString prefix;
    QString opened_urls; // where the stand-in browser notes each URL it is handed
    QString opened_page; // the page as the browser built it
    QProcess game;
    WId main_window = 0;
    int zero_counter_pixels = 0; // magenta of the counter while it shows "0"
};

void TestEndToEnd::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server: run under xvfb-run");
    // The game's save file must land in this test's own home folder.
    if (qstrlen(quiverbolt::documents_dir) != 0)
        QSKIP("this build keeps its save file in a fixed folder");
    for (const char *tool : {"xdotool", "dbus-daemon", "chromium"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
    }
    QVERIFY(work.isValid());
    QVERIFY2(bus.is_running(), qPrintable(bus.error()));
    QVERIFY(mce.start());

    prefix = work.filePath(QStringLiteral("prefix"));
    const Run install = run(QStringLiteral(QUIVERBOLT_CMAKE),
                            {QStringLiteral("--install"), QStringLiteral(QUIVERBOLT_BUILD_DIR),
                             QStringLiteral("--prefix"), prefix});
    QVERIFY2(install.exit_code == 0, install.output.constData());
    start_rating_server();
    QVERIFY(QFileInfo(QDir(prefix).filePath(game_binary)).isExecutable());

    // Qt hands URLs to xdg-open when it finds one on the PATH. This one notes
    // each URL and opens it in a headless browser, which leaves the page as
    // the browser built it.
    const QString stub_dir = work.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(stub_dir));
    opened_urls = work.filePath(QStringLiteral("opened-urls"));
    QFile browser(QDir(stub_dir).filePath(QStringLiteral("xdg-open")));
    QVERIFY(browser.open(QIODevice::WriteOnly));
    opened_page = work.filePath(QStringLiteral("opened-page.html"));
    browser.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + QFile::encodeName(opened_urls) +
                  "'\n"
                  "chromium --headless --no-sandbox --disable-gpu --disable-quic "
                  "--no-first-run --disable-background-networking --disable-component-update "
                  "--disable-sync --no-proxy-server --user-data-dir='" +
                  QFile::encodeName(work.filePath(QStringLiteral("browser"))) +
                  "' --dump-dom \"$1\" >'" + QFile::encodeName(opened_page) + ".part' 2>/dev/null "
                  "&& mv '" + QFile::encodeName(opened_page) + ".part' '" +
                  QFile::encodeName(opened_page) + "'\n");
    browser.close();
    QVERIFY(browser.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                   QFileDevice::ExeOwner));
    qputenv("PATH", QFile::encodeName(stub_dir) + ':' + qgetenv("PATH"));
}

void TestEndToEnd::start_rating_server()
{
    // The game's own rating address, so nothing in the game is redirected.
    const QUrl address(QString::fromLatin1(quiverbolt::rating_url));
    rating_server.start(QDir(prefix).filePath(rating_binary),
                        {QStringLiteral("serve"), QStringLiteral("--listen"),
                         QStringLiteral("127.0.0.1:%1").arg(address.port()),
                         QStringLiteral("--database"),
                         QStringLiteral("sqlite:") + work.filePath(QStringLiteral("rating.db"))});
    QVERIFY2(rating_server.waitForStarted(), qPrintable(rating_server.errorString()));
    connect(&rating_server, &QProcess::readyReadStandardError, this,
            [this] { rating_log += rating_server.readAllStandardError(); });
    QTRY_VERIFY2_WITH_TIMEOUT(rating_log.contains("listening on") ||
                                  rating_server.state() != QProcess::Running,
                              rating_log.constData(), peer_timeout_ms);
    QVERIFY2(rating_server.state() == QProcess::Running, rating_log.constData());
    for (const Player &rival : rivals) {
        const HttpResult answer =
            http_exchange(quint16(address.port()), post_request(genuine_body(rival)));
        QVERIFY2(answer.status == 200, answer.body.constData());
    }
}

bool TestEndToEnd::type_into(WId window, const QRect &field, const QString &text)
{
    // A click gives the field the focus; the keys then go where the pointer is.
    if (!click(window, field))
        return false;
    const Run type = run(QStringLiteral("xdotool"),
                         {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                          text});
    if (type.exit_code != 0)
        qWarning("xdotool: %s", type.output.constData());
    return type.exit_code == 0;
}

void TestEndToEnd::cleanupTestCase()
{
    if (rating_server.state() == QProcess::Running) {
        rating_server.terminate();
        rating_server.waitForFinished();
    }
    if (!game_running())
        return;
    game.kill();
    game.waitForFinished();
}

void TestEndToEnd::start_game(const QString &trace)
{
    QVERIFY(!game_running());
    // Started as the launcher starts it: the game finds its own sensor
    // plugin; everything else comes from the environment of this test (home
    // folder, system bus, X display, the stand-in browser on the PATH).
    QProcessEnvironment env = home.environment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("QT_PLUGIN_PATH"));
    env.insert(QStringLiteral("QUIVERBOLT_ACCEL_TRACE"),
               QDir(prefix).filePath(traces_dir + QLatin1Char('/') + trace));
    // The trace plays only where the machine has no accelerometer of its own.
    env.insert(QStringLiteral("QUIVERBOLT_IIO_ROOT"),
               work.filePath(QStringLiteral("no-iio-devices")));
    game.setProcessEnvironment(env);
    game.setWorkingDirectory(work.path());
    game.setProcessChannelMode(QProcess::ForwardedChannels);
    game.start(QDir(prefix).filePath(game_binary), QStringList());
    QVERIFY(game.waitForStarted());
}

WId TestEndToEnd::find_window(const QString &title, const QSize &size)
{
    const Run search = run(QStringLiteral("xdotool"),
                           {QStringLiteral("search"), QStringLiteral("--sync"),
                            QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                            QStringLiteral("--pid"), QString::number(game.processId()),
                            QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')},
                           window_timeout_ms);
    if (search.exit_code != 0) {
        qWarning("no window \"%s\": %s", qPrintable(title), search.output.constData());
        return 0;
    }
    const QList<QByteArray> ids = search.output.trimmed().split('\n');
    if (ids.size() != 1) {
        qWarning("windows \"%s\": %s", qPrintable(title), search.output.constData());
        return 0;
    }
    const WId window = ids.first().toULongLong();
    // The taps below hit the right widgets only in a window of the right size.
    const QSize shown = grab(window).size();
    if (shown != size) {
        qWarning("window \"%s\" is %dx%d", qPrintable(title), shown.width(), shown.height());
        return 0;
    }
    return window;
}

bool TestEndToEnd::click(WId window, const QRect &area)
{
    const QPoint at = area.center();
    const Run tap = run(QStringLiteral("xdotool"),
                        {QStringLiteral("mousemove"), QStringLiteral("--window"),
                         QString::number(window), QString::number(at.x()), QString::number(at.y()),
                         QStringLiteral("click"), QStringLiteral("1")});
    if (tap.exit_code != 0)
        qWarning("xdotool: %s", tap.output.constData());
    return tap.exit_code == 0;
}

QImage TestEndToEnd::grab(WId window)
{
    return QGuiApplication::primaryScreen()->grabWindow(window).toImage().convertToFormat(
        QImage::Format_RGB32);
}

void TestEndToEnd::close_window(WId window)
{
    const Run close = run(QStringLiteral(CLOSE_WINDOW), {QString::number(window)});
    QVERIFY2(close.exit_code == 0, close.output.constData());
}

void TestEndToEnd::expect_exit_status_0()
{
    QVERIFY2(game.waitForFinished(exit_timeout_ms), "the game did not end");
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 0);
}

QByteArray TestEndToEnd::keep_score()
{
    const FileStamp before = stamp_of(home.save_path());
    if (!click(main_window, counter))
        return {};
    const QDeadlineTimer deadline(peer_timeout_ms);
    while (stamp_of(home.save_path()) == before) {
        if (deadline.hasExpired())
            return {};
        QTest::qWait(20);
    }
    return read_file(home.save_path());
}

void TestEndToEnd::refused_terms_exit_without_writing()
{
    start_game(QStringLiteral("still.trace"));
    const WId terms = find_window(terms_title, terms_size);
    QVERIFY(terms);
    QVERIFY(click(terms, terms_no));
    expect_exit_status_0();
    QVERIFY(!QFile::exists(home.save_path()));
    QCOMPARE(QDir(home.documents()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
}

void TestEndToEnd::accepted_terms_write_first_run_document_then_show_game()
{
    start_game(QStringLiteral("still.trace"));
    const WId terms = find_window(terms_title, terms_size);
    QVERIFY(terms);
    QVERIFY(click(terms, terms_yes));
    const WId window = find_window(main_title, main_size);
    QVERIFY(window);
    const QByteArray document = read_file(home.save_path());
    QCOMPARE(document.size(), 331);
    QCOMPARE(document, first_run_document());

    close_window(window);
    expect_exit_status_0();
    QCOMPARE(read_file(home.save_path()), first_run_document());
}

void TestEndToEnd::second_start_rewrites_first_run_document()
{
    QVERIFY(mce.clear_requests());
    start_game(QStringLiteral("still.trace"));
    const WId window = find_window(main_title, main_size);
    QVERIFY(window);
    // The first-run document's empty key is no genuine key: the tops are
    // zeroed and the file is written as the game writes every save.
    QCOMPARE(read_file(home.save_path()),
             QByteArray("<quiverbolt_data><name></name><location></location><sex>m</sex>"
                        "<tosend>0</tosend><current_top>0</current_top><your_top>0</your_top>"
                        "<local_top>0</local_top><world_top>0</world_top><alt>0</alt><key></key>"
                        "<num>0</num><platf>1</platf><ver>1.1</ver><message></message>"
                        "<hiperlink></hiperlink><fsize>20</fsize><sec>0</sec></quiverbolt_data>"));

    // The clock runs: the time line changes twice, so at least five ticks
    // have passed with the phone lying still.
    for (int change = 0; change < 2; ++change) {
        const QImage before = grab(window).copy(time_line);
        QTRY_VERIFY_WITH_TIMEOUT(grab(window).copy(time_line) != before, 5000);
    }
    const QImage screen = grab(window);
    zero_counter_pixels = pixels_of_colour(screen, counter, counter_magenta);
    QVERIFY2(zero_counter_pixels > 0, "the counter shows no magenta \"0\"");
    // No power, so MCE is not asked to keep the touch-screen lock off.
    QCOMPARE(mce.requests(), QStringList());

    close_window(window);
    expect_exit_status_0();
}

void TestEndToEnd::shaking_raises_power_and_tap_keeps_it_as_score()
{
    QVERIFY2(zero_counter_pixels > 0, "needs the counter's \"0\" from the second start");
    QVERIFY(mce.clear_requests());
    start_game(QStringLiteral("vigorous.trace"));
    main_window = find_window(main_title, main_size);
    QVERIFY(main_window);

    // More and wider digits than the single "0".
    QTRY_VERIFY_WITH_TIMEOUT(pixels_of_colour(grab(main_window), counter, counter_magenta) >
                                 2 * zero_counter_pixels,
                             10000);
    QTRY_VERIFY_WITH_TIMEOUT(!mce.requests().isEmpty(), peer_timeout_ms);
    const QStringList requests = mce.requests();
    QCOMPARE(requests.count(QStringLiteral("unlocked")), requests.size());

    const QByteArray kept_file = keep_score();
    QVERIFY2(!kept_file.isEmpty(), "the tap saved nothing");
    const Loaded kept = load(kept_file);
    QVERIFY(!kept.save.key_rejected);
    QVERIFY2(kept.state.current_top > 0, "the kept score is 0");
    QCOMPARE(kept.state.your_top, kept.state.current_top);
}

void TestEndToEnd::restart_keeps_zero_score()
{
    QVERIFY2(game_running(), "the game is not running");
    const Loaded before = load(read_file(home.save_path()));
    QVERIFY(before.state.your_top > 0);

    const FileStamp stamp = stamp_of(home.save_path());
    QVERIFY(click(main_window, restart_game));
    QTRY_VERIFY_WITH_TIMEOUT(!(stamp_of(home.save_path()) == stamp), peer_timeout_ms);
    const Loaded after = load(read_file(home.save_path()));
    QVERIFY(!after.save.key_rejected);
    QCOMPARE(after.state.current_top, 0);
    QCOMPARE(after.state.your_top, before.state.your_top);
}

void TestEndToEnd::submission_posts_file_and_shows_reply_and_link()
{
    QVERIFY2(game_running(), "the game is not running");
    const int hint_green = pixels_of_colour(grab(main_window), tip_view, link_green);
    const Loaded before = load(read_file(home.save_path()));
    QVERIFY(before.state.your_top > 0);

    QVERIFY(click(main_window, submit_record));
    const WId submit = find_window(submit_title, submit_size);
    QVERIFY(submit);
    QVERIFY(type_into(submit, submit_name, player_name));
    QVERIFY(type_into(submit, submit_location, player_town));
    // The first-run file chose the score, which the restart made 0: send the record.
    QVERIFY(click(submit, submit_record_box));
    QVERIFY(click(submit, submit_ok));

    // The server's answer is stored and shown: 3rd in the world, 2nd in town.
    QTRY_VERIFY_WITH_TIMEOUT(read_file(home.save_path()).contains("<world_top>3</world_top>"),
                             peer_timeout_ms);
    const QByteArray stored = read_file(home.save_path());
    const Loaded answered = load(stored);
    QCOMPARE(answered.state.name, player_name);
    QCOMPARE(answered.state.location, player_town);
    QVERIFY(stored.contains("<tosend>1</tosend>"));
    QVERIFY(stored.contains("<num>1</num>"));
    QCOMPARE(answered.state.world_top, 3);
    QCOMPARE(answered.state.local_top, 2);
    QCOMPARE(answered.state.message, QStringLiteral("You are 3rd in the world!"));
    const int link_at = stored.indexOf("<hiperlink>") + 11;
    const QByteArray link = stored.mid(link_at, stored.indexOf("</hiperlink>") - link_at);
    QVERIFY2(link.startsWith("http://127.0.0.1:8390/rating/m?player="), link.constData());
    QVERIFY(stored.contains("<fsize>18</fsize>"));
    QVERIFY2(rating_log.contains("POST / 200"), rating_log.constData());

    // The message replaces the black hint as a green link, whole on its button.
    QTRY_VERIFY_WITH_TIMEOUT(
        pixels_of_colour(grab(main_window), tip_view, link_green) > hint_green + 100, 5000);
    const QImage shown = grab(main_window);
    shown.save(QStringLiteral(QUIVERBOLT_BUILD_DIR "/tests/end_to_end_rating_reply.png"));
    // Nothing of the message is cut at the button's edges.
    for (const QRect &edge : {QRect(tip_view.left(), tip_view.top(), 3, tip_view.height()),
                              QRect(tip_view.right() - 2, tip_view.top(), 3, tip_view.height())})
        QCOMPARE(pixels_of_colour(shown, edge, link_green), 0);

    QVERIFY(click(main_window, tip_view));
    QTRY_COMPARE_WITH_TIMEOUT(read_file(opened_urls), link + '\n', peer_timeout_ms);

    // The browser finds the player highlighted on the rating page.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(opened_page), 60000);
    const QByteArray page = read_file(opened_page);
    const QByteArray id = link.mid(link.indexOf("player=") + 7);
    const int row = page.indexOf("<tr id=\"player-" + id + "\" class=\"you\" aria-current=\"true\">");
    QVERIFY2(row >= 0, page.constData());
    const QByteArray highlighted = page.mid(row, page.indexOf("</tr>", row) - row);
    QVERIFY2(highlighted.contains(">3<") && highlighted.contains(player_name.toUtf8()) &&
                 highlighted.contains(player_town.toUtf8()),
             highlighted.constData());
}

void TestEndToEnd::display_off_stops_clock_and_on_resumes_it()
{
    QVERIFY2(game_running(), "the game is not running");
    // The first "on" of a run only starts what already runs; from then on
    // "off" stops the clock.
    QVERIFY(mce.emit_display_state(QStringLiteral("on")));
    QVERIFY(mce.emit_display_state(QStringLiteral("off")));

    const int stopped_at = saved_seconds(keep_score());
    QVERIFY(stopped_at >= 0);
    const QImage stopped = grab(main_window);
    // Long enough for the clock to pass a whole second if it still ran.
    QTest::qWait(1500);
    QCOMPARE(saved_seconds(keep_score()), stopped_at);
    const QImage still_stopped = grab(main_window);
    QCOMPARE(still_stopped.copy(time_line), stopped.copy(time_line));
    QCOMPARE(still_stopped.copy(counter), stopped.copy(counter));

    QVERIFY(mce.emit_display_state(QStringLiteral("on")));
    // The time line is set by ticks only: after the reply reset the clock it
    // may still show the time before, so its first change can be a step back.
    // The second is a whole second on.
    QImage time_shown = stopped.copy(time_line);
    for (int change = 0; change < 2; ++change) {
        QTRY_VERIFY_WITH_TIMEOUT(grab(main_window).copy(time_line) != time_shown, 5000);
        time_shown = grab(main_window).copy(time_line);
    }
    QVERIFY(saved_seconds(keep_score()) > stopped_at);
}

void TestEndToEnd::closing_window_exits_cleanly_without_writing()
{
    QVERIFY2(game_running(), "the game is not running");
    const QByteArray document = read_file(home.save_path());
    const FileStamp stamp = stamp_of(home.save_path());
    QVERIFY(!document.isEmpty());

    close_window(main_window);
    expect_exit_status_0();
    QCOMPARE(read_file(home.save_path()), document);
    QVERIFY(stamp_of(home.save_path()) == stamp);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_end_to_end.moc"
