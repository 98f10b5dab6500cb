// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// What `cmake --install` puts down for the rating server.

#include "support/ratingserverprocess.h"
#include "support/runprogram.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestServerInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void server_component_holds_the_server_files_only();
    void installed_server_runs();
    void unit_runs_the_server_unprivileged_and_confined_data();
    void unit_runs_the_server_unprivileged_and_confined();
    void unit_passes_systemd_verification();

private:
    QString path(const QString &relative) const { return prefix.filePath(relative); }
    QTemporaryDir prefix;
    QByteArray unit;
};

void TestServerInstall::initTestCase()
{
    QVERIFY(prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUIVERBOLT_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(QUIVERBOLT_BUILD_DIR),
                   QStringLiteral("--component"), QStringLiteral("server"),
                   QStringLiteral("--prefix"), prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    QFile file(path(QStringLiteral("lib/systemd/system/quiverbolt-rating.service")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    unit = file.readAll();
}

void TestServerInstall::server_component_holds_the_server_files_only()
{
    QStringList files;
    QDirIterator it(prefix.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(prefix.path()).relativeFilePath(it.next());
    files.sort();
    QCOMPARE(files, QStringList({QStringLiteral(QUIVERBOLT_INSTALL_BINDIR "/quiverbolt-rating"),
                                 QStringLiteral("lib/systemd/system/quiverbolt-rating.service"),
                                 QStringLiteral(QUIVERBOLT_INSTALL_DATADIR
                                                "/doc/quiverbolt-rating-server/MIT.txt"),
                                 QStringLiteral(QUIVERBOLT_INSTALL_DATADIR
                                                "/doc/quiverbolt-rating-server/copyright")}));
}

void TestServerInstall::installed_server_runs()
{
    QProcess server;
    server.start(path(QStringLiteral(QUIVERBOLT_INSTALL_BINDIR "/quiverbolt-rating")),
                 {QStringLiteral("--version")});
    QVERIFY(server.waitForFinished(20000));
    QCOMPARE(server.exitCode(), 0);
    QVERIFY(server.readAllStandardOutput().startsWith("quiverbolt-rating "));
}

void TestServerInstall::unit_runs_the_server_unprivileged_and_confined_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("ExecStart")
        << "ExecStart=" +
               path(QStringLiteral(QUIVERBOLT_INSTALL_BINDIR "/quiverbolt-rating")).toUtf8() +
               " serve --listen 127.0.0.1:8390 --database "
               "sqlite:/var/lib/quiverbolt/rating.db";
    for (const char *line :
         {"DynamicUser=yes", "StateDirectory=quiverbolt", "ProtectSystem=strict",
          "ProtectHome=yes", "PrivateTmp=yes", "NoNewPrivileges=yes", "CapabilityBoundingSet=",
          "SystemCallFilter=@system-service", "WantedBy=multi-user.target"})
        QTest::newRow(line) << QByteArray(line);
}

void TestServerInstall::unit_runs_the_server_unprivileged_and_confined()
{
    QFETCH(QByteArray, line);
    QVERIFY2(unit.split('\n').contains(line), unit.constData());
}

void TestServerInstall::unit_passes_systemd_verification()
{
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        QSKIP("systemd-analyze is not installed");
    const Run verify =
        run(analyze, {QStringLiteral("verify"),
                      path(QStringLiteral("lib/systemd/system/quiverbolt-rating.service"))});
    QVERIFY2(verify.exit_code == 0 && verify.output.isEmpty(), verify.output.constData());
}

QTEST_GUILESS_MAIN(TestServerInstall)
#include "tst_server_install.moc"
