// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The store on its own, against a real database file: what one transaction
// of queued submissions stores and answers.

#include "support/databasefile.h"

#include "rating/submission.h"
#include "store/sqlite/sqlitestore.h"
#include "store/store.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// One submission of a batch and where its player must stand afterwards.
struct Queued
{
    QString name;
    QString location;
    Rating rating;
    int value;
    int world;
    int local; // 0: no local place
    bool improved;
    int same_player_as = -1; // index of an earlier submission by the same player
};

Submission submission_of(const Queued &queued)
{
    Submission submission;
    submission.rating = queued.rating;
    submission.name = display_text(queued.name);
    submission.location = display_text(queued.location);
    submission.name_key = identity_key(queued.name);
    submission.location_key = identity_key(queued.location);
    submission.value = queued.value;
    return submission;
}

} // namespace

Q_DECLARE_METATYPE(QVector<Queued>)

class RatingStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void batch_is_stored_in_order_with_places_data();
    void batch_is_stored_in_order_with_places();
    void reopened_store_keeps_players_and_schema_version();
    void added_players_are_added_once();

private:
    std::unique_ptr<Store> open_store_here();
    std::unique_ptr<QTemporaryDir> dir;
    QString file;
};

void RatingStoreTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    file = dir->filePath(QStringLiteral("store.db"));
}

std::unique_ptr<Store> RatingStoreTest::open_store_here()
{
    QString error;
    std::unique_ptr<Store> store = open_store(QStringLiteral("sqlite:") + file, &error);
    if (!store)
        qWarning("%s", qPrintable(error));
    return store;
}

void RatingStoreTest::batch_is_stored_in_order_with_places_data()
{
    QTest::addColumn<QVector<Queued>>("batch");
    const Rating m = Rating::men;
    const Rating w = Rating::women;
    QTest::newRow("one player") << QVector<Queued>{{"Anna", "Oulu", m, 500, 1, 1, true}};
    QTest::newRow("each sees those before it")
        << QVector<Queued>{{"A", "Oulu", m, 500, 1, 1, true},
                           {"B", "Oulu", m, 500, 1, 1, true},
                           {"C", "Espoo", m, 700, 1, 1, true},
                           {"D", "Oulu", m, 100, 4, 3, true},
                           {"E", "", w, 50, 1, 0, true}};
    QTest::newRow("one player twice in one batch")
        << QVector<Queued>{{"Anna", "Oulu", m, 500, 1, 1, true},
                           {"Bob", "Oulu", m, 600, 1, 1, true},
                           {"ANNA ", "oulu", m, 700, 1, 1, true, 0},
                           {" anna", "OULU", m, 300, 1, 1, false, 0},
                           {"Bob", "Oulu", m, 650, 2, 2, true, 1}};
}

void RatingStoreTest::batch_is_stored_in_order_with_places()
{
    QFETCH(QVector<Queued>, batch);
    std::unique_ptr<Store> store = open_store_here();
    QVERIFY(store);

    std::vector<Submission> submissions;
    for (const Queued &queued : batch)
        submissions.push_back(submission_of(queued));
    std::vector<Standing> standings;
    QVERIFY2(store->submit(submissions, 1000, standings), qPrintable(store->last_error()));
    QCOMPARE(standings.size(), submissions.size());

    for (int i = 0; i < batch.size(); ++i) {
        const Queued &queued = batch.at(i);
        const Standing &standing = standings.at(static_cast<std::size_t>(i));
        const QByteArray where = "submission " + QByteArray::number(i);
        QVERIFY2(standing.player_id > 0, where.constData());
        QVERIFY2(standing.world_place == queued.world, where.constData());
        QVERIFY2(standing.local_place == queued.local, where.constData());
        QVERIFY2(standing.improved == queued.improved, where.constData());
        QVERIFY2(standing.rating == queued.rating, where.constData());
        // Submissions of one player share the id of its first submission.
        const auto owner = [&](int k) {
            return batch.at(k).same_player_as >= 0 ? batch.at(k).same_player_as : k;
        };
        for (int j = 0; j < i; ++j) {
            const bool same_id =
                standings.at(static_cast<std::size_t>(j)).player_id == standing.player_id;
            QVERIFY2(same_id == (owner(j) == owner(i)), where.constData());
        }
    }
}

void RatingStoreTest::reopened_store_keeps_players_and_schema_version()
{
    {
        std::unique_ptr<Store> store = open_store_here();
        QVERIFY(store);
        std::vector<Standing> standings;
        QVERIFY(store->submit({submission_of({"Anna", "Oulu", Rating::men, 500, 1, 1, true})}, 1000,
                              standings));
    }
    std::unique_ptr<Store> store = open_store_here();
    QVERIFY(store);
    QVERIFY(store->answers());
    int world = 0;
    int local = 0;
    QVERIFY(store->places(Rating::men, 400, identity_key(QStringLiteral("Oulu")), world, local));
    QCOMPARE(world, 2);
    QCOMPARE(local, 2);
    QVERIFY(store->places(Rating::women, 400, QString(), world, local));
    QCOMPARE(world, 1);
    QCOMPARE(local, 0);

    DatabaseFile db(file);
    QCOMPARE(db.row(QStringLiteral("PRAGMA user_version")).value(0).toInt(),
             SqliteStore::schema_version);
    QCOMPARE(db.row(QStringLiteral("PRAGMA journal_mode")).value(0).toString(),
             QStringLiteral("wal"));
    const QVariantList row =
        db.row(QStringLiteral("SELECT name, best, best_at, submissions FROM players"));
    QCOMPARE(row, QVariantList({QStringLiteral("Anna"), 500, 1000, 1}));
}

void RatingStoreTest::added_players_are_added_once()
{
    std::unique_ptr<Store> store = open_store_here();
    QVERIFY(store);
    const std::vector<Submission> players = {
        submission_of({"Anna", "Oulu", Rating::men, 500, 0, 0, true}),
        submission_of({"Bob", "", Rating::women, 300, 0, 0, true})};
    QVERIFY(store->add_players(players, 1000));
    QVERIFY(store->add_players(players, 2000));
    DatabaseFile db(file);
    QCOMPARE(db.row(QStringLiteral("SELECT count(*), sum(best) FROM players")),
             QVariantList({2, 800}));
}

QTEST_GUILESS_MAIN(RatingStoreTest)
#include "tst_rating_store.moc"
