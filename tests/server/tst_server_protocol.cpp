// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The protocol as the game speaks it, against the real server over HTTP.

#include "support/databasefile.h"
#include "support/httpexchange.h"
#include "support/ratingserverprocess.h"
#include "support/runprogram.h"
#include "support/submissions.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

Player named(const QString &name, const QString &location)
{
    Player player;
    player.name = name;
    player.location = location;
    return player;
}

QByteArray with_sex(const QString &sex)
{
    Player player = named(QStringLiteral("Sexless"), QStringLiteral("Nowhere"));
    player.sex = sex;
    return genuine_body(player);
}

} // namespace

class TestServerProtocol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void submission_is_answered_as_the_game_reads_it_data();
    void submission_is_answered_as_the_game_reads_it();
    void raw_bytes_are_stored_as_typed_data();
    void raw_bytes_are_stored_as_typed();
    void later_lower_value_keeps_the_best_and_its_places();
    void body_larger_than_any_document_gets_413_with_a_reply();
    void kept_alive_connection_answers_request_after_request();
    void body_is_awaited_after_100_continue();
    void other_paths_and_methods_are_refused_data();
    void other_paths_and_methods_are_refused();
    void health_says_ok_while_the_database_answers();
    void every_request_is_logged_with_its_time();
    void public_url_option_sets_the_link();
    void default_database_is_in_the_data_folder();
    void database_newer_than_the_program_is_refused();
    void address_in_use_is_an_error();
    void seed_adds_the_players_asked_for();
    void command_line_explains_itself_data();
    void command_line_explains_itself();
    void terminate_answers_what_is_in_flight_and_exits_zero();

private:
    QTemporaryDir dir;
    RatingServerProcess server;
    QString database;
};

void TestServerProtocol::initTestCase()
{
    QVERIFY(dir.isValid());
    database = dir.filePath(QStringLiteral("r.db"));
    QVERIFY2(server.start(database), server.log().constData());
}

void TestServerProtocol::cleanupTestCase()
{
    QVERIFY2(server.stop(), server.log().right(2000).constData());
}

void TestServerProtocol::submission_is_answered_as_the_game_reads_it_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // empty: an accepted submission's message

    const auto post = [](const QByteArray &body) { return post_request(body); };
    QTest::newRow("genuine record")
        << post(genuine_body(named("Gene", "Genua"))) << 200 << QString();
    Player score = named("Scorer", "Espoo");
    score.tosend = 2;
    QTest::newRow("genuine score") << post(genuine_body(score)) << 200 << QString();
    QTest::newRow("text/plain content type")
        << post_request(genuine_body(named("Plain", "Turku")), "text/plain") << 200 << QString();
    QTest::newRow("no content type")
        << post_request(genuine_body(named("Bare", "Turku")), QByteArray()) << 200 << QString();
    Player chatty = named("Chatty", "Vaasa");
    chatty.message = QString(6000, QLatin1Char('m'));
    QTest::newRow("document cut at 4096 bytes")
        << post("xml=" + genuine_document(chatty).left(4096)) << 200 << QString();

    QByteArray no_sex = genuine_body(named("Nosex", "Kemi"));
    no_sex.replace("<sex>m</sex>", "");
    QTest::newRow("missing element")
        << post(no_sex) << 400 << QStringLiteral("Submission incomplete");
    QByteArray wrong_key = genuine_body(named("Forger", "Kemi"));
    wrong_key.replace("<your_top>500</your_top>", "<your_top>900</your_top>");
    QTest::newRow("wrong key") << post(wrong_key) << 422
                               << QStringLiteral("Record and key do not match");
    Player undecided = named("Undecided", "Kemi");
    undecided.tosend = 0;
    QTest::newRow("tosend 0") << post(genuine_body(undecided)) << 422
                              << QStringLiteral("choose record or score");
    QTest::newRow("sex x") << post(with_sex(QStringLiteral("x"))) << 422
                           << QStringLiteral("Choose men or women");
    QTest::newRow("empty name") << post(genuine_body(named("", "Kemi"))) << 422
                                << QStringLiteral("Enter your name");
    QTest::newRow("overlong name")
        << post(genuine_body(named(QString(65, QLatin1Char('n')), "Kemi"))) << 422
        << QStringLiteral("Name: 64 characters at most");
    QTest::newRow("no xml= prefix") << post(genuine_document(named("Prefixless", "Kemi"))) << 400
                                    << QStringLiteral("Submission not readable");
    QTest::newRow("percent-encoded document")
        << post("xml=" + QUrl::toPercentEncoding(
                             QString::fromUtf8(genuine_document(named("Encoded", "Kemi")))))
        << 400 << QStringLiteral("Submission incomplete");
    QTest::newRow("not HTTP") << QByteArray("HELLO\r\n\r\n") << 400
                              << QStringLiteral("Submission not readable");
}

void TestServerProtocol::submission_is_answered_as_the_game_reads_it()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    QFETCH(QString, message);

    const HttpResult result = http_exchange(server.port(), request);
    QCOMPARE(result.status, status);
    QVERIFY(result.head.contains("Content-Type: text/xml; charset=utf-8"));
    const GameView view = read_as_game(result.body);
    if (message.isEmpty()) {
        QVERIFY2(view.world_text.toInt() >= 1, result.body.constData());
        QCOMPARE(view.local_text, QStringLiteral("1"));
        QVERIFY(view.message.startsWith(QLatin1String("You are ")));
        QVERIFY(view.player_id > 0);
        QCOMPARE(view.link, server.url() + QStringLiteral("rating/m?player=") +
                                QString::number(view.player_id));
    } else {
        QCOMPARE(view.world_text, QStringLiteral("-"));
        QCOMPARE(view.local_text, QStringLiteral("-"));
        QCOMPARE(view.message, message);
        QCOMPARE(view.link, QString());
    }
}

void TestServerProtocol::raw_bytes_are_stored_as_typed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("stored_name");
    QTest::newRow("raw plus") << QStringLiteral("C++ Ann") << QStringLiteral("Plus+Town")
                              << QStringLiteral("C++ Ann");
    QTest::newRow("ampersand as &amp;")
        << QStringLiteral("Tom & Jerry") << QStringLiteral("A&B") << QStringLiteral("Tom & Jerry");
    QTest::newRow("percent sign and equals")
        << QStringLiteral("100%=win") << QStringLiteral("a=b") << QStringLiteral("100%=win");
    QTest::newRow("non-ASCII") << QStringLiteral("Анна Ääliö") << QStringLiteral("Jyväskylä")
                               << QStringLiteral("Анна Ääliö");
    QTest::newRow("folded white space") << QStringLiteral("  Anna \t Maria ")
                                        << QStringLiteral("Oulu") << QStringLiteral("Anna Maria");
    QTest::newRow("SQL in the name")
        << QStringLiteral("x'); DROP TABLE players; --") << QStringLiteral("Oulu")
        << QStringLiteral("x'); DROP TABLE players; --");
}

void TestServerProtocol::raw_bytes_are_stored_as_typed()
{
    QFETCH(QString, name);
    QFETCH(QString, location);
    QFETCH(QString, stored_name);

    const QByteArray body = genuine_body(named(name, location));
    const HttpResult result = http_exchange(server.port(), post_request(body));
    QCOMPARE(result.status, 200);
    const GameView view = read_as_game(result.body);
    QVERIFY(view.player_id > 0);

    DatabaseFile db(database);
    QVERIFY(db.is_open());
    const QVariantList row =
        db.row(QStringLiteral("SELECT name, location, best, submissions FROM players WHERE id = ?"),
               {view.player_id});
    QCOMPARE(row.value(0).toString(), stored_name);
    QCOMPARE(row.value(1).toString(), location);
    QCOMPARE(row.value(2).toInt(), 500);
    QCOMPARE(row.value(3).toInt(), 1);
}

void TestServerProtocol::later_lower_value_keeps_the_best_and_its_places()
{
    Player player = named(QStringLiteral("Steady"), QStringLiteral("Lowtown"));
    player.record = 400;
    const HttpResult first = http_exchange(server.port(), post_request(genuine_body(player)));
    QCOMPARE(first.status, 200);
    const GameView best = read_as_game(first.body);

    player.tosend = 2;
    player.score = 150;
    const HttpResult later = http_exchange(server.port(), post_request(genuine_body(player)));
    QCOMPARE(later.status, 200);
    const GameView view = read_as_game(later.body);
    QCOMPARE(view.player_id, best.player_id);
    QCOMPARE(view.world_text, best.world_text);
    QCOMPARE(view.local_text, QStringLiteral("1"));
    QCOMPARE(
        view.message,
        QStringLiteral("Your best stays %1!").arg(best.message.section(QLatin1Char(' '), 2, 2)));

    DatabaseFile db(database);
    const QVariantList row = db.row(
        QStringLiteral("SELECT best, submissions FROM players WHERE id = ?"), {view.player_id});
    QCOMPARE(row.value(0).toInt(), 400);
    QCOMPARE(row.value(1).toInt(), 2);
}

void TestServerProtocol::body_larger_than_any_document_gets_413_with_a_reply()
{
    const QByteArray body = "xml=" + QByteArray(20000, 'x');
    const HttpResult result = http_exchange(server.port(), post_request(body));
    QCOMPARE(result.status, 413);
    const GameView view = read_as_game(result.body);
    QCOMPARE(view.message, QStringLiteral("Submission too large"));
    QCOMPARE(view.world_text, QStringLiteral("-"));
}

void TestServerProtocol::kept_alive_connection_answers_request_after_request()
{
    // Two requests back to back on one connection, the first kept alive.
    QByteArray first = post_request(genuine_body(named("Alive", "Keepton")));
    first.replace("Connection: close", "Connection: keep-alive");
    const QByteArray second = get_request("/healthz");

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(socket.waitForConnected(10000));
    socket.write(first + second);
    QByteArray received;
    while (!received.contains("\r\n\r\nok\n") && socket.waitForReadyRead(10000))
        received += socket.readAll();
    QCOMPARE(received.count("HTTP/1.1 200 OK"), 2);
    QVERIFY(received.contains("</rating>"));
    QVERIFY(received.endsWith("\r\n\r\nok\n"));
}

void TestServerProtocol::body_is_awaited_after_100_continue()
{
    const QByteArray body = genuine_body(named("Patient", "Oulu"));
    QByteArray request = post_request(body);
    request.chop(body.size());
    request.replace("Connection: close\r\n", "Expect: 100-continue\r\nConnection: close\r\n");

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(socket.waitForConnected(10000));
    socket.write(request);
    QByteArray received;
    while (!received.contains("\r\n\r\n") && socket.waitForReadyRead(10000))
        received += socket.readAll();
    QVERIFY2(received.startsWith("HTTP/1.1 100 Continue\r\n\r\n"), received.constData());
    received.clear();
    socket.write(body);
    while (!received.contains("</rating>") && socket.waitForReadyRead(10000))
        received += socket.readAll();
    QVERIFY2(received.startsWith("HTTP/1.1 200 OK"), received.constData());
}

void TestServerProtocol::other_paths_and_methods_are_refused_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QTest::newRow("GET /") << get_request("/") << 405;
    QTest::newRow("POST /healthz")
        << QByteArray(post_request("xml=").replace("POST / ", "POST /healthz ")) << 405;
    QTest::newRow("unknown path") << get_request("/nothing/here") << 404;
    QTest::newRow("POST elsewhere")
        << QByteArray(post_request("xml=").replace("POST / ", "POST /submit ")) << 404;
}

void TestServerProtocol::other_paths_and_methods_are_refused()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    QCOMPARE(http_exchange(server.port(), request).status, status);
}

void TestServerProtocol::health_says_ok_while_the_database_answers()
{
    const HttpResult result = http_exchange(server.port(), get_request("/healthz"));
    QCOMPARE(result.status, 200);
    QCOMPARE(result.body, QByteArray("ok\n"));
}

void TestServerProtocol::every_request_is_logged_with_its_time()
{
    http_exchange(server.port(), get_request("/healthz?probe=1"));
    QTRY_VERIFY_WITH_TIMEOUT(server.log().contains("GET /healthz 200 "), 10000);
    static const QRegularExpression line(QStringLiteral("^GET /healthz 200 \\d+us$"),
                                         QRegularExpression::MultilineOption);
    QVERIFY2(QString::fromUtf8(server.log()).contains(line), server.log().right(500).constData());
}

void TestServerProtocol::public_url_option_sets_the_link()
{
    QTemporaryDir own;
    RatingServerProcess other;
    QVERIFY2(
        other.start(own.filePath(QStringLiteral("p.db")),
                    {QStringLiteral("--public-url"), QStringLiteral("https://rating.example")}),
        other.log().constData());
    const HttpResult result =
        http_exchange(other.port(), post_request(genuine_body(named("Linked", "Oulu"))));
    QCOMPARE(result.status, 200);
    QCOMPARE(read_as_game(result.body).link,
             QStringLiteral("https://rating.example/rating/m?player=1"));
    QVERIFY(other.stop());
}

void TestServerProtocol::default_database_is_in_the_data_folder()
{
    QTemporaryDir data;
    RatingServerProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    other.process().setProcessEnvironment(env);
    QVERIFY2(other.start(QString()), other.log().constData());
    QCOMPARE(http_exchange(other.port(), post_request(genuine_body(named("Home", "Oulu")))).status,
             200);
    QVERIFY(other.stop());
    const QString file = data.filePath(QStringLiteral("quiverbolt/rating.db"));
    QVERIFY(QFileInfo(file).isFile());
    DatabaseFile db(file);
    QCOMPARE(db.row(QStringLiteral("SELECT count(*) FROM players")).value(0).toInt(), 1);
}

void TestServerProtocol::database_newer_than_the_program_is_refused()
{
    QTemporaryDir own;
    const QString file = own.filePath(QStringLiteral("new.db"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery(QStringLiteral("PRAGMA user_version = 99"), db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("newer"));

    const Run result =
        run(rating_server_binary(),
            {QStringLiteral("serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
             QStringLiteral("--database"), QStringLiteral("sqlite:") + file});
    QCOMPARE(result.exit_code, 1);
    QVERIFY2(result.output.contains("newer than this program"), result.output.constData());
}

void TestServerProtocol::address_in_use_is_an_error()
{
    QTemporaryDir own;
    const Run result =
        run(rating_server_binary(),
            {QStringLiteral("serve"), QStringLiteral("--listen"),
             QStringLiteral("127.0.0.1:%1").arg(server.port()), QStringLiteral("--database"),
             QStringLiteral("sqlite:") + own.filePath(QStringLiteral("busy.db"))});
    QCOMPARE(result.exit_code, 1);
    QVERIFY2(result.output.contains("cannot listen on 127.0.0.1:"), result.output.constData());
}

void TestServerProtocol::seed_adds_the_players_asked_for()
{
    QTemporaryDir own;
    const QString file = own.filePath(QStringLiteral("seeded.db"));
    const Run seed =
        run(rating_server_binary(),
            {QStringLiteral("seed"), QStringLiteral("--players"), QStringLiteral("500"),
             QStringLiteral("--database"), QStringLiteral("sqlite:") + file});
    QVERIFY2(seed.exit_code == 0, seed.output.constData());
    {
        DatabaseFile db(file);
        // Some made-up players have no location: they are stored all the same.
        QCOMPARE(db.row(QStringLiteral("SELECT count(*), sum(location = '') FROM players"))
                     .value(0)
                     .toInt(),
                 500);
        QVERIFY(db.row(QStringLiteral("SELECT count(*) FROM players WHERE location = ''"))
                    .value(0)
                    .toInt() > 0);
    }

    RatingServerProcess other;
    QVERIFY2(other.start(file), other.log().constData());
    Player newcomer = named(QStringLiteral("Newcomer"), QString());
    newcomer.record = 1000000;
    const HttpResult result = http_exchange(other.port(), post_request(genuine_body(newcomer)));
    QCOMPARE(result.status, 200);
    const GameView view = read_as_game(result.body);
    QCOMPARE(view.world_text, QStringLiteral("1"));
    QCOMPARE(view.local_text, QStringLiteral("-"));
    QVERIFY(other.stop());
}

void TestServerProtocol::command_line_explains_itself_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QByteArray>("says");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray("serve");
    QTest::newRow("--version") << QStringList{"--version"} << 0
                               << QByteArray("quiverbolt-rating " QUIVERBOLT_VERSION);
    QTest::newRow("serve --help") << QStringList{"serve", "--help"} << 0
                                  << QByteArray("--public-url <URL>");
    QTest::newRow("serve --version")
        << QStringList{"serve", "--version"} << 0 << QByteArray(QUIVERBOLT_VERSION);
    QTest::newRow("no command") << QStringList() << 2 << QByteArray("Usage:");
    QTest::newRow("unknown command") << QStringList{"dance"} << 2 << QByteArray("dance");
    QTest::newRow("bad listen address")
        << QStringList{"serve", "--listen", "nowhere"} << 2 << QByteArray("ADDR:PORT");
    QTest::newRow("unknown option")
        << QStringList{"serve", "--port", "80"} << 2 << QByteArray("Unknown option 'port'");
    QTest::newRow("stray argument") << QStringList{"serve", "now"} << 2 << QByteArray("now");
    QTest::newRow("unknown database")
        << QStringList{"serve", "--listen", "127.0.0.1:0", "--database", "mysql://x"} << 1
        << QByteArray("unsupported database URL");
}

void TestServerProtocol::command_line_explains_itself()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exit_code);
    QFETCH(QByteArray, says);
    const Run result = run(rating_server_binary(), arguments);
    QCOMPARE(result.exit_code, exit_code);
    QVERIFY2(result.output.contains(says), result.output.constData());
}

void TestServerProtocol::terminate_answers_what_is_in_flight_and_exits_zero()
{
    QTemporaryDir own;
    const QString file = own.filePath(QStringLiteral("t.db"));
    RatingServerProcess other;
    QVERIFY2(other.start(file), other.log().constData());

    // An idle kept-alive connection must not hold the stop up.
    QTcpSocket idle;
    idle.connectToHost(QHostAddress::LocalHost, other.port());
    QVERIFY(idle.waitForConnected(10000));

    // Many submissions at once; the stop comes with the first answer, while
    // the others are being read, queued or committed.
    std::vector<std::unique_ptr<HttpExchange>> exchanges;
    for (int i = 0; i < 24; ++i)
        exchanges.push_back(std::make_unique<HttpExchange>(
            other.port(),
            post_request(genuine_body(named(QStringLiteral("Late %1").arg(i), "Oulu")))));
    QSignalSpy first(exchanges.front().get(), &HttpExchange::finished);
    QVERIFY(first.wait(10000) || exchanges.front()->is_done());
    other.process().terminate();
    // Waiting in the event loop, so that the clients take their answers and close.
    QTRY_COMPARE_WITH_TIMEOUT(other.process().state(), QProcess::NotRunning, 20000);
    QCOMPARE(other.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(other.process().exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(idle.state(), QAbstractSocket::UnconnectedState, 10000);

    // Each submission was answered whole, or not read at all; every answered
    // one is stored.
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(exchanges.begin(), exchanges.end(), [](const auto &e) { return e->is_done(); }),
        20000);
    DatabaseFile db(file);
    int answered = 0;
    for (const auto &exchange : exchanges) {
        QVERIFY2(exchange->status() == 200 || exchange->status() == 0,
                 exchange->body().constData());
        if (exchange->status() != 200)
            continue;
        ++answered;
        const GameView view = read_as_game(exchange->body());
        QCOMPARE(
            db.row(QStringLiteral("SELECT count(*) FROM players WHERE id = ?"), {view.player_id})
                .value(0)
                .toInt(),
            1);
    }
    QVERIFY(answered >= 1);
}

QTEST_GUILESS_MAIN(TestServerProtocol)
#include "tst_server_protocol.moc"
