// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// The server when things break under it: killed while busy, a full disk, a
// database file it cannot write, PostgreSQL gone and back. The mounts are
// made in a child process of this test in a private mount namespace, so
// nothing mounted here is seen outside it or outlives it.

#include "support/httpexchange.h"
#include "support/mountnamespace.h"
#include "support/ratingserverprocess.h"
#include "support/runprogram.h"
#include "support/submissions.h"
#include "support/directconnection.h"
#include "support/testdatabase.h"

#include <QElapsedTimer>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/mount.h>

namespace {

constexpr char child_variable[] = "QUIVERBOLT_SERVER_FAULT_CHILD";

GameView submit(quint16 port, const QString &name, int &status)
{
    Player player;
    player.name = name;
    const HttpResult result = http_exchange(port, post_request(genuine_body(player)));
    status = result.status;
    return read_as_game(result.body);
}

} // namespace

class TestServerFaults : public QObject
{
    Q_OBJECT

private slots:
    void kill_under_load_keeps_every_answered_submission();
    void full_disk_is_answered_503_and_service_returns();
    void unwritable_database_is_an_error_at_start();
    void postgresql_outage_is_answered_503_and_service_returns();

private:
    // Runs the current test function again in a child in a private mount
    // namespace, where it does its work.
    void run_in_mount_namespace_child();
    void full_disk_in_child();
    void unwritable_database_in_child();
};

void TestServerFaults::run_in_mount_namespace_child()
{
    QString reason;
    QStringList command = mount_namespace_command(reason);
    if (command.isEmpty())
        QSKIP(qPrintable(reason));
    command << QCoreApplication::applicationFilePath() << QStringLiteral("-o")
            << QStringLiteral("-,txt") << QString::fromLatin1(QTest::currentTestFunction());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(child_variable), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(command.takeFirst(), command);
    QVERIFY2(child.waitForFinished(120000), qPrintable(child.errorString()));
    const QString output = QString::fromLocal8Bit(child.readAll());
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("SKIP")))
            QSKIP(qPrintable(line.section(QLatin1Char(')'), 1).trimmed()));
    }
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             qPrintable(output));
}

void TestServerFaults::kill_under_load_keeps_every_answered_submission()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("rating.db"));
    RatingServerProcess server;
    QVERIFY(server.start(database));

    // Many clients at once, each a new player, until enough were answered;
    // then the server is killed with submissions in flight.
    constexpr int in_flight = 48;
    constexpr int enough = 1500;
    QStringList answered;
    int next = 0;
    QEventLoop loop;
    std::function<void()> send_next = [&] {
        const QString name = QStringLiteral("Killed %1").arg(next++);
        Player player;
        player.name = name;
        auto *exchange = new HttpExchange(server.port(), post_request(genuine_body(player)), &loop);
        QObject::connect(exchange, &HttpExchange::finished, &loop, [&, exchange, name] {
            if (exchange->status() == 200)
                answered << name;
            exchange->deleteLater();
            if (answered.size() >= enough)
                loop.quit();
            else if (server.process().state() == QProcess::Running)
                send_next();
        });
    };
    for (int i = 0; i < in_flight; ++i)
        send_next();
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    server.kill_hard();
    QVERIFY(answered.size() >= enough);
    const int answered_at_kill = answered.size();
    QCoreApplication::processEvents();

    {
        DirectConnection direct(database);
        if (!testing_postgresql())
            QCOMPARE(direct.integrity(), QStringLiteral("ok"));
        const QSet<QString> stored = direct.names();
        for (const QString &name : answered.mid(0, answered_at_kill))
            QVERIFY2(stored.contains(name), qPrintable(name + QStringLiteral(" was answered")));
    }
    // And the server starts again on it.
    RatingServerProcess again;
    QVERIFY(again.start(database));
    int status = 0;
    submit(again.port(), QStringLiteral("After"), status);
    QCOMPARE(status, 200);
    QVERIFY(again.stop());
}

void TestServerFaults::full_disk_is_answered_503_and_service_returns()
{
    if (testing_postgresql())
        QSKIP("a full disk is SQLite's; PostgreSQL's own outage has a test below");
    if (qEnvironmentVariableIsSet(child_variable))
        full_disk_in_child();
    else
        run_in_mount_namespace_child();
}

void TestServerFaults::full_disk_in_child()
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=2m") != 0)
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs: ") + std::strerror(errno)));
    const QString database = dir.filePath(QStringLiteral("rating.db"));
    RatingServerProcess server;
    QVERIFY(server.start(database));
    QStringList answered;
    int status = 0;
    submit(server.port(), QStringLiteral("Before"), status);
    QCOMPARE(status, 200);
    answered << QStringLiteral("Before");

    // Everything but a little room taken by another file.
    QFile filler(dir.filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();

    // Submissions until the disk runs out: each a new player with a long name.
    GameView refused;
    for (int i = 0; i < 3000 && status != 503; ++i) {
        const QString name =
            QStringLiteral("Filling the disk, player %1 ").arg(i).leftJustified(60, 'x');
        refused = submit(server.port(), name, status);
        if (status == 200)
            answered << name;
        else
            QCOMPARE(status, 503);
    }
    QCOMPARE(status, 503);
    QCOMPARE(refused.message, QStringLiteral("Rating busy, try again later"));
    QCOMPARE(refused.world_text, QStringLiteral("-"));
    QCOMPARE(server.process().state(), QProcess::Running);

    // Room again: service returns by itself.
    QVERIFY(filler.remove());
    QTRY_VERIFY_WITH_TIMEOUT(
        (submit(server.port(), QStringLiteral("After"), status), status == 200), 30000);
    answered << QStringLiteral("After");
    QVERIFY2(server.stop(), server.log().right(2000).constData());
    QVERIFY2(server.log().contains("disk is full"), server.log().right(2000).constData());

    DirectConnection direct(database);
    QCOMPARE(direct.integrity(), QStringLiteral("ok"));
    const QSet<QString> stored = direct.names();
    for (const QString &name : answered)
        QVERIFY2(stored.contains(name), qPrintable(name + QStringLiteral(" was answered")));
    umount2(folder.constData(), MNT_DETACH);
}

void TestServerFaults::unwritable_database_is_an_error_at_start()
{
    if (testing_postgresql())
        QSKIP("a file that cannot be written is SQLite's");
    if (qEnvironmentVariableIsSet(child_variable))
        unwritable_database_in_child();
    else
        run_in_mount_namespace_child();
}

void TestServerFaults::unwritable_database_in_child()
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=4m") != 0)
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs: ") + std::strerror(errno)));
    const QString database = dir.filePath(QStringLiteral("rating.db"));
    const Run seeded =
        run(rating_server_binary(),
            {QStringLiteral("seed"), QStringLiteral("--players"), QStringLiteral("10"),
             QStringLiteral("--database"), QStringLiteral("sqlite:") + database});
    QCOMPARE(seeded.exit_code, 0);
    QVERIFY2(mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0,
             std::strerror(errno));

    const Run served =
        run(rating_server_binary(),
            {QStringLiteral("serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
             QStringLiteral("--database"), QStringLiteral("sqlite:") + database});
    QCOMPARE(served.exit_code, 1);
    QVERIFY2(served.output.contains("cannot open the database: " + QFile::encodeName(database) +
                                    ": cannot write the database there"),
             served.output.constData());
    QVERIFY(!served.output.contains("listening"));
    umount2(folder.constData(), MNT_DETACH);
}

void TestServerFaults::postgresql_outage_is_answered_503_and_service_returns()
{
    if (!testing_postgresql())
        QSKIP("runs in the PostgreSQL run of the suite");
    // A PostgreSQL of its own, so that stopping it disturbs no other test.
    const QString cluster =
        QStringLiteral("/tmp/qb-outage-%1").arg(QCoreApplication::applicationPid());
    const QString script = QStringLiteral(QUIVERBOLT_POSTGRESQL_SCRIPT);
    const auto cluster_command = [&](const char *what) {
        const Run result = run(script, {QLatin1String(what), cluster}, 120000);
        if (result.exit_code != 0)
            qWarning("%s: %s", what, result.output.constData());
        return result.exit_code == 0;
    };
    QVERIFY(cluster_command("start"));
    const QString url =
        QStringLiteral("postgresql:///postgres?host=%1&user=quiverbolt").arg(cluster);

    RatingServerProcess server;
    QVERIFY(server.start(QString(), {QStringLiteral("--database"), url}));
    int status = 0;
    submit(server.port(), QStringLiteral("Before"), status);
    QCOMPARE(status, 200);

    QVERIFY(cluster_command("pause"));
    const GameView refused = submit(server.port(), QStringLiteral("While gone"), status);
    QCOMPARE(status, 503);
    QCOMPARE(refused.message, QStringLiteral("Rating busy, try again later"));
    QCOMPARE(http_exchange(server.port(), get_request("/healthz")).status, 503);

    QVERIFY(cluster_command("resume"));
    QElapsedTimer back;
    back.start();
    QTRY_VERIFY_WITH_TIMEOUT(
        (submit(server.port(), QStringLiteral("After"), status), status == 200), 30000);
    // A figure, not a verdict: how long after its return the first submission passed.
    qInfo("served again %lld ms after PostgreSQL returned", static_cast<long long>(back.elapsed()));
    QTRY_COMPARE_WITH_TIMEOUT(http_exchange(server.port(), get_request("/healthz")).status, 200,
                              30000);
    QVERIFY(server.stop());
    QVERIFY(cluster_command("stop"));
}

QTEST_GUILESS_MAIN(TestServerFaults)
#include "tst_server_faults.moc"
