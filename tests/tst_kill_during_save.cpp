// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/gamestate.h"
#include "save_loop/saveloop.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/sanitizer.h"
#include "support/testhome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#include <chrono>
#include <thread>

namespace {

// Each run costs a process start, several times dearer under the sanitizers.
constexpr int kill_runs = under_address_sanitizer ? 200 : 1000;
// The kill lands this long, at most, after the first save is done.
constexpr int longest_delay_us = 20000;

// The next line the process prints, without its line break; empty when it ends first.
QByteArray next_line(QProcess &process)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead())
            return QByteArray();
    }
    return process.readLine().trimmed();
}

// Why the bytes are not a whole document of the save loop, or an empty string
// and the round that wrote them.
QString fault_in(QByteArray bytes, int &round)
{
    if (bytes.isEmpty())
        return QStringLiteral("the file is empty");
    GameState state;
    const LoadedSave loaded = load_document(bytes, state);
    if (loaded.key_rejected)
        return QStringLiteral("the key check fails");
    if (state.your_top <= 0 || state.current_top != state.your_top)
        return QStringLiteral("the tops are not a round's");
    // The whole document, byte for byte, as the loop writes it in that round.
    GameState expected;
    expected.power = state.your_top;
    expected.current_top = state.current_top;
    expected.your_top = state.your_top;
    expected.name = save_loop_name(state.your_top);
    expected.key = state.key;
    if (save_document(expected) != bytes)
        return QStringLiteral("the document is not the one of round %1").arg(state.your_top);
    round = state.your_top;
    return QString();
}

} // namespace

class TestKillDuringSave : public QObject
{
    Q_OBJECT

private slots:
    void killed_saves_leave_a_whole_document();

private:
    TestHome home;
};

void TestKillDuringSave::killed_saves_leave_a_whole_document()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator delays(seed);
    const QString path = home.save_path();
    QSet<int> rounds_found;

    for (int run = 0; run < kill_runs; ++run) {
        const QString where = QStringLiteral("run %1, seed %2").arg(run).arg(seed);
        QProcess loop;
        loop.setProcessEnvironment(home.environment());
        loop.start(QStringLiteral(SAVE_LOOP), QStringList());
        QVERIFY2(loop.waitForStarted(), qPrintable(loop.errorString()));
        // The loop saves where the game would for this home folder.
        QCOMPARE(QString::fromLocal8Bit(next_line(loop)), path);
        QCOMPARE(next_line(loop), QByteArray("saving"));

        std::this_thread::sleep_for(std::chrono::microseconds(delays.bounded(longest_delay_us)));
        loop.kill();
        QVERIFY(loop.waitForFinished());
        QVERIFY2(loop.exitStatus() == QProcess::CrashExit,
                 qPrintable(where + QStringLiteral(": the loop stopped by itself: ") +
                            QString::fromLocal8Bit(loop.readAll())));

        int round = 0;
        const QString fault = fault_in(read_file_or_mark(path), round);
        QVERIFY2(fault.isEmpty(), qPrintable(where + QStringLiteral(": ") + fault));
        rounds_found << round;

        // A save cut short can leave its unfinished copy beside the file (where the
        // copy could not be kept unnamed); clear those away between the runs.
        const QStringList leftovers =
            QDir(home.documents()).entryList({QStringLiteral("quiverbolt.save.*")}, QDir::Files);
        for (const QString &name : leftovers)
            QFile::remove(home.documents() + QLatin1Char('/') + name);
    }
    // The kills found the loop saving round after round, not stuck at its first save.
    QVERIFY2(rounds_found.size() > 1, qPrintable(QStringLiteral("seed %1").arg(seed)));
}

QTEST_GUILESS_MAIN(TestKillDuringSave)
#include "tst_kill_during_save.moc"
