// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The metrics as Prometheus reads them: requests by path and status, the
// submission latency histogram, players per rating, database errors.

#include "routes/metrics.h"

#include <QtTest>

namespace {

QString exposition(const Metrics &metrics, const std::optional<PlayerCounts> &players)
{
    return QString::fromStdString(metrics.exposition(players));
}

} // namespace

class TestWebMetrics : public QObject
{
    Q_OBJECT

private slots:
    void requests_are_counted_by_path_and_status();
    void latency_buckets_are_cumulative_data();
    void latency_buckets_are_cumulative();
    void responder_counts_and_times_submissions_only();
    void players_and_errors_are_reported();
};

void TestWebMetrics::requests_are_counted_by_path_and_status()
{
    Metrics metrics;
    metrics.count_request(Metrics::path_label("/rating/m"), 200);
    metrics.count_request(Metrics::path_label("/rating/m"), 200);
    metrics.count_request(Metrics::path_label("/rating/m"), 404);
    metrics.count_request(Metrics::path_label("/no/such/page"), 404);
    const QString text = exposition(metrics, std::nullopt);
    QVERIFY(text.contains(QStringLiteral("# TYPE quiverbolt_http_requests_total counter\n")));
    QVERIFY(text.contains(
        QStringLiteral("quiverbolt_http_requests_total{path=\"/rating/m\",status=\"200\"} 2\n")));
    QVERIFY(text.contains(
        QStringLiteral("quiverbolt_http_requests_total{path=\"/rating/m\",status=\"404\"} 1\n")));
    QVERIFY(text.contains(
        QStringLiteral("quiverbolt_http_requests_total{path=\"other\",status=\"404\"} 1\n")));
}

void TestWebMetrics::latency_buckets_are_cumulative_data()
{
    QTest::addColumn<int>("micros");
    QTest::addColumn<QString>("first_bucket");
    QTest::newRow("under a millisecond") << 400 << QStringLiteral("0.001");
    QTest::newRow("exactly on a bound") << 5000 << QStringLiteral("0.005");
    QTest::newRow("a slow one") << 300000 << QStringLiteral("0.5");
    QTest::newRow("beyond every bound") << 20000000 << QStringLiteral("+Inf");
}

void TestWebMetrics::latency_buckets_are_cumulative()
{
    QFETCH(int, micros);
    QFETCH(QString, first_bucket);
    Metrics metrics;
    metrics.observe_submission(std::chrono::microseconds(micros));
    const QString text = exposition(metrics, std::nullopt);
    // Every bucket from the first that holds the value on counts it, none before.
    bool reached = false;
    const QRegularExpression bucket(QStringLiteral(
        "quiverbolt_submission_duration_seconds_bucket\\{le=\"([^\"]+)\"\\} (\\d+)"));
    auto it = bucket.globalMatch(text);
    int buckets = 0;
    while (it.hasNext()) {
        const auto match = it.next();
        reached = reached || match.captured(1) == first_bucket;
        QCOMPARE(match.captured(2).toInt(), reached ? 1 : 0);
        ++buckets;
    }
    QCOMPARE(buckets, int(Metrics::latency_buckets.size()) + 1);
    QVERIFY(reached);
    QVERIFY(text.contains(QStringLiteral("quiverbolt_submission_duration_seconds_count 1\n")));
    const QRegularExpression sum(
        QStringLiteral("quiverbolt_submission_duration_seconds_sum ([0-9.e-]+)\n"));
    QCOMPARE(sum.match(text).captured(1).toDouble(), micros / 1e6);
}

void TestWebMetrics::responder_counts_and_times_submissions_only()
{
    Metrics metrics;
    int answered = 0;
    const Responder count_answer = [&answered](Response) { ++answered; };
    metrics.counting("/", true, count_answer)(Response{http::status::unprocessable_entity, 11});
    metrics.counting("/healthz", false, count_answer)(Response{http::status::ok, 11});
    QCOMPARE(answered, 2);
    const QString text = exposition(metrics, std::nullopt);
    QVERIFY(text.contains(
        QStringLiteral("quiverbolt_http_requests_total{path=\"/\",status=\"422\"} 1\n")));
    QVERIFY(text.contains(
        QStringLiteral("quiverbolt_http_requests_total{path=\"/healthz\",status=\"200\"} 1\n")));
    QVERIFY(text.contains(QStringLiteral("quiverbolt_submission_duration_seconds_count 1\n")));
}

void TestWebMetrics::players_and_errors_are_reported()
{
    Metrics metrics;
    metrics.count_database_error("write");
    metrics.count_database_error("write");
    PlayerCounts counts;
    counts.men = 12;
    counts.women = 3;
    const QString text = exposition(metrics, counts);
    QVERIFY(text.contains(QStringLiteral("# TYPE quiverbolt_players gauge\n")));
    QVERIFY(text.contains(QStringLiteral("quiverbolt_players{rating=\"m\"} 12\n")));
    QVERIFY(text.contains(QStringLiteral("quiverbolt_players{rating=\"w\"} 3\n")));
    QVERIFY(
        text.contains(QStringLiteral("quiverbolt_database_errors_total{operation=\"read\"} 0\n")));
    QVERIFY(
        text.contains(QStringLiteral("quiverbolt_database_errors_total{operation=\"write\"} 2\n")));
    // When the database does not answer, the gauge is left out rather than zero.
    QVERIFY(!exposition(metrics, std::nullopt).contains(QStringLiteral("quiverbolt_players")));
}

QTEST_GUILESS_MAIN(TestWebMetrics)
#include "tst_web_metrics.moc"
