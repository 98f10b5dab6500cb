// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The store on its own, through its interface: what one transaction of queued
// submissions stores and which places it gives, on whichever database the run
// names (SQLite, or the test PostgreSQL: see support/testdatabase.h).

#include "support/databasefile.h"
#include "support/directconnection.h"
#include "support/testdatabase.h"

#include "rating/submission.h"
#include "store/postgresql/postgresqlstore.h"
#include "store/sqlite/sqlitestore.h"
#include "store/store.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <random>

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

// "m|Anna|Oulu|500": rating, name, location, value.
Submission submission_of(const QString &step)
{
    const QStringList parts = step.split(QLatin1Char('|'));
    Submission submission;
    submission.rating = parts.value(0) == QLatin1String("w") ? Rating::women : Rating::men;
    submission.name = parts.value(1);
    submission.location = parts.value(2);
    submission.name_key = identity_key(submission.name);
    submission.location_key = identity_key(submission.location);
    submission.value = parts.value(3).toInt();
    return submission;
}

// Who is who and their best, kept beside the store to count places plainly.
struct Model
{
    std::map<std::tuple<int, QString, QString>, int> bests;

    void submit(const Submission &s)
    {
        int &best = bests[{int(s.rating), s.name_key, s.location_key}];
        best = std::max(best, s.value);
    }
    int world_place(Rating rating, int best) const
    {
        int above = 0;
        for (const auto &[who, value] : bests)
            above += std::get<0>(who) == int(rating) && value > best;
        return 1 + above;
    }
    int local_place(Rating rating, const QString &location_key, int best) const
    {
        if (location_key.isEmpty())
            return 0;
        int above = 0;
        for (const auto &[who, value] : bests)
            above +=
                std::get<0>(who) == int(rating) && std::get<2>(who) == location_key && value > best;
        return 1 + above;
    }
};


} // namespace

Q_DECLARE_METATYPE(QVector<Queued>)

class TestRatingStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void batch_is_stored_in_order_with_places_data();
    void batch_is_stored_in_order_with_places();
    void reopened_store_keeps_players_and_schema_version();
    void added_players_are_added_once();
    void standings_follow_the_ranking_rules_data();
    void standings_follow_the_ranking_rules();
    void places_stay_exact_through_many_submissions();
    void a_submission_that_fails_alone_leaves_the_others_stored();
    void added_players_join_the_places_once();
    void older_schema_is_brought_up_to_date_with_its_players_placed();
    void database_newer_than_the_program_is_refused();

private:
    std::unique_ptr<Store> open_store_here();
    // A store on a fresh database; the path names it for this run.
    std::unique_ptr<Store> fresh_store(QString *path = nullptr);

    std::unique_ptr<QTemporaryDir> dir;
    QString file;
    int stores = 0;
};

void TestRatingStore::initTestCase()
{
    qInfo() << (testing_postgresql() ? "on PostgreSQL" : "on SQLite");
}

void TestRatingStore::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    file = dir->filePath(QStringLiteral("store.db"));
}

std::unique_ptr<Store> TestRatingStore::open_store_here()
{
    QString error;
    std::unique_ptr<Store> store = open_store(database_url(file), &error);
    if (!store)
        qWarning("%s", qPrintable(error));
    return store;
}

std::unique_ptr<Store> TestRatingStore::fresh_store(QString *path)
{
    const QString other = dir->filePath(QStringLiteral("store%1.db").arg(++stores));
    if (path)
        *path = other;
    QString error;
    std::unique_ptr<Store> store = open_store(database_url(other), &error);
    if (!store)
        qWarning() << "cannot open the store:" << error;
    return store;
}

void TestRatingStore::batch_is_stored_in_order_with_places_data()
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

void TestRatingStore::batch_is_stored_in_order_with_places()
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

void TestRatingStore::reopened_store_keeps_players_and_schema_version()
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
    if (testing_postgresql()) {
        QCOMPARE(db.row(QStringLiteral("SELECT version FROM schema_version")).value(0).toInt(),
                 PostgresqlStore::schema_version);
    } else {
        QCOMPARE(db.row(QStringLiteral("PRAGMA user_version")).value(0).toInt(),
                 SqliteStore::schema_version);
        QCOMPARE(db.row(QStringLiteral("PRAGMA journal_mode")).value(0).toString(),
                 QStringLiteral("wal"));
    }
    const QVariantList row =
        db.row(QStringLiteral("SELECT name, best, best_at, submissions FROM players"));
    QCOMPARE(row, QVariantList({QStringLiteral("Anna"), 500, 1000, 1}));
}

void TestRatingStore::added_players_are_added_once()
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

void TestRatingStore::standings_follow_the_ranking_rules_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("world");
    QTest::addColumn<int>("local");
    QTest::addColumn<int>("best");
    QTest::addColumn<bool>("improved");

    QTest::newRow("first player") << QStringList{"m|Anna|Oulu|500"} << 1 << 1 << 500 << true;
    QTest::newRow("a tie shares the place")
        << QStringList{"m|Anna|Oulu|500", "m|Bert|Oulu|500"} << 1 << 1 << 500 << true;
    QTest::newRow("below a tie comes third")
        << QStringList{"m|Anna|Oulu|500", "m|Bert|Oulu|500", "m|Cleo|Oulu|400"} << 3 << 3 << 400
        << true;
    QTest::newRow("world against local")
        << QStringList{"m|Anna|Turku|900", "m|Bert|Oulu|500"} << 2 << 1 << 500 << true;
    QTest::newRow("the other rating does not count")
        << QStringList{"w|Anna|Oulu|900", "m|Bert|Oulu|500"} << 1 << 1 << 500 << true;
    QTest::newRow("a lower value keeps the best and its places")
        << QStringList{"m|Anna|Oulu|500", "m|Bert|Oulu|450", "m|Anna|Oulu|300"} << 1 << 1 << 500
        << false;
    QTest::newRow("a raise passes the others")
        << QStringList{"m|Anna|Oulu|500", "m|Bert|Oulu|600", "m|Anna|Oulu|700"} << 1 << 1 << 700
        << true;
    QTest::newRow("a raise onto a tie")
        << QStringList{"m|Anna|Oulu|500", "m|Bert|Oulu|600", "m|Anna|Oulu|600"} << 1 << 1 << 600
        << true;
    QTest::newRow("case and white space make no new player")
        << QStringList{"m|Anna Berg|Oulu|500", "m|Cleo|Oulu|550", "m|ANNA  berg|OULU|520"} << 2 << 2
        << 520 << true;
    QTest::newRow("no location, no local place")
        << QStringList{"m|Bert|Oulu|900", "m|Anna||500"} << 2 << 0 << 500 << true;
    QTest::newRow("same name elsewhere is another player")
        << QStringList{"m|Anna|Oulu|500", "m|Anna|Turku|300"} << 2 << 1 << 300 << true;
    QTest::newRow("bucket edges: 15, 16 and 256")
        << QStringList{"m|Anna|Oulu|16", "m|Bert|Oulu|256", "m|Cleo|Oulu|15"} << 3 << 3 << 15
        << true;
    QTest::newRow("the highest value")
        << QStringList{QStringLiteral("m|Anna|Oulu|%1").arg(value_limit), "m|Bert|Oulu|1"} << 2 << 2
        << 1 << true;
}

void TestRatingStore::standings_follow_the_ranking_rules()
{
    QFETCH(QStringList, steps);
    QFETCH(int, world);
    QFETCH(int, local);
    QFETCH(int, best);
    QFETCH(bool, improved);

    std::vector<Submission> submissions;
    for (const QString &step : steps)
        submissions.push_back(submission_of(step));

    // One transaction per submission, as when they come one by one, and all
    // in one, as group commit takes them: each stands the same either way.
    std::unique_ptr<Store> one_by_one = fresh_store();
    std::unique_ptr<Store> together = fresh_store();
    QVERIFY(one_by_one && together);
    std::vector<Standing> standings;
    for (const Submission &submission : submissions)
        QVERIFY2(one_by_one->submit({submission}, 1000, standings),
                 qPrintable(one_by_one->last_error()));
    const Standing alone = standings.back();
    QVERIFY2(together->submit(submissions, 1000, standings), qPrintable(together->last_error()));
    QCOMPARE(standings.size(), submissions.size());

    for (const Standing &standing : {alone, standings.back()}) {
        QCOMPARE(standing.world_place, world);
        QCOMPARE(standing.local_place, local);
        QCOMPARE(standing.best, best);
        QCOMPARE(standing.improved, improved);
        QCOMPARE(standing.rating, submissions.back().rating);
        QVERIFY(standing.player_id > 0);
    }

    int world_place = 0, local_place = 0;
    QVERIFY(together->places(submissions.back().rating, best, submissions.back().location_key,
                             world_place, local_place));
    QCOMPARE(world_place, world);
    QCOMPARE(local_place, local);
}

void TestRatingStore::places_stay_exact_through_many_submissions()
{
    std::unique_ptr<Store> store = fresh_store();
    QVERIFY(store);
    Model model;
    std::mt19937 random(5);
    std::uniform_int_distribution<int> who(0, 59);
    std::uniform_int_distribution<int> value(1, 3000);
    std::uniform_int_distribution<int> batch_size(1, 40);
    const QStringList towns{"Oulu", "Turku", ""};

    for (int batch = 0; batch < 25; ++batch) {
        std::vector<Submission> submissions;
        for (int i = batch_size(random); i > 0; --i) {
            const int player = who(random);
            // Few distinct values near each other: many ties, many shared buckets.
            submissions.push_back(submission_of(QStringLiteral("%1|P%2|%3|%4")
                                                    .arg(player % 2 ? "w" : "m")
                                                    .arg(player)
                                                    .arg(towns[player % 3])
                                                    .arg(value(random) / 7 * 7)));
        }
        std::vector<Standing> standings;
        QVERIFY2(store->submit(submissions, 1000, standings), qPrintable(store->last_error()));
        for (std::size_t i = 0; i < submissions.size(); ++i) {
            const Submission &s = submissions[i];
            model.submit(s);
            const int best = model.bests[{int(s.rating), s.name_key, s.location_key}];
            QCOMPARE(standings[i].best, best);
            QCOMPARE(standings[i].world_place, model.world_place(s.rating, best));
            QCOMPARE(standings[i].local_place, model.local_place(s.rating, s.location_key, best));
        }
    }
    for (const auto &[who, best] : model.bests) {
        const Rating rating = Rating(std::get<0>(who));
        int world = 0, local = 0;
        QVERIFY(store->places(rating, best, std::get<2>(who), world, local));
        QCOMPARE(world, model.world_place(rating, best));
        QCOMPARE(local, model.local_place(rating, std::get<2>(who), best));
    }
}

void TestRatingStore::a_submission_that_fails_alone_leaves_the_others_stored()
{
    std::unique_ptr<Store> store = fresh_store();
    QVERIFY(store);
    // No rule lets a value of 0 through; the database refuses it too.
    const std::vector<Submission> batch{submission_of("m|Anna|Oulu|500"),
                                        submission_of("m|Bert|Oulu|0"),
                                        submission_of("m|Cleo|Oulu|400")};
    std::vector<Standing> standings;
    QVERIFY2(store->submit(batch, 1000, standings), qPrintable(store->last_error()));
    QCOMPARE(standings.size(), batch.size());
    QVERIFY(standings[0].player_id > 0);
    QCOMPARE(standings[1].player_id, qint64(0));
    QVERIFY(standings[2].player_id > 0);
    QCOMPARE(standings[2].world_place, 2);

    // Bert never counted: the next one below Anna and Cleo is third.
    QVERIFY(store->submit({submission_of("m|Dana|Oulu|300")}, 2000, standings));
    QCOMPARE(standings[0].world_place, 3);
    QCOMPARE(standings[0].local_place, 3);
}

void TestRatingStore::added_players_join_the_places_once()
{
    std::unique_ptr<Store> store = fresh_store();
    QVERIFY(store);
    Model model;
    std::vector<Standing> standings;
    const Submission known = submission_of("m|Anna|Oulu|800");
    QVERIFY(store->submit({known}, 1000, standings));
    model.submit(known);

    // Anna is there already and keeps her best; Bert comes twice in the load.
    std::vector<Submission> load;
    for (const char *step : {"m|Anna|Oulu|100", "m|Bert|Oulu|900", "m|bert|oulu|50",
                             "m|Cleo|Turku|800", "w|Dana|Oulu|700", "m|Emil||300"})
        load.push_back(submission_of(QString::fromUtf8(step)));
    QVERIFY2(store->add_players(load, 2000), qPrintable(store->last_error()));
    for (const Submission &s : load) {
        if (s.name != QLatin1String("Anna") && s.name != QLatin1String("bert"))
            model.submit(s);
    }
    QCOMPARE(model.bests.size(), std::size_t(5));
    for (const auto &[who, best] : model.bests) {
        const Rating rating = Rating(std::get<0>(who));
        int world = 0, local = 0;
        QVERIFY(store->places(rating, best, std::get<2>(who), world, local));
        QCOMPARE(world, model.world_place(rating, best));
        QCOMPARE(local, model.local_place(rating, std::get<2>(who), best));
    }
    // A submission after the load counts the loaded players.
    QVERIFY(store->submit({submission_of("m|Fred|Oulu|850")}, 3000, standings));
    QCOMPARE(standings[0].world_place, 2);
    QCOMPARE(standings[0].local_place, 2);
}

void TestRatingStore::older_schema_is_brought_up_to_date_with_its_players_placed()
{
    // A database as the first version of the server left it: players alone.
    const QString path = dir->filePath(QStringLiteral("old.db"));
    if (testing_postgresql())
        database_url(path); // makes the empty database that stands for the path
    {
        DirectConnection old(path);
        const QString id =
            testing_postgresql()
                ? QStringLiteral("id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                : QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT");
        QVERIFY(old.run(
            QStringLiteral(
                "CREATE TABLE players (%1, rating TEXT NOT NULL, name_key TEXT NOT NULL,"
                " location_key TEXT NOT NULL, name TEXT NOT NULL, location TEXT NOT NULL,"
                " best INTEGER NOT NULL, best_at BIGINT NOT NULL, submissions INTEGER NOT NULL,"
                " UNIQUE (rating, name_key, location_key))")
                .arg(id)));
        QVERIFY(old.run(QStringLiteral("CREATE INDEX players_by_best ON players (rating, best)")));
        QVERIFY(old.run(QStringLiteral(
            "CREATE INDEX players_by_location ON players (rating, location_key, best)")));
        QVERIFY(old.run(QStringLiteral(
            "INSERT INTO players (rating, name_key, location_key, name, location, best, best_at,"
            " submissions) VALUES ('m', 'anna', 'oulu', 'Anna', 'Oulu', 700, 1, 1),"
            " ('m', 'bert', 'oulu', 'Bert', 'Oulu', 900, 1, 1),"
            " ('m', 'cleo', 'turku', 'Cleo', 'Turku', 800, 1, 1),"
            " ('w', 'dana', 'oulu', 'Dana', 'Oulu', 999, 1, 1)")));
        if (testing_postgresql()) {
            QVERIFY(
                old.run(QStringLiteral("CREATE TABLE schema_version (version integer NOT NULL)")));
            QVERIFY(old.run(QStringLiteral("INSERT INTO schema_version VALUES (1)")));
        } else {
            QVERIFY(old.run(QStringLiteral("PRAGMA user_version = 1")));
        }
    }
    QString error;
    std::unique_ptr<Store> store = open_store(database_url(path), &error);
    QVERIFY2(store, qPrintable(error));
    std::vector<Standing> standings;
    QVERIFY(store->submit({submission_of("m|Emil|Oulu|750")}, 1000, standings));
    QCOMPARE(standings[0].world_place, 3);
    QCOMPARE(standings[0].local_place, 2);
}

void TestRatingStore::database_newer_than_the_program_is_refused()
{
    QString path;
    QVERIFY(fresh_store(&path));
    {
        DirectConnection newer(path);
        QVERIFY(newer.run(testing_postgresql()
                              ? QStringLiteral("UPDATE schema_version SET version = 99")
                              : QStringLiteral("PRAGMA user_version = 99")));
    }
    QString error;
    QVERIFY(!open_store(database_url(path), &error));
    QVERIFY2(error.contains(QLatin1String("newer than this program")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestRatingStore)
#include "tst_rating_store.moc"
