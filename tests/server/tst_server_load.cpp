// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Many clients at once, and a server killed right after it answered.

#include "support/databasefile.h"
#include "support/httpexchange.h"
#include "support/ratingserverprocess.h"
#include "support/submissions.h"
#include "support/testdatabase.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int wait_limit_ms = 60000;

using Exchanges = std::vector<std::unique_ptr<HttpExchange>>;

// Sends every body at once, each on its own connection.
Exchanges send_all(quint16 port, const QVector<QByteArray> &bodies)
{
    Exchanges exchanges;
    for (const QByteArray &body : bodies)
        exchanges.push_back(std::make_unique<HttpExchange>(port, post_request(body)));
    return exchanges;
}

bool all_done(const Exchanges &exchanges)
{
    return std::all_of(exchanges.begin(), exchanges.end(),
                       [](const auto &exchange) { return exchange->is_done(); });
}

Player player_number(int i, int value)
{
    Player player;
    player.name = QStringLiteral("Player %1").arg(i);
    player.location = i % 2 ? QStringLiteral("Oulu") : QStringLiteral("Espoo");
    player.record = value;
    player.score = 1;
    return player;
}

} // namespace

class TestServerLoad : public QObject
{
    Q_OBJECT

private slots:
    void many_clients_at_once_are_all_stored_with_consistent_places();
    void one_player_from_many_clients_keeps_the_highest_value();
    void answered_submissions_survive_kill_9();
};

void TestServerLoad::many_clients_at_once_are_all_stored_with_consistent_places()
{
    constexpr int players = 80;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r.db"));
    RatingServerProcess server;
    QVERIFY2(server.start(file), server.log().constData());

    // Distinct values in a shuffled order: player i has the (i+1)-th highest.
    std::vector<int> order(players);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    const auto value_of = [](int i) { return 10000 - 10 * i; };
    QVector<QByteArray> bodies;
    for (const int i : order)
        bodies << genuine_body(player_number(i, value_of(i)));

    const Exchanges exchanges = send_all(server.port(), bodies);
    QTRY_VERIFY_WITH_TIMEOUT(all_done(exchanges), wait_limit_ms);

    QSet<qint64> ids;
    QHash<int, qint64> id_of;
    for (int k = 0; k < players; ++k) {
        const int i = order[k];
        QCOMPARE(exchanges[k]->status(), 200);
        const GameView view = read_as_game(exchanges[k]->body());
        ids << view.player_id;
        id_of.insert(i, view.player_id);
        // Stored in some order, each answered with the places of that moment:
        // never below its final place.
        const int world = view.world_text.toInt();
        QVERIFY2(world >= 1 && world <= i + 1, qPrintable(view.world_text));
        const int local = view.local_text.toInt();
        QVERIFY2(local >= 1 && local <= i / 2 + 1, qPrintable(view.local_text));
    }
    QCOMPARE(ids.size(), players);

    // Once all are in, a lower value from each shows the exact final places.
    QVector<QByteArray> lower;
    for (int i = 0; i < players; ++i)
        lower << genuine_body(player_number(i, 1));
    const Exchanges again = send_all(server.port(), lower);
    QTRY_VERIFY_WITH_TIMEOUT(all_done(again), wait_limit_ms);
    for (int i = 0; i < players; ++i) {
        QCOMPARE(again[i]->status(), 200);
        const GameView view = read_as_game(again[i]->body());
        QCOMPARE(view.player_id, id_of.value(i));
        QCOMPARE(view.world_text, QString::number(i + 1));
        QCOMPARE(view.local_text, QString::number(i / 2 + 1));
    }
    QVERIFY(server.stop());

    DatabaseFile db(file);
    const QVariantList totals =
        db.row(QStringLiteral("SELECT count(*), sum(submissions), sum(best) FROM players"));
    QCOMPARE(totals.value(0).toInt(), players);
    QCOMPARE(totals.value(1).toInt(), 2 * players);
    qint64 best_sum = 0;
    for (int i = 0; i < players; ++i)
        best_sum += value_of(i);
    QCOMPARE(totals.value(2).toLongLong(), best_sum);
}

void TestServerLoad::one_player_from_many_clients_keeps_the_highest_value()
{
    constexpr int submissions = 40;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r.db"));
    RatingServerProcess server;
    QVERIFY2(server.start(file), server.log().constData());

    QVector<QByteArray> bodies;
    for (int i = 0; i < submissions; ++i) {
        Player player;
        player.name = i % 2 ? QStringLiteral("Same One") : QStringLiteral("SAME  one");
        player.record = 100 + (i * 37) % submissions;
        bodies << genuine_body(player);
    }
    const Exchanges exchanges = send_all(server.port(), bodies);
    QTRY_VERIFY_WITH_TIMEOUT(all_done(exchanges), wait_limit_ms);
    QSet<qint64> ids;
    for (const auto &exchange : exchanges) {
        QCOMPARE(exchange->status(), 200);
        const GameView view = read_as_game(exchange->body());
        ids << view.player_id;
        QCOMPARE(view.world_text, QStringLiteral("1"));
    }
    QCOMPARE(ids.size(), 1);
    QVERIFY(server.stop());

    DatabaseFile db(file);
    const QVariantList row =
        db.row(QStringLiteral("SELECT count(*), max(best), max(submissions) FROM players"));
    QCOMPARE(row.value(0).toInt(), 1);
    QCOMPARE(row.value(1).toInt(), 100 + submissions - 1);
    QCOMPARE(row.value(2).toInt(), submissions);
}

void TestServerLoad::answered_submissions_survive_kill_9()
{
    constexpr int players = 24;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r.db"));
    RatingServerProcess server;
    QVERIFY2(server.start(file), server.log().constData());

    QVector<QByteArray> bodies;
    for (int i = 0; i < players; ++i)
        bodies << genuine_body(player_number(i, 1000 + i));
    const Exchanges exchanges = send_all(server.port(), bodies);
    // The kill follows the last answer at once: nothing of the server's own
    // (no exit handler, no close) runs after it.
    QTRY_VERIFY_WITH_TIMEOUT(all_done(exchanges), wait_limit_ms);
    server.kill_hard();

    QHash<int, qint64> id_of;
    for (int i = 0; i < players; ++i) {
        QCOMPARE(exchanges[i]->status(), 200);
        id_of.insert(i, read_as_game(exchanges[i]->body()).player_id);
    }

    RatingServerProcess restarted;
    QVERIFY2(restarted.start(file), restarted.log().constData());
    for (int i = 0; i < players; ++i) {
        const HttpResult result =
            http_exchange(restarted.port(), post_request(genuine_body(player_number(i, 1))));
        QCOMPARE(result.status, 200);
        const GameView view = read_as_game(result.body);
        QCOMPARE(view.player_id, id_of.value(i));
        QCOMPARE(view.world_text, QString::number(players - i));
        QVERIFY(view.message.startsWith(QLatin1String("Your best stays")));
    }
    QVERIFY(restarted.stop());

    DatabaseFile db(file);
    // A killed server cannot harm PostgreSQL's files; SQLite's it writes itself.
    if (!testing_postgresql())
        QCOMPARE(db.row(QStringLiteral("PRAGMA integrity_check")).value(0).toString(),
                 QStringLiteral("ok"));
    QCOMPARE(db.row(QStringLiteral("SELECT count(*) FROM players")).value(0).toInt(), players);
}

QTEST_GUILESS_MAIN(TestServerLoad)
#include "tst_server_load.moc"
