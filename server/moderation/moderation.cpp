// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "moderation/moderation.h"

#include "rating/submission.h"

#include <QCommandLineParser>
#include <QDateTime>

#include <cstdio>

namespace {

constexpr int usage_error = 2;
// What list shows at most; narrow it with --rating, --name and --location.
constexpr int list_limit = 1000;

void print_error(const QString &text)
{
    std::fprintf(stderr, "quiverbolt-rating: %s\n", qPrintable(text));
}

QString time_text(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODate);
}

// "m" or "w" from --rating; nothing, with an error printed, otherwise.
std::optional<Rating> rating_of(const QString &text)
{
    if (text == QLatin1String("m"))
        return Rating::men;
    if (text == QLatin1String("w"))
        return Rating::women;
    print_error(QStringLiteral("--rating wants m or w, not \"%1\"").arg(text));
    return std::nullopt;
}

// Name and location as the server stores them: trimmed, inner white space
// folded, compared by their keys.
Submission who_of(Rating rating, const QString &name, const QString &location)
{
    Submission who;
    who.rating = rating;
    who.name = display_text(name);
    who.location = display_text(location);
    who.name_key = identity_key(who.name);
    who.location_key = identity_key(who.location);
    return who;
}

void print_player(const PlayerEntry &player)
{
    std::printf("%lld\t%s\t%s\t%s\t%d\t%s\t%d\n", static_cast<long long>(player.id),
                qPrintable(rating_letter(player.rating)), player.name.toUtf8().constData(),
                player.location.toUtf8().constData(), player.best,
                qPrintable(time_text(player.best_at_ms)), player.submissions);
}

} // namespace

bool is_moderation_command(const QString &command)
{
    return command == QLatin1String("list") || command == QLatin1String("remove") ||
           command == QLatin1String("ban") || command == QLatin1String("unban");
}

int run_moderation(const QString &command, const QStringList &arguments,
                   const QString &default_database)
{
    const bool listing = command == QLatin1String("list");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        listing ? QStringLiteral("Lists players (id, rating, name, location, best, when set, "
                                 "submissions), best first; with --banned, the bans.")
        : command == QLatin1String("remove")
            ? QStringLiteral("Takes a player and their places away; they may submit again.")
        : command == QLatin1String("ban")
            ? QStringLiteral("Takes a player away and stores none of their later submissions.")
            : QStringLiteral("Lifts a ban."));
    const QCommandLineOption database_option(QStringLiteral("database"),
                                             QStringLiteral("Database, as for serve."),
                                             QStringLiteral("URL"));
    const QCommandLineOption rating_option(QStringLiteral("rating"),
                                           QStringLiteral("m (men's) or w (women's)."),
                                           QStringLiteral("m|w"));
    const QCommandLineOption name_option(
        QStringLiteral("name"), QStringLiteral("The player's name (case and spaces as compared)."),
        QStringLiteral("NAME"));
    const QCommandLineOption location_option(
        QStringLiteral("location"),
        listing ? QStringLiteral("Only players of this location (\"\" for none).")
                : QStringLiteral("The player's location (default: none)."),
        QStringLiteral("LOCATION"));
    const QCommandLineOption banned_option(QStringLiteral("banned"),
                                           QStringLiteral("List the bans instead."));
    parser.addOptions({database_option, rating_option, name_option, location_option});
    if (listing)
        parser.addOption(banned_option);
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        print_error(parser.errorText());
        return usage_error;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        print_error(QStringLiteral("unexpected arguments: ") +
                    parser.positionalArguments().join(QLatin1Char(' ')));
        return usage_error;
    }
    std::optional<Rating> rating;
    if (parser.isSet(rating_option)) {
        rating = rating_of(parser.value(rating_option));
        if (!rating)
            return usage_error;
    }
    const Submission who = who_of(rating.value_or(Rating::men), parser.value(name_option),
                                  parser.value(location_option));
    if (!listing && (!rating || who.name.isEmpty())) {
        print_error(QStringLiteral("%1 wants --rating and --name (and --location when the "
                                   "player gave one)")
                        .arg(command));
        return usage_error;
    }

    const QString database =
        parser.isSet(database_option) ? parser.value(database_option) : default_database;
    QString error;
    std::unique_ptr<Store> store = open_store(database, &error);
    if (!store) {
        print_error(QStringLiteral("cannot open the database: ") + error);
        return 1;
    }
    const auto failed = [&store] {
        print_error(store->last_error());
        return 1;
    };

    if (listing) {
        std::vector<PlayerEntry> players;
        if (parser.isSet(banned_option)) {
            if (!store->find_bans(players))
                return failed();
            for (const PlayerEntry &ban : players) {
                std::printf("%s\t%s\t%s\tbanned %s\n", qPrintable(rating_letter(ban.rating)),
                            ban.name.toUtf8().constData(), ban.location.toUtf8().constData(),
                            qPrintable(time_text(ban.best_at_ms)));
            }
            return 0;
        }
        PlayerFilter filter;
        filter.rating = rating;
        filter.name_key = who.name_key;
        if (parser.isSet(location_option))
            filter.location_key = who.location_key;
        if (!store->find_players(filter, list_limit, players))
            return failed();
        for (const PlayerEntry &player : players)
            print_player(player);
        return 0;
    }

    const QString named = QStringLiteral("%1 \"%2\" of \"%3\"")
                              .arg(rating_letter(who.rating), who.name, who.location);
    bool changed = false;
    if (command == QLatin1String("remove")) {
        if (!store->remove_player(who.rating, who.name_key, who.location_key, changed))
            return failed();
        std::printf("%s %s\n", changed ? "removed" : "no player", qPrintable(named));
        return changed ? 0 : 1;
    }
    if (command == QLatin1String("ban")) {
        if (!store->ban_player(who, QDateTime::currentMSecsSinceEpoch(), changed))
            return failed();
        std::printf("banned %s%s\n", qPrintable(named), changed ? ", removed from the rating" : "");
        return 0;
    }
    if (!store->unban_player(who.rating, who.name_key, who.location_key, changed))
        return failed();
    std::printf("%s %s\n", changed ? "unbanned" : "no ban on", qPrintable(named));
    return changed ? 0 : 1;
}
