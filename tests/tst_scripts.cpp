// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/runprogram.h"
#include "support/testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

// The steps of scripts/play that prepare a player's machine, run as the
// script runs them, in a home folder of the test's own.
class TestScripts : public QObject
{
    Q_OBJECT

private slots:
    void play_creates_the_folder_the_game_saves_in_data()
    {
        QTest::addColumn<QByteArray>("user_dirs");
        QTest::addColumn<QString>("folder");

        // A fresh account: no user-dirs file, and xdg-user-dir would answer
        // the home folder itself.
        QTest::newRow("no user-dirs file") << QByteArray() << QStringLiteral("Documents");
        QTest::newRow("documents named in user-dirs")
            << QByteArray("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n") << QStringLiteral("Papers");
    }

    void play_creates_the_folder_the_game_saves_in()
    {
        QFETCH(QByteArray, user_dirs);
        QFETCH(QString, folder);

        TestHome home(false);
        QProcessEnvironment environment = home.environment();
        if (!user_dirs.isEmpty()) {
            QVERIFY(QDir(home.home()).mkpath(QStringLiteral(".config")));
            QFile file(home.home() + QStringLiteral("/.config/user-dirs.dirs"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(user_dirs);
        }

        const Run step = run(
            QStringLiteral("bash"),
            {QStringLiteral("-c"),
             QStringLiteral("cd '%1' && source scripts/common.sh && ensure_documents_folder '%2'")
                 .arg(QStringLiteral(QUIVERBOLT_SOURCE_DIR), QStringLiteral(QUIVERBOLT_BUILD_DIR))},
            30000, environment);
        QVERIFY2(step.exit_code == 0, step.output.constData());

        const QString expected = home.home() + QLatin1Char('/') + folder;
        QVERIFY2(QFileInfo(expected).isDir(), qPrintable(expected));
        // Nothing else was made in the home folder but the user-dirs file.
        QStringList made = QDir(home.home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                       QDir::Hidden);
        made.removeAll(QStringLiteral(".config"));
        QCOMPARE(made, QStringList{folder});
    }
};

QTEST_GUILESS_MAIN(TestScripts)
#include "tst_scripts.moc"
