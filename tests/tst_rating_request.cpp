// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/ratingrequest.h"
#include "support/ratingserver.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(ScriptedReply)

namespace {

// A well-formed reply of exactly size bytes.
QByteArray padded_reply(int size)
{
    const QByteArray head = "<r><message>Big</message><pad>";
    const QByteArray tail = "</pad></r>";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

const QByteArray small_reply = "<rating><local_top>5</local_top><world_top>120</world_top>"
                               "<message>Well shaken!</message></rating>";

} // namespace

// The request and the reply guards without a window: a real local server
// answers each submission as scripted.
class TestRatingRequest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QNetworkReply *>();
        QVERIFY2(server.listen(), qPrintable(server.error_string()));
    }
    void init() { server.clear(); }

    void posts_the_body_raw_as_a_form()
    {
        const QByteArray body = "xml=<quiverbolt_data><name>A+B &amp; \xc3\x84 =1%</name>";
        QNetworkAccessManager manager;
        QSignalSpy finished(&manager, &QNetworkAccessManager::finished);
        QNetworkReply *reply = post_submission(manager, body);
        QVERIFY(finished.wait(10000));
        reply->deleteLater();

        QCOMPARE(server.requests().size(), 1);
        const RecordedRequest &request = server.requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/"));
        QCOMPARE(request.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(request.body, body);
    }

    void reply_body_keeps_only_whole_replies_in_time_data()
    {
        QTest::addColumn<ScriptedReply>("script");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("deadline_ms");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("abandoned");

        const int deadline = 30000;
        const QByteArray exact = padded_reply(64 * 1024);
        QTest::newRow("whole reply") << ScriptedReply::answer(small_reply) << 1 << deadline
                                     << small_reply << false;
        QTest::newRow("trickled reply") << ScriptedReply::trickle(small_reply, 7, 10) << 1
                                        << deadline << small_reply << false;
        QTest::newRow("exactly 64 KiB") << ScriptedReply::answer(exact) << 1 << deadline << exact
                                        << false;
        QTest::newRow("HTTP error keeps its body")
            << ScriptedReply::answer(small_reply, 503) << 1 << deadline << small_reply << false;
        // A reply that arrives whole before the size check is dropped, not abandoned.
        QTest::newRow("over 64 KiB at once")
            << ScriptedReply::answer(padded_reply(64 * 1024 + 1)) << 1 << deadline << QByteArray()
            << false;
        // Slow enough that the size check sees it grow past the limit.
        QTest::newRow("over 64 KiB trickled")
            << ScriptedReply::trickle(padded_reply(200 * 1024), 16 * 1024, 100) << 1 << deadline
            << QByteArray() << true;
        // Qt sends the request again after a connection drops unanswered.
        QTest::newRow("connection reset") << ScriptedReply::reset() << 5 << deadline
                                          << QByteArray() << false;
        QTest::newRow("silent server") << ScriptedReply::stall() << 1 << 500 << QByteArray()
                                       << true;
        // Progress every few hundred milliseconds, so only a deadline on the
        // whole exchange ends it.
        QTest::newRow("a byte now and then")
            << ScriptedReply::trickle(small_reply, 1, 300) << 1 << 1500 << QByteArray() << true;
    }

    void reply_body_keeps_only_whole_replies_in_time()
    {
        QFETCH(ScriptedReply, script);
        QFETCH(int, times);
        QFETCH(int, deadline_ms);
        QFETCH(bool, abandoned);
        server.queue_reply(script, times);

        QNetworkAccessManager manager;
        QSignalSpy finished(&manager, &QNetworkAccessManager::finished);
        QNetworkReply *reply = post_submission(manager, "xml=", deadline_ms);
        // Generous: proves an answer at all, not its speed.
        QVERIFY(finished.wait(deadline_ms + 20000));
        QCOMPARE(finished.first().first().value<QNetworkReply *>(), reply);

        QTEST(reply_body(*reply), "body");
        QCOMPARE(reply->error() == QNetworkReply::OperationCanceledError, abandoned);
        reply->deleteLater();
    }

private:
    RatingServer server;
};

QTEST_GUILESS_MAIN(TestRatingRequest)
#include "tst_rating_request.moc"
