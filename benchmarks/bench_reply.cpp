// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Reading the rating server's reply into the game state.
#include "benchfixture.h"
#include "game/gamestate.h"
#include "rating/ratingexchange.h"

#include <QtTest>

class bench_reply : public QObject
{
    Q_OBJECT

private slots:
    void read_reply_data();
    void read_reply();
};

void bench_reply::read_reply_data()
{
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("typical") << typical_reply();
    QTest::newRow("empty, failed request") << QByteArray();
    // The largest reply the window still reads.
    QByteArray large = typical_reply();
    large.replace("</message>", QByteArray(60 * 1024, 'x') + "</message>");
    QTest::newRow("near the 64 KiB limit") << large;
}

void bench_reply::read_reply()
{
    QFETCH(QByteArray, body);

    GameState state;
    ReplyShown shown;
    QBENCHMARK
    {
        shown = apply_reply(body, state);
    }
    QCOMPARE(shown.show_world, !body.isEmpty());
}

QTEST_GUILESS_MAIN(bench_reply)

#include "bench_reply.moc"
