// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The writer's cost without HTTP: batches of submissions straight into the
// store, as the commit queue hands them over, after seeding PLAYERS players.
//
//   bench_store PLAYERS [BATCH [BATCHES [rising]]]   (database in a temporary
//                                                     folder under $TMPDIR)
//
// "rising": every submission beats all before it, so that the place counts
// find nothing above and what is left is the cost of the statements and the
// sync.

#include "store/madeupplayers.h"
#include "store/store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int players = arguments.value(1).toInt();
    const int batch_size = arguments.value(2, QStringLiteral("64")).toInt();
    const int batches = arguments.value(3, QStringLiteral("200")).toInt();
    const bool rising = arguments.value(4) == QLatin1String("rising");
    if (players < 0 || batch_size < 1 || batches < 1) {
        std::fprintf(stderr, "usage: bench_store PLAYERS [BATCH [BATCHES]]\n");
        return 2;
    }

    QTemporaryDir dir;
    QString error;
    std::unique_ptr<Store> store =
        open_store(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db")), &error);
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // Seeded players and new ones drawn in one go: no two the same.
    std::mt19937 random(1);
    std::vector<Submission> everyone = made_up_players(players + batches * batch_size, random);
    const auto new_players = everyone.begin() + players;
    if (!store->add_players(std::vector<Submission>(everyone.begin(), new_players), 0)) {
        std::fprintf(stderr, "%s\n", qPrintable(store->last_error()));
        return 1;
    }

    // New players with values like the seeded ones: places from all over.
    std::vector<std::vector<Submission>> work;
    int next_value = value_limit / 2;
    for (int b = 0; b < batches; ++b) {
        work.emplace_back(new_players + b * batch_size, new_players + (b + 1) * batch_size);
        if (rising) {
            for (Submission &submission : work.back())
                submission.value = ++next_value;
        }
    }

    std::vector<Standing> standings;
    QElapsedTimer timer;
    timer.start();
    for (const auto &batch : work) {
        if (!store->submit(batch, 1, standings)) {
            std::fprintf(stderr, "%s\n", qPrintable(store->last_error()));
            return 1;
        }
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const int total = batches * batch_size;
    std::printf("%d players, %d batches of %d%s: %.1f us per submission, %.2f ms per batch, "
                "%.0f submissions/s\n",
                players, batches, batch_size, rising ? " (rising)" : "", seconds * 1e6 / total,
                seconds * 1e3 / batches, total / seconds);
    return 0;
}
