// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The operator's commands (list, remove, ban, unban) on the database of a
// running server: what the game is answered afterwards and what the listing shows.

#include "support/httpexchange.h"
#include "support/ratingserverprocess.h"
#include "support/runprogram.h"
#include "support/submissions.h"
#include "support/testdatabase.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestServerModeration : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void list_shows_players_best_first_and_filters();
    void removed_player_leaves_and_the_others_move_up();
    void banned_player_is_answered_and_not_stored_until_unbanned();
    void commands_check_their_options_data();
    void commands_check_their_options();

private:
    Run moderate(const QStringList &arguments);
    GameView submit(const QString &name, const QString &location, int record,
                    int expected_status = 200);

    std::unique_ptr<QTemporaryDir> dir;
    QString database;
    std::unique_ptr<RatingServerProcess> server;
};

void TestServerModeration::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    database = dir->filePath(QStringLiteral("rating.db"));
    server = std::make_unique<RatingServerProcess>();
    QVERIFY(server->start(database));
}

void TestServerModeration::cleanup()
{
    if (server)
        QVERIFY2(server->stop(), server->log().constData());
    server.reset();
    dir.reset();
}

Run TestServerModeration::moderate(const QStringList &arguments)
{
    return run(rating_server_binary(),
               arguments + QStringList{QStringLiteral("--database"), database_url(database)});
}

GameView TestServerModeration::submit(const QString &name, const QString &location, int record,
                                      int expected_status)
{
    Player player;
    player.name = name;
    player.location = location;
    player.record = record;
    const HttpResult result = http_exchange(server->port(), post_request(genuine_body(player)));
    if (result.status != expected_status)
        qWarning("status %d for %s: %s", result.status, qPrintable(name), result.body.constData());
    return result.status == expected_status ? read_as_game(result.body) : GameView();
}

void TestServerModeration::list_shows_players_best_first_and_filters()
{
    submit(QStringLiteral("Anna"), QStringLiteral("Oulu"), 500);
    submit(QStringLiteral("Bert"), QStringLiteral("Turku"), 800);
    submit(QStringLiteral("Cleo"), QString(), 600);

    const Run all = moderate({QStringLiteral("list")});
    QCOMPARE(all.exit_code, 0);
    const QList<QByteArray> rows = all.output.trimmed().split('\n');
    QCOMPARE(rows.size(), 3);
    QVERIFY2(rows.at(0).contains("\tm\tBert\tTurku\t800\t"), all.output.constData());
    QVERIFY2(rows.at(1).contains("\tm\tCleo\t\t600\t"), all.output.constData());
    QVERIFY2(rows.at(2).contains("\tm\tAnna\tOulu\t500\t"), all.output.constData());

    const Run by_name =
        moderate({QStringLiteral("list"), QStringLiteral("--name"), QStringLiteral("  ANNA ")});
    QCOMPARE(by_name.output.trimmed().split('\n').size(), 1);
    QVERIFY(by_name.output.contains("\tAnna\tOulu\t"));
    const Run no_location =
        moderate({QStringLiteral("list"), QStringLiteral("--location"), QString()});
    QCOMPARE(no_location.output.trimmed().split('\n').size(), 1);
    QVERIFY(no_location.output.contains("\tCleo\t"));
    const Run women =
        moderate({QStringLiteral("list"), QStringLiteral("--rating"), QStringLiteral("w")});
    QCOMPARE(women.exit_code, 0);
    QVERIFY(women.output.trimmed().isEmpty());
}

void TestServerModeration::removed_player_leaves_and_the_others_move_up()
{
    submit(QStringLiteral("Cheater"), QStringLiteral("Oulu"), 9000);
    QCOMPARE(submit(QStringLiteral("Anna"), QStringLiteral("Oulu"), 500).world_text,
             QStringLiteral("2"));

    const Run removed =
        moderate({QStringLiteral("remove"), QStringLiteral("--rating"), QStringLiteral("m"),
                  QStringLiteral("--name"), QStringLiteral("cheater"), QStringLiteral("--location"),
                  QStringLiteral("OULU")});
    QCOMPARE(removed.exit_code, 0);
    QVERIFY(removed.output.contains("removed"));
    QVERIFY(!moderate({QStringLiteral("list")}).output.contains("Cheater"));

    // Anna's places move at once: her next, lower value is answered first.
    const GameView anna = submit(QStringLiteral("Anna"), QStringLiteral("Oulu"), 100);
    QCOMPARE(anna.world_text, QStringLiteral("1"));
    QCOMPARE(anna.local_text, QStringLiteral("1"));
    // A removed player may come back; nothing of the old best remains.
    QCOMPARE(submit(QStringLiteral("Cheater"), QStringLiteral("Oulu"), 50).world_text,
             QStringLiteral("2"));

    const Run nobody =
        moderate({QStringLiteral("remove"), QStringLiteral("--rating"), QStringLiteral("w"),
                  QStringLiteral("--name"), QStringLiteral("Nobody")});
    QCOMPARE(nobody.exit_code, 1);
    QVERIFY(nobody.output.contains("no player"));
}

void TestServerModeration::banned_player_is_answered_and_not_stored_until_unbanned()
{
    submit(QStringLiteral("Spammer"), QStringLiteral("Espoo"), 9000);
    submit(QStringLiteral("Anna"), QStringLiteral("Espoo"), 500);
    const QStringList who{QStringLiteral("--rating"),   QStringLiteral("m"),
                          QStringLiteral("--name"),     QStringLiteral("Spammer"),
                          QStringLiteral("--location"), QStringLiteral("Espoo")};

    const Run banned = moderate(QStringList{QStringLiteral("ban")} + who);
    QCOMPARE(banned.exit_code, 0);
    QVERIFY2(banned.output.contains("removed from the rating"), banned.output.constData());

    const GameView refused = submit(QStringLiteral("SPAMMER"), QStringLiteral("espoo"), 9500, 403);
    QCOMPARE(refused.message, QStringLiteral("Your submissions are closed"));
    QCOMPARE(refused.world_text, QStringLiteral("-"));
    QVERIFY(!moderate({QStringLiteral("list")}).output.contains("Spammer"));
    QVERIFY(moderate({QStringLiteral("list"), QStringLiteral("--banned")})
                .output.contains("m\tSpammer\tEspoo\tbanned "));
    QCOMPARE(submit(QStringLiteral("Anna"), QStringLiteral("Espoo"), 400).world_text,
             QStringLiteral("1"));
    // The same name elsewhere is another player.
    QCOMPARE(submit(QStringLiteral("Spammer"), QStringLiteral("Oulu"), 100).world_text,
             QStringLiteral("2"));

    const Run unbanned = moderate(QStringList{QStringLiteral("unban")} + who);
    QCOMPARE(unbanned.exit_code, 0);
    QCOMPARE(submit(QStringLiteral("Spammer"), QStringLiteral("Espoo"), 700).world_text,
             QStringLiteral("1"));
    QCOMPARE(moderate(QStringList{QStringLiteral("unban")} + who).exit_code, 1);
}

void TestServerModeration::commands_check_their_options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("remove without a name")
        << QStringList{"remove", "--rating", "m"} << QByteArray("wants --rating and --name");
    QTest::newRow("ban without a rating")
        << QStringList{"ban", "--name", "Anna"} << QByteArray("wants --rating and --name");
    QTest::newRow("unknown rating")
        << QStringList{"list", "--rating", "x"} << QByteArray("--rating wants m or w");
    QTest::newRow("stray argument") << QStringList{"unban", "now"} << QByteArray("now");
}

void TestServerModeration::commands_check_their_options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, said);
    const Run result = moderate(arguments);
    QCOMPARE(result.exit_code, 2);
    QVERIFY2(result.output.contains(said), result.output.constData());
}

QTEST_GUILESS_MAIN(TestServerModeration)
#include "tst_server_moderation.moc"
