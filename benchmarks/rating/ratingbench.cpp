// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// rating_bench: the rating server's benchmark helpers (see docs/performance.md).
//
//   rating_bench trace-power FILE...       the power each shake trace gives
//   rating_bench places --database URL [--lookups N]
//                                          times world and local place lookups
//   rating_bench store --database URL [--batches N] [--batch N]
//                                          times durable batches through the store
//   rating_bench bodies --players N [--out FILE]
//                                          a wrk Lua script of genuine submissions

#include "game/gamestate.h"
#include "game/recordkey.h"
#include "game/scores.h"
#include "game/smoothedaccelerometerfilter.h"
#include "rating/submission.h"
#include "storage/savefile.h"
#include "store/madeupplayers.h"
#include "store/store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// The highest power a trace gives over any ten-second window, played at its
// own rate through the game's filter arithmetic: each reading adds its damped
// intensity, and the meter sums 51 slots of 0.2 s.
int trace_power(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    int rate = 100;
    std::vector<int> intensities;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1String("# rate ")))
            rate = line.mid(7).toInt();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList xyz = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (xyz.size() != 3)
            continue;
        intensities.push_back(damped_intensity(
            shake_intensity(xyz[0].toFloat(), xyz[1].toFloat(), xyz[2].toFloat())));
    }
    const std::size_t window =
        std::min(intensities.size(), static_cast<std::size_t>(rate * GameState::slot_count / 5));
    int best = 0;
    int sum = 0;
    for (std::size_t i = 0; i < intensities.size(); ++i) {
        sum += intensities[i];
        if (i >= window)
            sum -= intensities[i - window];
        best = std::max(best, sum);
    }
    return best;
}

double percentile(std::vector<double> samples, double share)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1));
    return samples[at];
}

int places(const QString &database, int lookups)
{
    QString error;
    std::unique_ptr<Store> store = open_store(database, &error);
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // Values and locations drawn as the seed draws them: lookups land where
    // the players are.
    std::mt19937 random(7);
    const std::vector<Submission> sample = made_up_players(lookups, random);
    std::vector<double> world_us, local_us;
    for (const Submission &player : sample) {
        int world = 0, local = 0;
        QElapsedTimer timer;
        timer.start();
        if (!store->places(player.rating, player.value, QString(), world, local)) {
            std::fprintf(stderr, "%s\n", qPrintable(store->last_error()));
            return 1;
        }
        world_us.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
        const QString location =
            player.location_key.isEmpty() ? QStringLiteral("town 1") : player.location_key;
        timer.restart();
        if (!store->places(player.rating, player.value, location, world, local)) {
            std::fprintf(stderr, "%s\n", qPrintable(store->last_error()));
            return 1;
        }
        local_us.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    std::printf("lookups %d\nworld p50 %.1f us p99 %.1f us\nworld+local p50 %.1f us p99 %.1f "
                "us\n",
                lookups, percentile(world_us, 0.5), percentile(world_us, 0.99),
                percentile(local_us, 0.5), percentile(local_us, 0.99));
    return 0;
}

// The store alone, as the commit queue drives it: batches of submissions
// (a third new players, a third better values, a third lower values), each
// one durable transaction. Gives the writer's ceiling, without HTTP.
int store_batches(const QString &database, int batches, int batch_size)
{
    QString error;
    std::unique_ptr<Store> store = open_store(database, &error);
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::mt19937 random(13);
    std::vector<Submission> players = made_up_players(batches * batch_size, random);
    for (std::size_t i = 0; i < players.size(); ++i)
        players[i].name += QStringLiteral(" %1").arg(i + 1);
    std::vector<double> batch_ms;
    std::vector<Standing> standings;
    QElapsedTimer total;
    total.start();
    for (int b = 0; b < batches; ++b) {
        std::vector<Submission> batch;
        for (int i = 0; i < batch_size; ++i) {
            Submission s = players[static_cast<std::size_t>(b * batch_size + i)];
            if (i % 3 != 0 && b > 0) {
                // A player of the batch before: better or lower.
                s = players[static_cast<std::size_t>((b - 1) * batch_size + i)];
                s.value = i % 3 == 1 ? s.value + 40 : std::max(1, s.value / 2);
            }
            batch.push_back(s);
        }
        QElapsedTimer timer;
        timer.start();
        if (!store->submit(batch, QDateTime::currentMSecsSinceEpoch(), standings)) {
            std::fprintf(stderr, "%s\n", qPrintable(store->last_error()));
            return 1;
        }
        batch_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const double seconds = static_cast<double>(total.nsecsElapsed()) / 1e9;
    std::printf("store: %d batches of %d, %.0f submissions/s, batch p50 %.2f ms p99 %.2f ms\n",
                batches, batch_size, batches * batch_size / seconds, percentile(batch_ms, 0.5),
                percentile(batch_ms, 0.99));
    return 0;
}

// A Lua string literal of bytes.
QByteArray lua_string(const QByteArray &bytes)
{
    QByteArray literal = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            literal += '\\' + QByteArray(1, c);
        else if (byte < 32 || byte >= 127)
            literal += '\\' + QByteArray::number(byte);
        else
            literal += c;
    }
    return literal + '"';
}

QByteArray body_of(const Submission &player, int record, int score)
{
    GameState state;
    state.name = player.name;
    state.location = player.location;
    state.sex = player.rating == Rating::women ? QStringLiteral("w") : QStringLiteral("m");
    state.tosend = 1;
    state.your_top = record;
    state.current_top = score;
    state.key = md5_hex(make_key(key_text(record, score)));
    state.num = 1;
    return "xml=" + save_document(state);
}

// Genuine submissions in the mix the benchmark asks for: a third new players
// (made up, never seeded), a third better values and a third lower values
// for players that submit more than once.
int bodies(int count, const QString &out_path)
{
    std::mt19937 random(11);
    std::vector<Submission> players = made_up_players(count, random);
    // Names no seeded player has: these join the rating during the run.
    for (std::size_t i = 0; i < players.size(); ++i)
        players[i].name += QStringLiteral(" %1").arg(i + 1);
    QFile out(out_path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out_path));
        return 1;
    }
    out.write("-- Genuine submissions made by rating_bench bodies; each request takes the next.\n"
              "wrk.method = \"POST\"\n"
              "wrk.headers[\"Content-Type\"] = \"application/x-www-form-urlencoded\"\n"
              "local bodies = {\n");
    for (std::size_t i = 0; i < players.size(); ++i) {
        const Submission &player = players[i];
        const int value = player.value;
        switch (i % 3) {
        case 0: // a new player
            out.write(lua_string(body_of(player, value, value)) + ",\n");
            break;
        case 1: // first a value, then a better one
            out.write(lua_string(body_of(player, value, value)) + ",\n");
            out.write(lua_string(body_of(player, value + 50, value + 50)) + ",\n");
            break;
        default: // first a value, then a lower one
            out.write(lua_string(body_of(player, value, value)) + ",\n");
            out.write(lua_string(body_of(player, std::max(1, value / 2), std::max(1, value / 2))) +
                      ",\n");
            break;
        }
    }
    out.write("}\n"
              "local next_body = 0\n"
              "function init(args)\n"
              "  -- each thread starts at its own place in the list\n"
              "  next_body = math.random(#bodies) - 1\n"
              "end\n"
              "function request()\n"
              "  next_body = next_body % #bodies + 1\n"
              "  return wrk.format(nil, \"/\", nil, bodies[next_body])\n"
              "end\n");
    return 0;
}

QString option(const QStringList &arguments, const QString &name, const QString &fallback)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (command == QLatin1String("trace-power")) {
        for (const QString &path : arguments.mid(2))
            std::printf("%s %d\n", qPrintable(path), trace_power(path));
        return 0;
    }
    if (command == QLatin1String("places"))
        return places(
            option(arguments, QStringLiteral("--database"), QString()),
            option(arguments, QStringLiteral("--lookups"), QStringLiteral("20000")).toInt());
    if (command == QLatin1String("store"))
        return store_batches(
            option(arguments, QStringLiteral("--database"), QString()),
            option(arguments, QStringLiteral("--batches"), QStringLiteral("200")).toInt(),
            option(arguments, QStringLiteral("--batch"), QStringLiteral("64")).toInt());
    if (command == QLatin1String("bodies"))
        return bodies(
            option(arguments, QStringLiteral("--players"), QStringLiteral("20000")).toInt(),
            option(arguments, QStringLiteral("--out"), QStringLiteral("submit.lua")));
    std::fprintf(stderr, "usage: rating_bench trace-power FILE... | places --database URL "
                         "[--lookups N] | store --database URL [--batches N] [--batch N] | "
                         "bodies --players N [--out FILE]\n");
    return 2;
}
