// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// A thousand clients that trickle a byte a second and a thousand idle
// kept-alive connections: a fresh submission is still answered, and the
// tricklers are let go at their head's deadline, those that stop in the body
// at the body's.

#include "support/httpexchange.h"
#include "support/ratingserverprocess.h"
#include "support/submissions.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int trickling = 1000;
constexpr int idle = 1000;
// Connections that send a whole head and stop in the body.
constexpr int stalled = 10;

} // namespace

class TestServerSlowClients : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fresh_submission_is_answered_past_slow_and_idle_connections();
};

void TestServerSlowClients::initTestCase()
{
    // Two thousand sockets and more: this process needs the files for them.
    rlimit files{};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &files), 0);
    files.rlim_cur = files.rlim_max;
    QCOMPARE(setrlimit(RLIMIT_NOFILE, &files), 0);
    if (files.rlim_cur != RLIM_INFINITY && files.rlim_cur < trickling + idle + 256)
        QSKIP("the open-files limit is too low for this many connections");
}

void TestServerSlowClients::fresh_submission_is_answered_past_slow_and_idle_connections()
{
    QTemporaryDir dir;
    RatingServerProcess server;
    QVERIFY(server.start(dir.filePath(QStringLiteral("rating.db"))));
    const QByteArray trickled = post_request(genuine_body(Player()));

    std::vector<std::unique_ptr<QTcpSocket>> slow;
    std::vector<std::unique_ptr<QTcpSocket>> kept;
    std::vector<std::unique_ptr<QTcpSocket>> stopped;
    int slow_closed = 0;
    int stopped_closed = 0;
    int kept_answered = 0;
    for (int i = 0; i < stalled; ++i) {
        stopped.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket *raw = stopped.back().get();
        connect(raw, &QTcpSocket::connected, raw, [raw] {
            raw->write("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100\r\n\r\nxml=");
        });
        connect(raw, &QTcpSocket::disconnected, this, [&stopped_closed] { ++stopped_closed; });
        raw->connectToHost(QHostAddress::LocalHost, server.port());
    }
    for (int i = 0; i < trickling + idle; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        QTcpSocket *raw = socket.get();
        if (i < trickling) {
            connect(raw, &QTcpSocket::disconnected, this, [&slow_closed] { ++slow_closed; });
            slow.push_back(std::move(socket));
        } else {
            connect(raw, &QTcpSocket::connected, raw,
                    [raw] { raw->write("GET /healthz HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); });
            connect(raw, &QTcpSocket::readyRead, raw, [raw, &kept_answered] {
                if (raw->readAll().contains("\r\n\r\nok"))
                    ++kept_answered;
            });
            kept.push_back(std::move(socket));
        }
        raw->connectToHost(QHostAddress::LocalHost, server.port());
    }
    // A byte a second on each slow connection, the same request for all.
    int trickled_bytes = 0;
    QTimer trickle;
    connect(&trickle, &QTimer::timeout, this, [&] {
        for (auto &socket : slow) {
            if (socket->state() == QAbstractSocket::ConnectedState)
                socket->write(trickled.mid(trickled_bytes, 1));
        }
        ++trickled_bytes;
    });
    trickle.start(1000);
    QTRY_VERIFY_WITH_TIMEOUT(kept_answered == idle, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(trickled_bytes >= 3, 10000);
    QCOMPARE(slow_closed, 0);

    QElapsedTimer clock;
    clock.start();
    const HttpResult fresh = http_exchange(server.port(), post_request(genuine_body(Player())));
    const qint64 latency_ms = clock.elapsed();
    QCOMPARE(fresh.status, 200);
    QCOMPARE(read_as_game(fresh.body).world_text, QStringLiteral("1"));
    // A figure for docs/performance.md, not a verdict.
    qInfo("fresh submission answered in %lld ms past %d trickling and %d idle connections",
          static_cast<long long>(latency_ms), trickling, idle);

    // The head's deadline lets the tricklers go; the idle ones are still held.
    QTRY_VERIFY_WITH_TIMEOUT(slow_closed == trickling, 60000);
    // So does the body's deadline those that stopped in the body, unanswered.
    QTRY_VERIFY_WITH_TIMEOUT(stopped_closed == stalled, 60000);
    for (auto &socket : stopped)
        QVERIFY(socket->readAll().isEmpty());
    trickle.stop();
    int kept_open = 0;
    for (auto &socket : kept)
        kept_open += socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    QCOMPARE(kept_open, idle);
    QVERIFY2(server.stop(), server.log().right(2000).constData());
}

QTEST_GUILESS_MAIN(TestServerSlowClients)
#include "tst_server_slow_clients.moc"
