// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// What only PostgreSQL has: a password, which the server reads from the
// password file and never needs on its command line. Runs in the PostgreSQL
// run alone.

#include "support/httpexchange.h"
#include "support/ratingserverprocess.h"
#include "support/submissions.h"
#include "support/testdatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestServerPassword : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void password_comes_from_the_password_file_data();
    void password_comes_from_the_password_file();
    void without_a_password_the_server_says_why();
    void a_password_in_the_url_stays_out_of_the_log();

private:
    // A server environment whose password file is file (none: "").
    static QProcessEnvironment environment_with(const QString &password_file);

    QTemporaryDir dir;
    QString database;
    QString password_file;
};

void TestServerPassword::initTestCase()
{
    if (!testing_postgresql())
        QSKIP("needs the test PostgreSQL (QUIVERBOLT_TEST_POSTGRESQL)");
    QVERIFY(dir.isValid());
    database = make_postgresql_database(QString::fromLatin1(password_role));
    QVERIFY(!database.isEmpty());
    password_file = dir.filePath(QStringLiteral("pgpass"));
    QFile file(password_file);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("*:*:*:") + password_role + ':' + password_of_role + '\n');
    file.close();
    // libpq ignores a password file that others may read.
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

QProcessEnvironment TestServerPassword::environment_with(const QString &file)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("PGPASSWORD"));
    env.insert(QStringLiteral("PGPASSFILE"),
               file.isEmpty() ? QStringLiteral("/nonexistent/pgpass") : file);
    return env;
}

void TestServerPassword::password_comes_from_the_password_file_data()
{
    QTest::addColumn<bool>("in_environment");
    QTest::newRow("PGPASSFILE") << true;
    QTest::newRow("passfile in the URI") << false;
}

void TestServerPassword::password_comes_from_the_password_file()
{
    QFETCH(bool, in_environment);
    QString url = postgresql_url(database).replace(QStringLiteral("user=quiverbolt"),
                                                   QStringLiteral("user=") + password_role);
    if (!in_environment)
        url += QStringLiteral("&passfile=") + password_file;

    RatingServerProcess server;
    server.process().setProcessEnvironment(
        environment_with(in_environment ? password_file : QString()));
    QVERIFY2(server.start(QString(), {QStringLiteral("--database"), url}),
             server.log().constData());
    Player player;
    player.name = QStringLiteral("Passworded");
    const HttpResult result = http_exchange(server.port(), post_request(genuine_body(player)));
    QCOMPARE(result.status, 200);
    QCOMPARE(read_as_game(result.body).world_text, QStringLiteral("1"));
    QVERIFY(server.stop());
}

void TestServerPassword::without_a_password_the_server_says_why()
{
    const QString url = postgresql_url(database).replace(QStringLiteral("user=quiverbolt"),
                                                         QStringLiteral("user=") + password_role);
    QProcess server;
    server.setProcessEnvironment(environment_with(QString()));
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral(QUIVERBOLT_RATING_BINARY),
                 {QStringLiteral("serve"), QStringLiteral("--listen"),
                  QStringLiteral("127.0.0.1:0"), QStringLiteral("--database"), url});
    QVERIFY(server.waitForFinished(20000));
    QCOMPARE(server.exitCode(), 1);
    const QByteArray output = server.readAll();
    QVERIFY2(output.contains("cannot open the database") && output.contains("password"),
             output.constData());
}

void TestServerPassword::a_password_in_the_url_stays_out_of_the_log()
{
    const QString url =
        QStringLiteral("postgresql://%1:%2@/%3?host=%4")
            .arg(QString::fromLatin1(password_role), QString::fromLatin1(password_of_role),
                 database, postgresql_socket_folder());
    RatingServerProcess server;
    server.process().setProcessEnvironment(environment_with(QString()));
    QVERIFY2(server.start(QString(), {QStringLiteral("--database"), url}),
             server.log().constData());
    QVERIFY(server.stop());
    QVERIFY2(server.log().contains("database postgresql://"), server.log().constData());
    QVERIFY2(!server.log().contains(password_of_role), server.log().constData());
}

QTEST_GUILESS_MAIN(TestServerPassword)
#include "tst_server_password.moc"
