// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Two server processes on one database: whichever a player reaches, the
// places are the same, because nothing that decides them lives in a server.

#include "support/httpexchange.h"
#include "support/ratingserverprocess.h"
#include "support/submissions.h"
#include "support/testdatabase.h"

#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

class TestTwoServers : public QObject
{
    Q_OBJECT

private slots:
    void both_servers_answer_the_same_places();
};

void TestTwoServers::both_servers_answer_the_same_places()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("shared.db"));
    RatingServerProcess first, second;
    QVERIFY2(first.start(database), first.log().constData());
    QVERIFY2(second.start(database), second.log().constData());
    const quint16 ports[] = {first.port(), second.port()};

    // Players submit at once through either server, each one or two times,
    // with values close together so that many tie.
    struct Entry
    {
        Player player;
        int best = 0;
    };
    std::map<QString, Entry> entries;
    std::vector<std::unique_ptr<HttpExchange>> exchanges;
    for (int i = 0; i < 80; ++i) {
        Player player;
        player.name = QStringLiteral("Player %1").arg(i % 50);
        player.location = i % 50 % 3 == 0 ? QStringLiteral("Oulu") : QStringLiteral("Turku");
        player.sex = i % 50 % 4 == 0 ? QStringLiteral("w") : QStringLiteral("m");
        player.record = 100 + (i * 37) % 23 * 10;
        player.score = player.record;
        Entry &entry = entries[player.name];
        entry.player = player;
        entry.best = std::max(entry.best, player.record);
        exchanges.push_back(
            std::make_unique<HttpExchange>(ports[i % 2], post_request(genuine_body(player))));
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(exchanges.begin(), exchanges.end(), [](const auto &e) { return e->is_done(); }),
        60000);
    for (const auto &exchange : exchanges)
        QVERIFY2(exchange->status() == 200, exchange->body().constData());

    // Afterwards each player asks both servers with a lower score: both
    // answer the places of the best, and they are the places the bests give.
    for (auto &[name, entry] : entries) {
        int world_above = 0, local_above = 0;
        for (const auto &[other_name, other] : entries) {
            if (other.player.sex != entry.player.sex || other.best <= entry.best)
                continue;
            ++world_above;
            local_above += other.player.location == entry.player.location;
        }
        Player asking = entry.player;
        asking.record = entry.best;
        asking.score = 1;
        asking.tosend = 2;
        GameView answers[2];
        for (int server = 0; server < 2; ++server) {
            const HttpResult result =
                http_exchange(ports[server], post_request(genuine_body(asking)));
            QVERIFY2(result.status == 200, result.body.constData());
            answers[server] = read_as_game(result.body);
        }
        QCOMPARE(answers[0].world_text, answers[1].world_text);
        QCOMPARE(answers[0].local_text, answers[1].local_text);
        QCOMPARE(answers[0].player_id, answers[1].player_id);
        QCOMPARE(answers[0].world_text, QString::number(1 + world_above));
        QCOMPARE(answers[0].local_text, QString::number(1 + local_above));
    }
    QVERIFY(first.stop());
    QVERIFY(second.stop());
}

QTEST_GUILESS_MAIN(TestTwoServers)
#include "tst_server_two_servers.moc"
