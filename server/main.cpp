// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// quiverbolt-rating: the game's rating server.

#include "http/httpserver.h"
#include "moderation/moderation.h"
#include "rating/submission.h"
#include "routes/metrics.h"
#include "routes/ratelimit.h"
#include "routes/routes.h"
#include "store/commitqueue.h"
#include "store/madeupplayers.h"
#include "store/readpool.h"
#include "store/store.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

constexpr int usage_error = 2;
// Submissions a minute from one address unless --rate-limit says otherwise:
// a player submits after a game of ten seconds at the most, so thirty leave
// room for several phones behind one address.
constexpr int default_rate_limit = 30;
// Open connections at most unless --max-connections says otherwise.
constexpr int default_connection_limit = 10000;
// File descriptors kept for the database, the log and the listener.
constexpr rlim_t descriptors_kept = 64;
// Threads that answer the rating pages and the API, each with its own connection.
constexpr int read_threads = 2;

const char usage[] = "Usage: quiverbolt-rating COMMAND [OPTIONS]\n"
                     "The QuiverBolt rating server.\n\n"
                     "Commands:\n"
                     "  serve   answer the game's submissions over HTTP\n"
                     "  seed    add made-up players to a database (for benchmarks)\n"
                     "  list    list players (or, with --banned, the bans)\n"
                     "  remove  take a player away\n"
                     "  ban     take a player away and refuse their submissions\n"
                     "  unban   lift a ban\n\n"
                     "Run quiverbolt-rating COMMAND --help for the command's options.\n";

void print_error(const QString &text)
{
    std::fprintf(stderr, "quiverbolt-rating: %s\n", qPrintable(text));
}

// Parses a command's options; --help and --version print and exit 0, a wrong
// option is a usage error.
bool parse_options(QCommandLineParser &parser, const QStringList &arguments)
{
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(arguments)) {
        print_error(parser.errorText());
        return false;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        print_error(QStringLiteral("unexpected arguments: ") +
                    parser.positionalArguments().join(QLatin1Char(' ')));
        return false;
    }
    return true;
}

// "sqlite:" and a file in $XDG_DATA_HOME/quiverbolt/, the folder made if need be.
QString default_database()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/quiverbolt");
    QDir().mkpath(folder);
    return QStringLiteral("sqlite:") + folder + QStringLiteral("/rating.db");
}

// "127.0.0.1:8390", "[::1]:8390" or "localhost:8390".
bool parse_listen(const QString &text, tcp::endpoint &endpoint)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    bool port_ok = false;
    const uint port = text.mid(colon + 1).toUInt(&port_ok);
    if (!port_ok || port > 65535)
        return false;
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host == QLatin1String("localhost"))
        host = QStringLiteral("127.0.0.1");
    beast::error_code ec;
    const auto address = net::ip::make_address(host.toStdString(), ec);
    if (ec)
        return false;
    endpoint = tcp::endpoint(address, static_cast<unsigned short>(port));
    return true;
}

QString url_of(const tcp::endpoint &endpoint)
{
    const QString host = QString::fromStdString(endpoint.address().to_string());
    return QStringLiteral("http://%1:%2/")
        .arg(endpoint.address().is_v6() ? QLatin1Char('[') + host + QLatin1Char(']') : host)
        .arg(endpoint.port());
}

// Raises the open-files limit as far as the system allows, and gives the
// connections that may be open within it.
std::size_t connection_limit(int wanted)
{
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0)
        return static_cast<std::size_t>(wanted);
    if (files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
        getrlimit(RLIMIT_NOFILE, &files);
    }
    if (files.rlim_cur == RLIM_INFINITY)
        return static_cast<std::size_t>(wanted);
    const rlim_t room = files.rlim_cur > 2 * descriptors_kept ? files.rlim_cur - descriptors_kept
                                                              : files.rlim_cur / 2;
    return static_cast<std::size_t>(std::min<rlim_t>(room, static_cast<rlim_t>(wanted)));
}

int serve(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Answers the game's rating submissions (POST /) and GET /healthz over HTTP."));
    const QCommandLineOption listen_option(
        QStringLiteral("listen"),
        QStringLiteral("Address and port to listen on (port 0: any free one)."),
        QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:8390"));
    const QCommandLineOption database_option(
        QStringLiteral("database"),
        QStringLiteral("Database: sqlite:/path/to/file.db (default: a file under "
                       "$XDG_DATA_HOME/quiverbolt/) or a PostgreSQL URI, "
                       "postgresql://user@host/dbname (password from PGPASSFILE or the "
                       "URI's passfile)."),
        QStringLiteral("URL"));
    const QCommandLineOption public_url_option(
        QStringLiteral("public-url"),
        QStringLiteral("Address players reach the server at, for the links in replies "
                       "(default: http://ADDR:PORT/)."),
        QStringLiteral("URL"));
    const QCommandLineOption rate_limit_option(
        QStringLiteral("rate-limit"),
        QStringLiteral("Submissions a minute from one address, 0 for no limit (default: %1).")
            .arg(default_rate_limit),
        QStringLiteral("N"), QString::number(default_rate_limit));
    const QCommandLineOption max_connections_option(
        QStringLiteral("max-connections"),
        QStringLiteral("Open connections at most; past them a new one is answered 503 at once "
                       "(default: %1, fewer when the open-files limit is lower).")
            .arg(default_connection_limit),
        QStringLiteral("N"), QString::number(default_connection_limit));
    parser.addOptions({listen_option, database_option, public_url_option, rate_limit_option,
                       max_connections_option});
    if (!parse_options(parser, arguments))
        return usage_error;

    tcp::endpoint endpoint;
    if (!parse_listen(parser.value(listen_option), endpoint)) {
        print_error(QStringLiteral("--listen wants ADDR:PORT, as in 127.0.0.1:8390, not ") +
                    parser.value(listen_option));
        return usage_error;
    }
    bool number_ok = false;
    const int rate_limit = parser.value(rate_limit_option).toInt(&number_ok);
    if (!number_ok || rate_limit < 0) {
        print_error(QStringLiteral("--rate-limit wants a number, 0 or more"));
        return usage_error;
    }
    const int max_connections = parser.value(max_connections_option).toInt(&number_ok);
    if (!number_ok || max_connections < 1) {
        print_error(QStringLiteral("--max-connections wants a number, 1 or more"));
        return usage_error;
    }
    const QString database =
        parser.isSet(database_option) ? parser.value(database_option) : default_database();

    CommitQueue queue([database](QString *error) { return open_store(database, error); });
    QString error;
    if (!queue.start(&error)) {
        print_error(QStringLiteral("cannot open the database: ") + error);
        return 1;
    }

    // The pages and the API read on connections of their own.
    ReadPool reads([database](QString *error) { return open_store(database, error); },
                   read_threads);
    if (!reads.start(&error)) {
        print_error(QStringLiteral("cannot open the database for reading: ") + error);
        return 1;
    }
    Metrics metrics;

    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    net::io_context io(static_cast<int>(threads));
    // Routes needs the public URL, which needs the bound port: it is filled
    // in before the first connection is accepted.
    std::unique_ptr<Routes> routes;
    RateLimiter limiter(rate_limit);
    const auto admit = [&limiter,
                        &metrics](const Request &request,
                                  const net::ip::address &peer) -> std::optional<Response> {
        // Only submissions count: pages and health checks are cheap.
        const beast::string_view target = request.target();
        if (request.method() != http::verb::post || target.substr(0, target.find('?')) != "/" ||
            limiter.take(peer))
            return std::nullopt;
        metrics.count_request("/", static_cast<unsigned>(http::status::too_many_requests));
        return Routes::reply_response(rate_limited_reply());
    };
    HttpServer server(io, Handlers{[&routes](Request &&request, Responder respond) {
                                       routes->handle(std::move(request), std::move(respond));
                                   },
                                   [&metrics](http::status status) {
                                       metrics.count_request("-", static_cast<unsigned>(status));
                                       return Routes::refusal(status);
                                   },
                                   admit});
    server.set_connection_limit(connection_limit(max_connections));
    std::string listen_error;
    if (!server.listen(endpoint, &listen_error)) {
        print_error(QStringLiteral("cannot listen on %1: %2")
                        .arg(parser.value(listen_option), QString::fromStdString(listen_error)));
        return 1;
    }
    const QString local_url = url_of(server.local_endpoint());
    QString public_url =
        parser.isSet(public_url_option) ? parser.value(public_url_option) : local_url;
    if (!public_url.endsWith(QLatin1Char('/')))
        public_url += QLatin1Char('/');
    routes = std::make_unique<Routes>(queue, public_url, reads, metrics);

    net::signal_set stop_signals(io, SIGINT, SIGTERM);
    stop_signals.async_wait([&](const beast::error_code &ec, int) {
        if (!ec)
            server.stop();
    });

    std::fprintf(stderr, "database %s\nlistening on %s\n",
                 qPrintable(redacted_database_url(database)), qPrintable(local_url));
    std::vector<std::thread> pool;
    for (unsigned i = 1; i < threads; ++i)
        pool.emplace_back([&io] { io.run(); });
    io.run();
    for (std::thread &thread : pool)
        thread.join();
    reads.stop();
    queue.stop();
    std::fprintf(stderr, "stopped\n");
    return 0;
}

int seed(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Adds made-up players to a database."));
    const QCommandLineOption players_option(QStringLiteral("players"),
                                            QStringLiteral("How many players to add."),
                                            QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption database_option(QStringLiteral("database"),
                                             QStringLiteral("Database, as for serve."),
                                             QStringLiteral("URL"));
    parser.addOptions({players_option, database_option});
    if (!parse_options(parser, arguments))
        return usage_error;
    bool ok = false;
    const int count = parser.value(players_option).toInt(&ok);
    if (!ok || count < 0) {
        print_error(QStringLiteral("--players wants a number"));
        return usage_error;
    }
    const QString database =
        parser.isSet(database_option) ? parser.value(database_option) : default_database();
    QString error;
    std::unique_ptr<Store> store = open_store(database, &error);
    if (!store) {
        print_error(QStringLiteral("cannot open the database: ") + error);
        return 1;
    }
    // One transaction: a bulk load, and the counts built once over all of it.
    std::mt19937 random(1);
    const std::vector<Submission> players = made_up_players(count, random);
    if (!store->add_players(players, QDateTime::currentMSecsSinceEpoch())) {
        print_error(store->last_error());
        return 1;
    }
    std::fprintf(stderr, "added up to %d players to %s\n", count,
                 qPrintable(redacted_database_url(database)));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quiverbolt-rating"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUIVERBOLT_VERSION));

    QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("quiverbolt-rating %s\n", QUIVERBOLT_VERSION);
        return 0;
    }
    // The command's own parser sees "quiverbolt-rating serve" as its program.
    if (arguments.size() > 1) {
        arguments[0] += QLatin1Char(' ') + command;
        arguments.removeAt(1);
    }
    if (command == QLatin1String("serve"))
        return serve(arguments);
    if (command == QLatin1String("seed"))
        return seed(arguments);
    if (is_moderation_command(command))
        return run_moderation(command, arguments, default_database());
    if (command.isEmpty())
        print_error(QStringLiteral("no command given"));
    else
        print_error(QStringLiteral("unknown command \"%1\"").arg(command));
    std::fputs(usage, stderr);
    return usage_error;
}
