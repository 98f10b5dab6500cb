// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The rating as pages read it from a real store (SQLite, or PostgreSQL in its
// own run): every player once, in rating order, both ways, with the same
// places the game's reply gives.

#include "support/testdatabase.h"

#include "rating/places.h"
#include "routes/ratingview.h"
#include "store/store.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

Submission submission(Rating rating, const QString &name, const QString &location, int value)
{
    Submission s;
    s.rating = rating;
    // Empty, never null: the store keeps "" for no location.
    const auto text = [](const QString &t) { return t.isEmpty() ? QStringLiteral("") : t; };
    s.name = name;
    s.location = text(location);
    s.name_key = identity_key(name);
    s.location_key = text(identity_key(location));
    s.value = value;
    return s;
}

struct Expected
{
    qint64 id;
    int best;
    qint64 best_at;
    QString location_key;
};

const QStringList towns = {QStringLiteral("Oslo"), QStringLiteral("Bergen"), QString()};

} // namespace

class TestRatingListing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listing_walks_every_player_once_both_ways_data();
    void listing_walks_every_player_once_both_ways();
    void page_places_are_the_replys_places();
    void raised_best_moves_the_player();
    void players_are_found_by_id_and_counted();
    void player_view_shows_those_around_data();
    void player_view_shows_those_around();
    void player_view_refuses_a_player_of_another_rating_or_location();
    void previous_page_near_the_top_is_the_top();

private:
    // Men: 60 players in batches of four that share a time, values with
    // many ties, three locations; women: 2 players.
    void fill();
    std::vector<Expected> in_order(const QString &location_key) const;

    QTemporaryDir folder;
    int databases = 0;
    std::unique_ptr<Store> store;
    std::vector<Expected> men;
};

void TestRatingListing::init()
{
    QString error;
    // A database of its own for each test: in the PostgreSQL run each path
    // stands for a fresh database (support/testdatabase.h).
    store = open_store(database_url(folder.filePath(QStringLiteral("r%1.db").arg(++databases))),
                       &error);
    QVERIFY2(store, qPrintable(error));
    fill();
}

void TestRatingListing::cleanup()
{
    store.reset();
    const QString file = folder.filePath(QStringLiteral("r%1.db").arg(databases));
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-wal"));
    QFile::remove(file + QStringLiteral("-shm"));
    men.clear();
}

void TestRatingListing::fill()
{
    std::vector<Standing> standings;
    for (int batch = 0; batch < 15; ++batch) {
        std::vector<Submission> submissions;
        for (int i = batch * 4; i < batch * 4 + 4; ++i) {
            submissions.push_back(submission(Rating::men, QStringLiteral("Player %1").arg(i),
                                             towns[i % 3], 100 + (i * 7) % 13));
        }
        // Later batches at earlier times, so that time and id disagree.
        const qint64 now = 1765368000000 - batch * 1000;
        QVERIFY2(store->submit(submissions, now, standings), qPrintable(store->last_error()));
        for (std::size_t i = 0; i < submissions.size(); ++i) {
            men.push_back(Expected{standings[i].player_id, submissions[i].value, now,
                                   submissions[i].location_key});
        }
    }
    QVERIFY(store->submit({submission(Rating::women, QStringLiteral("Ann"), QString(), 500),
                           submission(Rating::women, QStringLiteral("Eve"), QString(), 400)},
                          1765368000000, standings));
}

std::vector<Expected> TestRatingListing::in_order(const QString &location_key) const
{
    std::vector<Expected> order;
    for (const Expected &e : men) {
        if (location_key.isEmpty() || e.location_key == location_key)
            order.push_back(e);
    }
    std::sort(order.begin(), order.end(), [](const Expected &a, const Expected &b) {
        if (a.best != b.best)
            return a.best > b.best;
        if (a.best_at != b.best_at)
            return a.best_at < b.best_at;
        return a.id < b.id;
    });
    return order;
}

void TestRatingListing::listing_walks_every_player_once_both_ways_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<int>("limit");
    QTest::newRow("world, one at a time") << QString() << 1;
    QTest::newRow("world, pages of 7") << QString() << 7;
    QTest::newRow("world, one page") << QString() << 100;
    QTest::newRow("Oslo, pages of 3") << QStringLiteral("oslo") << 3;
}

void TestRatingListing::listing_walks_every_player_once_both_ways()
{
    QFETCH(QString, location);
    QFETCH(int, limit);
    const std::vector<Expected> expected = in_order(location);

    std::vector<qint64> forward;
    std::optional<ListingKey> key;
    for (;;) {
        Listing listing;
        QVERIFY(store->list_players(Rating::men, location, key, ListingDirection::after, limit,
                                    listing));
        QVERIFY(int(listing.rows.size()) <= limit);
        if (listing.rows.empty())
            break;
        QCOMPARE(listing.ahead_of_first, qint64(forward.size()));
        for (const PlayerRecord &row : listing.rows)
            forward.push_back(row.player_id);
        key = listing.rows.back().key();
    }
    std::vector<qint64> backward;
    key = ListingKey{1, 0, 0}; // below everyone
    for (;;) {
        Listing listing;
        QVERIFY(store->list_players(Rating::men, location, key, ListingDirection::before, limit,
                                    listing));
        if (listing.rows.empty())
            break;
        for (auto row = listing.rows.rbegin(); row != listing.rows.rend(); ++row)
            backward.insert(backward.begin(), row->player_id);
        QCOMPARE(listing.ahead_of_first, qint64(expected.size() - backward.size()));
        key = listing.rows.front().key();
    }

    std::vector<qint64> ids;
    for (const Expected &e : expected)
        ids.push_back(e.id);
    QCOMPARE(forward, ids);
    QCOMPARE(backward, ids);
}

void TestRatingListing::page_places_are_the_replys_places()
{
    for (const QString &location : {QString(), QStringLiteral("bergen")}) {
        std::optional<ListingKey> key;
        for (;;) {
            Listing listing;
            QVERIFY(store->list_players(Rating::men, location, key, ListingDirection::after, 5,
                                        listing));
            if (listing.rows.empty())
                break;
            assign_places(listing);
            for (const PlayerRecord &row : listing.rows) {
                int world = 0;
                int local = 0;
                QVERIFY(store->places(Rating::men, row.best, row.location_key, world, local));
                QCOMPARE(row.place, location.isEmpty() ? world : local);
            }
            key = listing.rows.back().key();
        }
    }
}

void TestRatingListing::raised_best_moves_the_player()
{
    const Expected last = in_order(QString()).back();
    std::vector<Standing> standings;
    const int index = int(
        std::find_if(men.begin(), men.end(), [&](const Expected &e) { return e.id == last.id; }) -
        men.begin());
    QVERIFY(store->submit(
        {submission(Rating::men, QStringLiteral("player %1 ").arg(index), towns[index % 3], 1000)},
        1765368100000, standings));
    QCOMPARE(standings[0].player_id, last.id);

    Listing top;
    QVERIFY(store->list_players(Rating::men, QString(), std::nullopt, ListingDirection::after, 100,
                                top));
    QCOMPARE(int(top.rows.size()), 60);
    QCOMPARE(top.rows.front().player_id, last.id);
    QCOMPARE(top.rows.front().best, 1000);
    QCOMPARE(top.rows.front().best_at, qint64(1765368100000));
}

void TestRatingListing::players_are_found_by_id_and_counted()
{
    std::optional<PlayerRecord> found;
    QVERIFY(store->find_player_by_id(men[5].id, found));
    QVERIFY(found);
    QCOMPARE(found->name, QStringLiteral("Player 5"));
    QCOMPARE(found->location, towns[5 % 3]);
    QCOMPARE(found->rating, Rating::men);
    QCOMPARE(found->best, men[5].best);
    QVERIFY(found->key() == (ListingKey{men[5].best, men[5].best_at, men[5].id}));

    QVERIFY(store->find_player_by_id(999999, found));
    QVERIFY(!found);

    PlayerCounts counts;
    QVERIFY(store->count_players(counts));
    QCOMPARE(counts.men, qint64(60));
    QCOMPARE(counts.women, qint64(2));
}

void TestRatingListing::player_view_shows_those_around_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("above");
    QTest::addColumn<int>("below");
    QTest::newRow("first") << 0 << 0 << players_around;
    QTest::newRow("third") << 2 << 2 << players_around;
    QTest::newRow("middle") << 30 << players_around << players_around;
    QTest::newRow("last") << 59 << players_around << 0;
}

void TestRatingListing::player_view_shows_those_around()
{
    QFETCH(int, position);
    QFETCH(int, above);
    QFETCH(int, below);
    const std::vector<Expected> order = in_order(QString());
    RatingQuery query;
    query.player = order[position].id;
    RatingView view;
    QCOMPARE(load_rating_view(*store, query, view), ViewResult::shown);
    QCOMPARE(view.highlighted, order[position].id);
    QCOMPARE(int(view.rows.size()), above + 1 + below);
    for (int i = 0; i < int(view.rows.size()); ++i)
        QCOMPARE(view.rows[i].player_id, order[position - above + i].id);
    QCOMPARE(bool(view.previous), position - above > 0);
    QCOMPARE(bool(view.next), position + below < 59);
    int world = 0;
    int local = 0;
    QVERIFY(store->places(Rating::men, order[position].best, QString(), world, local));
    QCOMPARE(view.rows[above].place, world);
}

void TestRatingListing::player_view_refuses_a_player_of_another_rating_or_location()
{
    RatingQuery query;
    query.rating = Rating::women;
    query.player = men[0].id;
    RatingView view;
    QCOMPARE(load_rating_view(*store, query, view), ViewResult::not_found);

    query.rating = Rating::men;
    query.location = QStringLiteral("Bergen"); // men[0] is from Oslo
    QCOMPARE(load_rating_view(*store, query, view), ViewResult::not_found);

    query.location = QStringLiteral("OSLO");
    QCOMPARE(load_rating_view(*store, query, view), ViewResult::shown);
    QCOMPARE(view.location, QStringLiteral("Oslo"));

    query.location.clear();
    query.player = 999999;
    QCOMPARE(load_rating_view(*store, query, view), ViewResult::not_found);
}

void TestRatingListing::previous_page_near_the_top_is_the_top()
{
    const std::vector<Expected> order = in_order(QString());
    RatingQuery query;
    query.before = ListingKey{order[3].best, order[3].best_at, order[3].id};
    RatingView view;
    QCOMPARE(load_rating_view(*store, query, view), ViewResult::shown);
    QCOMPARE(int(view.rows.size()), page_size > 60 ? 60 : page_size);
    QCOMPARE(view.rows.front().player_id, order[0].id);
    QCOMPARE(view.rows.front().place, 1);
    QVERIFY(!view.previous);
    QVERIFY(view.next);
}

QTEST_GUILESS_MAIN(TestRatingListing)
#include "tst_rating_listing.moc"
