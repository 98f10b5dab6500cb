// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "store/madeupplayers.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array<const char *, 48> first_names = {
    "Anna",   "Mikko", "Laura",  "Jussi", "Emma",  "Ville", "Sofia",  "Antti", "Maria",  "Pekka",
    "Aino",   "Juha",  "Olivia", "Lucas", "Mia",   "Noah",  "Elena",  "Marco", "Giulia", "Luca",
    "Chloé",  "Hugo",  "Léa",    "Jonas", "Hanna", "Lukas", "Zoé",    "Mateo", "Lucía",  "Pablo",
    "Ingrid", "Lars",  "Freya",  "Oskar", "Nora",  "Erik",  "Yuki",   "Kenji", "Aiko",   "Wei",
    "Priya",  "Arjun", "Fatima", "Omar",  "Ada",   "Tomás", "Zuzana", "Jakub"};
constexpr std::array<const char *, 40> surnames = {
    "Korhonen",  "Virtanen", "Mäkinen", "Nieminen", "Smith",   "Jones",   "Müller",  "Schmidt",
    "Rossi",     "Russo",    "Martin",  "Bernard",  "García",  "López",   "Hansen",  "Johansen",
    "Andersson", "Nilsson",  "Novák",   "Kowalski", "Nowak",   "Silva",   "Santos",  "Tanaka",
    "Suzuki",    "Wang",     "Li",      "Kumar",    "Singh",   "Haddad",  "O'Brien", "Murphy",
    "Dubois",    "Fischer",  "Weber",   "Horvat",   "Popescu", "Ivanova", "Petrov",  "Lindqvist"};
constexpr std::array<const char *, 24> handle_words = {
    "shaker", "quake",  "bolt", "storm", "rattle", "tremor", "thunder", "wobble",
    "blitz",  "turbo",  "jolt", "fury",  "spin",   "rumble", "flash",   "zap",
    "nitro",  "rocket", "wild", "mega",  "hyper",  "crazy",  "ninja",   "power"};
constexpr std::array<const char *, 24> syllables = {
    "ka", "lo",  "ve", "ri",  "sa", "mon", "ber", "tal", "ne", "dor", "hel", "vi",
    "an", "sto", "ku", "mar", "li", "es",  "pa",  "gra", "tu", "rin", "ost", "la"};
constexpr std::array<const char *, 8> town_endings = {"",     "berg", "by", "ville",
                                                      "stad", "ton",  "la", "polis"};

constexpr int town_count = 3000;
// Share of players who leave the location empty.
constexpr double no_location_share = 0.08;
// Share of the men's rating.
constexpr double men_share = 0.6;

// A made-up town name for a rank: two or three syllables and an ending.
QString town_name(int rank)
{
    int n = rank * 7919 + 13;
    QString name;
    const int parts = 2 + n % 2;
    for (int i = 0; i < parts; ++i) {
        name += QLatin1String(syllables[static_cast<std::size_t>(n % 24)]);
        n /= 24;
        n += rank;
    }
    name += QLatin1String(town_endings[static_cast<std::size_t>(rank % 8)]);
    name[0] = name[0].toUpper();
    return name;
}

// A power as real play gives it. Played through the game's filter
// arithmetic (rating_bench trace-power), the shipped traces give 599 for a
// phone rocked gently in the hand, 1,800 for one dropped (3 s of free fall)
// and 7,591 for one shaken hard. Most players land between gentle and hard,
// around 2,200; a tenth shake harder than the hard trace, in a tail that thins
// out like a power law up to the highest value a phone can produce.
int made_up_value(std::mt19937 &random)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    if (unit(random) < 0.1) {
        const double tail = 7591.0 / std::pow(1.0 - unit(random), 1.0 / 2.2);
        return std::clamp(static_cast<int>(tail), 1, value_limit);
    }
    std::lognormal_distribution<double> typical(std::log(2200.0), 0.6);
    return std::clamp(static_cast<int>(typical(random)), 1, value_limit);
}

QString made_up_name(std::mt19937 &random)
{
    std::uniform_int_distribution<std::size_t> first(0, first_names.size() - 1);
    std::uniform_int_distribution<std::size_t> last(0, surnames.size() - 1);
    std::uniform_int_distribution<std::size_t> word(0, handle_words.size() - 1);
    std::uniform_int_distribution<int> style(0, 9);
    std::uniform_int_distribution<int> year(60, 99);
    std::uniform_int_distribution<int> digits(1, 9999);
    const QString given = QString::fromUtf8(first_names[first(random)]);
    switch (style(random)) {
    case 0:
    case 1:
    case 2:
        return given + QLatin1Char(' ') + QString::fromUtf8(surnames[last(random)]);
    case 3:
    case 4:
        return given + QLatin1Char(' ') + QString::fromUtf8(surnames[last(random)]).left(1) +
               QLatin1Char('.');
    case 5:
        return given;
    case 6:
        return given.toLower() + QString::number(year(random));
    case 7:
        return QString::fromUtf8(handle_words[word(random)]) + QLatin1Char('_') + given.toLower();
    default:
        return QString::fromUtf8(handle_words[word(random)]).toUpper() +
               QString::number(digits(random));
    }
}

} // namespace

std::vector<Submission> made_up_players(int count, std::mt19937 &random)
{
    static const std::vector<QString> towns = [] {
        std::vector<QString> names;
        QSet<QString> taken;
        for (int rank = 1; rank <= town_count; ++rank) {
            QString name = town_name(rank);
            for (int more = rank; taken.contains(name); more += 7)
                name =
                    town_name(rank) + QLatin1String(syllables[static_cast<std::size_t>(more % 24)]);
            taken.insert(name);
            names.push_back(name);
        }
        return names;
    }();
    // Zipf: the town of rank k draws players in proportion to 1/k.
    static const std::vector<double> town_weights = [] {
        std::vector<double> weights;
        for (int rank = 1; rank <= town_count; ++rank)
            weights.push_back(1.0 / rank);
        return weights;
    }();
    std::discrete_distribution<int> town(town_weights.begin(), town_weights.end());
    std::uniform_real_distribution<double> unit(0.0, 1.0);

    std::vector<Submission> players;
    players.reserve(static_cast<std::size_t>(count));
    QSet<QString> taken;
    taken.reserve(count);
    while (static_cast<int>(players.size()) < count) {
        Submission player;
        player.rating = unit(random) < men_share ? Rating::men : Rating::women;
        player.name = made_up_name(random);
        player.location = unit(random) < no_location_share
                              ? QStringLiteral("")
                              : towns[static_cast<std::size_t>(town(random))];
        player.name_key = identity_key(player.name);
        player.location_key = identity_key(player.location);
        // The same name in the same town and rating is one player: a second
        // one signs up with a number, as people do.
        QString identity = rating_letter(player.rating) + QLatin1Char('\n') + player.name_key +
                           QLatin1Char('\n') + player.location_key;
        for (int n = 2; taken.contains(identity); ++n) {
            player.name = made_up_name(random) + QLatin1Char(' ') + QString::number(n);
            player.name_key = identity_key(player.name);
            identity = rating_letter(player.rating) + QLatin1Char('\n') + player.name_key +
                       QLatin1Char('\n') + player.location_key;
        }
        taken.insert(identity);
        player.value = made_up_value(random);
        players.push_back(std::move(player));
    }
    return players;
}
