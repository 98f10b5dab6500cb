// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Places as the game shows them, each scenario on a fresh server and database.

#include "support/httpexchange.h"
#include "support/ratingserverprocess.h"
#include "support/submissions.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// One submission and what the game must show for it.
struct Step
{
    QString name;
    QString location;
    QString sex;
    int value;
    QString world;
    QString local;
    int same_player_as = -1; // index of an earlier step by the same player, or -1 for a new one
};

} // namespace

Q_DECLARE_METATYPE(QVector<Step>)

class TestServerRanking : public QObject
{
    Q_OBJECT

private slots:
    void places_are_competition_places_data();
    void places_are_competition_places();
};

void TestServerRanking::places_are_competition_places_data()
{
    QTest::addColumn<QVector<Step>>("steps");
    const QString m = QStringLiteral("m");
    const QString w = QStringLiteral("w");
    const QString none = QStringLiteral("-");

    QTest::newRow("first player is first everywhere")
        << QVector<Step>{{"Anna", "Oulu", m, 500, "1", "1"}};
    QTest::newRow("ties share a place, the next counts all above")
        << QVector<Step>{{"A", "Oulu", m, 500, "1", "1"},
                         {"B", "Oulu", m, 500, "1", "1"},
                         {"C", "Oulu", m, 400, "3", "3"},
                         {"D", "Oulu", m, 600, "1", "1"},
                         {"E", "Oulu", m, 500, "2", "2"}};
    QTest::newRow("world against local")
        << QVector<Step>{{"A", "Oulu", m, 900, "1", "1"}, {"B", "Espoo", m, 500, "2", "1"},
                         {"C", "Oulu", m, 700, "2", "2"}, {"D", "Espoo", m, 800, "2", "1"},
                         {"E", "", m, 1000, "1", none},   {"F", "Espoo", m, 100, "6", "3"}};
    QTest::newRow("men and women are ranked apart")
        << QVector<Step>{{"A", "Oulu", m, 500, "1", "1"},
                         {"B", "Oulu", w, 300, "1", "1"},
                         {"C", "Oulu", m, 400, "2", "2"},
                         {"A", "Oulu", w, 200, "2", "2"}};
    QTest::newRow("case and white space fold to one player")
        << QVector<Step>{{"Anna Maria", "Oulu", m, 500, "1", "1"},
                         {"  ANNA \t maria ", " OULU ", m, 400, "1", "1", 0},
                         {"Bob", "oulu", m, 450, "2", "2"},
                         {"anna maria", "oulu", m, 600, "1", "1", 0}};
    QTest::newRow("same name elsewhere is another player")
        << QVector<Step>{{"Anna", "Oulu", m, 500, "1", "1"},
                         {"Anna", "Espoo", m, 400, "2", "1"},
                         {"Anna", "", m, 450, "2", none}};
    QTest::newRow("better value raises, lower value keeps the best")
        << QVector<Step>{{"A", "Oulu", m, 500, "1", "1"},
                         {"B", "Oulu", m, 600, "1", "1"},
                         {"A", "Oulu", m, 700, "1", "1", 0},
                         {"B", "Oulu", m, 100, "2", "2", 1},
                         {"A", "Oulu", m, 50, "1", "1", 0}};
}

void TestServerRanking::places_are_competition_places()
{
    QFETCH(QVector<Step>, steps);

    QTemporaryDir dir;
    RatingServerProcess server;
    QVERIFY2(server.start(dir.filePath(QStringLiteral("r.db"))), server.log().constData());

    QVector<qint64> ids;
    for (int i = 0; i < steps.size(); ++i) {
        const Step &step = steps.at(i);
        Player player;
        player.name = step.name;
        player.location = step.location;
        player.sex = step.sex;
        player.record = step.value;
        player.score = step.value;
        const HttpResult result = http_exchange(server.port(), post_request(genuine_body(player)));
        const QByteArray where = "step " + QByteArray::number(i) + ": " + result.body;
        QVERIFY2(result.status == 200, where.constData());
        const GameView view = read_as_game(result.body);
        QVERIFY2(view.world_text == step.world, where.constData());
        QVERIFY2(view.local_text == step.local, where.constData());
        QVERIFY(view.link.contains(QStringLiteral("/rating/") + step.sex + QStringLiteral("?")));
        if (step.same_player_as >= 0) {
            QVERIFY2(view.player_id == ids.at(step.same_player_as), where.constData());
        } else {
            QVERIFY2(!ids.contains(view.player_id), where.constData());
        }
        ids << view.player_id;
    }
    QVERIFY(server.stop());
}

QTEST_GUILESS_MAIN(TestServerRanking)
#include "tst_server_ranking.moc"
