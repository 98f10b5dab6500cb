// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Hostile and abusive clients over real HTTP: too many submissions from one
// address, replayed documents, names written as SQL, oversized requests,
// more connections than the server takes, and thousands of broken bodies.

#include "support/httpexchange.h"
#include "support/ratingserverprocess.h"
#include "support/runprogram.h"
#include "support/submissions.h"
#include "support/testdatabase.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>
#include <random>
#include <vector>

namespace {

// A reply body is well-formed when an XML reader takes it whole and it holds
// the elements the game reads.
bool is_well_formed_reply(const QByteArray &body)
{
    QXmlStreamReader reader(body);
    QStringList elements;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            elements << reader.name().toString();
    }
    return !reader.hasError() && elements == QStringList{"rating",  "local_top", "world_top",
                                                         "message", "hiperlink", "fsize"};
}

// The players' table as the operator's listing prints it.
QByteArray listing(const QString &database)
{
    return run(rating_server_binary(),
               {QStringLiteral("list"), QStringLiteral("--database"), database_url(database)})
        .output;
}

} // namespace

class TestServerAbuse : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void submissions_past_the_rate_limit_get_429_with_a_reply_data();
    void submissions_past_the_rate_limit_get_429_with_a_reply();
    void resubmitted_document_changes_no_place_and_no_best();
    void hostile_names_are_stored_and_shown_as_typed_data();
    void hostile_names_are_stored_and_shown_as_typed();
    void oversized_requests_are_refused_data();
    void oversized_requests_are_refused();
    void connections_past_the_cap_get_503_at_once();
    void random_and_mutated_bodies_get_well_formed_replies();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString database;
    std::unique_ptr<RatingServerProcess> server;
};

void TestServerAbuse::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    database = dir->filePath(QStringLiteral("rating.db"));
    server = std::make_unique<RatingServerProcess>();
}

void TestServerAbuse::cleanup()
{
    if (server)
        server->stop();
    server.reset();
    dir.reset();
}

void TestServerAbuse::submissions_past_the_rate_limit_get_429_with_a_reply_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("accepted");
    QTest::newRow("three a minute") << 3 << 3;
    QTest::newRow("one a minute") << 1 << 1;
    QTest::newRow("no limit") << 0 << 40;
}

void TestServerAbuse::submissions_past_the_rate_limit_get_429_with_a_reply()
{
    QFETCH(int, limit);
    QFETCH(int, accepted);
    QVERIFY(server->start(database, {QStringLiteral("--rate-limit"), QString::number(limit)}));

    for (int i = 0; i < accepted; ++i) {
        Player player;
        player.name = QStringLiteral("Player %1").arg(i);
        const HttpResult result = http_exchange(server->port(), post_request(genuine_body(player)));
        QCOMPARE(result.status, 200);
    }
    if (limit == 0)
        return;
    const HttpResult refused = http_exchange(server->port(), post_request(genuine_body(Player())));
    QCOMPARE(refused.status, 429);
    const GameView view = read_as_game(refused.body);
    QCOMPARE(view.message, QStringLiteral("Wait a minute, then submit"));
    QCOMPARE(view.world_text, QStringLiteral("-"));
    // Pages and health checks are not submissions.
    QCOMPARE(http_exchange(server->port(), get_request("/healthz")).status, 200);
}

void TestServerAbuse::resubmitted_document_changes_no_place_and_no_best()
{
    QVERIFY(server->start(database));
    Player anna;
    anna.record = 700;
    Player bert;
    bert.name = QStringLiteral("Bert");
    bert.record = 600;
    const QByteArray request = post_request(genuine_body(anna));
    const HttpResult first = http_exchange(server->port(), request);
    QCOMPARE(first.status, 200);
    QCOMPARE(http_exchange(server->port(), post_request(genuine_body(bert))).status, 200);
    const QByteArray before = listing(database);

    const HttpResult again = http_exchange(server->port(), request);
    QCOMPARE(again.status, 200);
    const GameView first_view = read_as_game(first.body);
    const GameView again_view = read_as_game(again.body);
    QCOMPARE(again_view.world_text, first_view.world_text);
    QCOMPARE(again_view.local_text, first_view.local_text);
    QCOMPARE(again_view.link, first_view.link);
    QCOMPARE(again_view.message, QStringLiteral("Your best stays 1st!"));

    // Best, when it was set and the others stay; only Anna's count of
    // submissions grows by the one she made.
    const QByteArray after = listing(database);
    QList<QByteArray> before_rows = before.split('\n');
    QList<QByteArray> after_rows = after.split('\n');
    QCOMPARE(after_rows.size(), before_rows.size());
    QVERIFY2(before_rows.at(0).endsWith("\t1") && after_rows.at(0).endsWith("\t2"),
             after.constData());
    QCOMPARE(after_rows.at(0).left(after_rows.at(0).size() - 2),
             before_rows.at(0).left(before_rows.at(0).size() - 2));
    QCOMPARE(after_rows.at(1), before_rows.at(1));
}

void TestServerAbuse::hostile_names_are_stored_and_shown_as_typed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("location");
    QTest::newRow("drop table") << QStringLiteral("x'); DROP TABLE players; --")
                                << QStringLiteral("Oulu");
    QTest::newRow("quote in the location")
        << QStringLiteral("Anna") << QStringLiteral("O'Brien\"; DELETE FROM players; --");
    QTest::newRow("always true") << QStringLiteral("' OR '1'='1") << QStringLiteral("' OR 1=1 --");
    QTest::newRow("statement break")
        << QStringLiteral("a\\'; SELECT 1; --") << QStringLiteral("$1 :p1 ?");
}

void TestServerAbuse::hostile_names_are_stored_and_shown_as_typed()
{
    QFETCH(QString, name);
    QFETCH(QString, location);
    QVERIFY(server->start(database));
    Player bystander;
    bystander.name = QStringLiteral("Bystander");
    bystander.record = 900;
    QCOMPARE(http_exchange(server->port(), post_request(genuine_body(bystander))).status, 200);

    Player hostile;
    hostile.name = name;
    hostile.location = location;
    const HttpResult result = http_exchange(server->port(), post_request(genuine_body(hostile)));
    QCOMPARE(result.status, 200);
    QCOMPARE(read_as_game(result.body).world_text, QStringLiteral("2"));

    const QString shown = QString::fromUtf8(listing(database));
    QVERIFY2(
        shown.contains(QLatin1Char('\t') + name + QLatin1Char('\t') + location + QLatin1Char('\t')),
        qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("\tBystander\tOulu\t900\t")), qPrintable(shown));
    // The tables are still there and still take submissions.
    bystander.record = 950;
    QCOMPARE(http_exchange(server->port(), post_request(genuine_body(bystander))).status, 200);
}

void TestServerAbuse::oversized_requests_are_refused_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    // Announced at 1 MiB, of which only the first bytes are ever sent: the
    // answer comes without the body being read.
    QTest::newRow("body announced over 8 KiB")
        << QByteArray("POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 1048576\r\n\r\nxml=") << 413;
    QTest::newRow("body sent over 8 KiB") << post_request("xml=" + QByteArray(9000, 'a')) << 413;
    QByteArray many_fields = "POST / HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 100; ++i)
        many_fields += "X-Field-" + QByteArray::number(i) + ": 1\r\n";
    QTest::newRow("a hundred header fields")
        << many_fields + "Content-Length: 4\r\n\r\nxml=" << 431;
    QTest::newRow("head over 8 KiB")
        << "POST / HTTP/1.1\r\nHost: x\r\nCookie: " + QByteArray(9000, 'c') +
               "\r\nContent-Length: 4\r\n\r\nxml="
        << 431;
}

void TestServerAbuse::oversized_requests_are_refused()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    QVERIFY(server->start(database));
    const HttpResult result = http_exchange(server->port(), request);
    QCOMPARE(result.status, status);
    QVERIFY2(is_well_formed_reply(result.body), result.body.constData());
    QVERIFY(!read_as_game(result.body).message.isEmpty());
}

void TestServerAbuse::connections_past_the_cap_get_503_at_once()
{
    constexpr int cap = 5;
    QVERIFY(server->start(database, {QStringLiteral("--max-connections"), QString::number(cap)}));
    // Connections that hold their place and send nothing.
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < cap; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(QHostAddress::LocalHost, server->port());
        QVERIFY(held.back()->waitForConnected(10000));
    }
    // The server counts a connection once it accepted it: a kept-alive
    // request on each shows they are all taken.
    for (auto &socket : held) {
        socket->write("GET /healthz HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QVERIFY(socket->waitForReadyRead(10000));
        socket->readAll();
    }

    const HttpResult turned_away =
        http_exchange(server->port(), post_request(genuine_body(Player())));
    QCOMPARE(turned_away.status, 503);
    QCOMPARE(read_as_game(turned_away.body).message,
             QStringLiteral("Rating busy, try again later"));

    // Room again once one closes, as soon as the server has seen it close.
    held.front()->disconnectFromHost();
    held.erase(held.begin());
    QElapsedTimer waited;
    waited.start();
    int status = 0;
    while (status != 200 && waited.elapsed() < 30000) {
        QTest::qWait(50);
        status = http_exchange(server->port(), post_request(genuine_body(Player()))).status;
    }
    QCOMPARE(status, 200);
}

void TestServerAbuse::random_and_mutated_bodies_get_well_formed_replies()
{
    QVERIFY(server->start(database));
    std::mt19937 random(20260);
    std::vector<QByteArray> genuine;
    for (int i = 0; i < 8; ++i) {
        Player player;
        player.name = QStringLiteral("Fuzz %1").arg(i);
        player.sex = i % 2 ? QStringLiteral("w") : QStringLiteral("m");
        player.tosend = 1 + i % 2;
        player.record = 100 + 37 * i;
        player.score = 50 + 11 * i;
        genuine.push_back(genuine_body(player));
    }
    const auto mutated = [&random](QByteArray body) {
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !body.isEmpty(); ++e) {
            const int at = static_cast<int>(random() % static_cast<unsigned>(body.size()));
            switch (random() % 5) {
            case 0:
                body[at] = static_cast<char>(random());
                break;
            case 1:
                body.remove(at, 1 + static_cast<int>(random() % 16));
                break;
            case 2:
                body.insert(at, QByteArray(1 + random() % 8, static_cast<char>(random())));
                break;
            case 3:
                body.truncate(at);
                break;
            default:
                body.insert(at, body.mid(static_cast<int>(random() % body.size()), 32));
            }
        }
        return body;
    };

    constexpr int total = 10000;
    constexpr int in_flight = 32;
    int sent = 0;
    int answered = 0;
    std::vector<std::unique_ptr<HttpExchange>> exchanges;
    QByteArray failure;
    QEventLoop loop;
    std::function<void()> send_next = [&] {
        if (sent == total)
            return;
        QByteArray body;
        if (sent % 4 == 0) {
            body.resize(static_cast<int>(random() % 6000));
            for (char &c : body)
                c = static_cast<char>(random());
            if (sent % 8 == 0)
                body.prepend("xml=");
        } else {
            body = mutated(genuine[static_cast<std::size_t>(sent) % genuine.size()]);
        }
        ++sent;
        auto exchange = std::make_unique<HttpExchange>(server->port(), post_request(body));
        HttpExchange *raw = exchange.get();
        QObject::connect(raw, &HttpExchange::finished, &loop, [&, raw, body] {
            ++answered;
            if (failure.isEmpty() && (raw->status() == 0 || !is_well_formed_reply(raw->body())))
                failure = "status " + QByteArray::number(raw->status()) + " for body " +
                          body.left(200).toPercentEncoding() + ": " + raw->body();
            raw->deleteLater();
            if (answered == total)
                loop.quit();
            else
                send_next();
        });
        exchange.release()->setParent(&loop);
    };
    for (int i = 0; i < in_flight; ++i)
        send_next();
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY2(failure.isEmpty(), failure.constData());
    QCOMPARE(answered, total);
    // Still serving, and still well.
    QCOMPARE(server->process().state(), QProcess::Running);
    QCOMPARE(http_exchange(server->port(), post_request(genuine_body(Player()))).status, 200);
}

QTEST_GUILESS_MAIN(TestServerAbuse)
#include "tst_server_abuse.moc"
