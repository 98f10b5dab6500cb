// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT

#include "game/gamestate.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/runprogram.h"
#include "support/testhome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// Where the package puts things, below its root.
const QString bin_dir = QStringLiteral("usr/" QUIVERBOLT_INSTALL_BINDIR);
const QString data_dir = QStringLiteral("usr/" QUIVERBOLT_INSTALL_DATADIR);
const QString game_lib_dir = QStringLiteral("usr/" QUIVERBOLT_INSTALL_LIBDIR "/quiverbolt");
const QString binary = bin_dir + QStringLiteral("/quiverbolt");
const QString desktop_entry = data_dir + QStringLiteral("/applications/quiverbolt.desktop");
const QString icon = data_dir + QStringLiteral("/icons/hicolor/48x48/apps/quiverbolt.png");
const QString sensor_plugin =
    game_lib_dir + QStringLiteral("/plugins/sensors/" QUIVERBOLT_SENSOR_PLUGIN);

// Every file below dir, hidden ones included, as paths relative to it.
QStringList files_below(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

// What the loader leaves in the save file after starting on document.
QByteArray save_file_after_start(const QByteArray &document)
{
    GameState state;
    const LoadedSave loaded = load_document(document, state);
    return loaded.key_rejected ? save_document(state) : document;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void package_holds_the_game_files();
    void package_holds_the_game_files_data();
    void package_installs_nothing_else();
    void icon_is_a_48_pixel_square();
    void launcher_entry_runs_the_installed_binary();
    void control_fields_describe_a_game_package();
    void depends_names_the_qt5_runtime();
    void depends_names_the_qt5_runtime_data();
    void installed_game_starts_and_writes_only_its_save_file();
    void installed_game_loads_its_sensor_plugin();

private:
    QString root_path(const QString &relative) const { return root + QLatin1Char('/') + relative; }
    QString control_field(const QString &name) const;
    void write_accepted_save_file();
    void start_installed_game(QProcess &game, QByteArray &log, const QString &cwd);

    TestHome home;
    QTemporaryDir work;
    QString deb;
    QString root;
};

void TestPackage::initTestCase()
{
    QVERIFY(work.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty())
        QSKIP("dpkg-deb is not installed");

    // cpack installs the build tree (building what is out of date first) and
    // leaves the package in a folder of our own.
    const QString out = work.filePath(QStringLiteral("out"));
    const Run cpack = run(QStringLiteral(QUIVERBOLT_CPACK),
                          {QStringLiteral("--config"), QStringLiteral(QUIVERBOLT_CPACK_CONFIG),
                           QStringLiteral("-B"), out},
                          300000);
    QVERIFY2(cpack.exit_code == 0, cpack.output.constData());

    const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    deb = QDir(out).filePath(debs.first());

    root = work.filePath(QStringLiteral("root"));
    const Run unpack = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root});
    QVERIFY2(unpack.exit_code == 0, unpack.output.constData());
}

QString TestPackage::control_field(const QString &name) const
{
    const Run field = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, name});
    return field.exit_code == 0 ? QString::fromUtf8(field.output).trimmed() : QString();
}

void TestPackage::package_holds_the_game_files_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("game") << binary << true;
    QTest::newRow("launcher entry") << desktop_entry << false;
    QTest::newRow("icon") << icon << false;
    QTest::newRow("sensor plugin") << sensor_plugin << false;
}

void TestPackage::package_holds_the_game_files()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(root_path(path));
    QVERIFY2(file.isFile(), qPrintable(path));
    QVERIFY(file.size() > 0);
    if (executable)
        QVERIFY(file.isExecutable());
}

void TestPackage::package_installs_nothing_else()
{
    // The game's own folders may hold whatever the game needs; nothing else
    // (headers, static libraries, test programs) belongs in the package.
    const QStringList own_folders = {game_lib_dir + QLatin1Char('/'),
                                     data_dir + QStringLiteral("/quiverbolt/"),
                                     data_dir + QStringLiteral("/doc/quiverbolt/")};
    for (const QString &file : files_below(root)) {
        const bool own_folder = std::any_of(own_folders.begin(), own_folders.end(),
                                            [&](const QString &f) { return file.startsWith(f); });
        const bool known = file == binary || file == desktop_entry || file == icon;
        QVERIFY2(own_folder || known, qPrintable(QStringLiteral("unexpected file ") + file));
    }
}

void TestPackage::icon_is_a_48_pixel_square()
{
    const QImage image(root_path(icon), "PNG");
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(48, 48));
}

void TestPackage::launcher_entry_runs_the_installed_binary()
{
    const QByteArray entry = read_file(root_path(desktop_entry));
    QVERIFY(!entry.contains('\r'));
    QVERIFY(entry.endsWith('\n'));

    const QList<QByteArray> lines = entry.trimmed().split('\n');
    QCOMPARE(lines.first(), QByteArray("[Desktop Entry]"));
    QMap<QByteArray, QByteArray> keys;
    for (const QByteArray &line : lines.mid(1)) {
        const int equals = line.indexOf('=');
        QVERIFY2(equals > 0, line.constData());
        QVERIFY2(!keys.contains(line.left(equals)), line.constData());
        keys.insert(line.left(equals), line.mid(equals + 1));
    }
    QCOMPARE(keys.value("Type"), QByteArray("Application"));
    QCOMPARE(keys.value("Name"), QByteArray("QuiverBolt"));
    QCOMPARE(keys.value("Comment"), QByteArray("Move your phone!"));
    QCOMPARE(keys.value("Icon"), QByteArray("quiverbolt"));
    QCOMPARE(keys.value("Categories"), QByteArray("Game;"));
    // The absolute path where the package puts the game, not the build tree's prefix.
    QCOMPARE(keys.value("Exec"), QByteArray('/' + binary.toUtf8()));
    QVERIFY(QFileInfo(root + QString::fromUtf8(keys.value("Exec"))).isExecutable());

    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validator.isEmpty()) {
        const Run validate = run(validator, {root_path(desktop_entry)});
        QVERIFY2(validate.exit_code == 0 && validate.output.isEmpty(), validate.output.constData());
    }
}

void TestPackage::control_fields_describe_a_game_package()
{
    QCOMPARE(control_field(QStringLiteral("Package")), QStringLiteral("quiverbolt"));
    QCOMPARE(control_field(QStringLiteral("Version")), QStringLiteral(QUIVERBOLT_VERSION));
    QCOMPARE(control_field(QStringLiteral("Section")), QStringLiteral("games"));
    QVERIFY(!control_field(QStringLiteral("Maintainer")).isEmpty());
    QVERIFY(!control_field(QStringLiteral("Description")).isEmpty());
}

void TestPackage::depends_names_the_qt5_runtime_data()
{
    QTest::addColumn<QString>("package");
    for (const char *name : {"libqt5core5a", "libqt5gui5", "libqt5widgets5", "libqt5network5",
                             "libqt5dbus5", "libqt5sensors5"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPackage::depends_names_the_qt5_runtime()
{
    QFETCH(QString, package);
    // "a (>= 1), b | c" names a, b and c.
    QStringList names;
    const QString depends = control_field(QStringLiteral("Depends"));
    for (const QString &alternatives : depends.split(QLatin1Char(',')))
        for (const QString &relation : alternatives.split(QLatin1Char('|')))
            names << relation.trimmed().section(QLatin1Char(' '), 0, 0);
    QVERIFY2(names.contains(package), qPrintable(depends));
}

void TestPackage::write_accepted_save_file()
{
    // Accepted terms, so that no dialog holds up the start.
    const QByteArray document = first_run_document();
    QCOMPARE(document.size(), 331);
    QVERIFY(write_file(home.save_path(), document));
}

void TestPackage::start_installed_game(QProcess &game, QByteArray &log, const QString &cwd)
{
    QProcessEnvironment env = home.environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
               QStringLiteral("unix:path=/nonexistent/quiverbolt-test-bus"));
    // Started as the launcher entry starts it, with no help finding plugins.
    env.remove(QStringLiteral("QT_PLUGIN_PATH"));
    // Qt then reports every plugin folder it searches and every plugin it loads.
    env.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));

    game.setProcessEnvironment(env);
    game.setWorkingDirectory(cwd);
    game.setProcessChannelMode(QProcess::MergedChannels);
    connect(&game, &QProcess::readyRead, this, [&] { log += game.readAll(); });
    game.start(root_path(binary), QStringList());
    QVERIFY(game.waitForStarted());

    // The accelerometer is started after the save file was loaded and any
    // dialog closed; starting it makes Qt search for sensor plugins.
    static const QRegularExpression sensor_search(
        QStringLiteral("checking directory path \"[^\"]*/sensors\""));
    const auto reached_sensor = [&] { return QString::fromUtf8(log).contains(sensor_search); };
    QTRY_VERIFY2_WITH_TIMEOUT(reached_sensor() || game.state() == QProcess::NotRunning,
                              log.right(3000).constData(), 20000);
    QVERIFY2(reached_sensor(), log.right(3000).constData());
    QVERIFY2(!game.waitForFinished(1000), "the game did not stay up");
}

void TestPackage::installed_game_starts_and_writes_only_its_save_file()
{
    write_accepted_save_file();
    const QByteArray document = first_run_document();
    const QStringList home_before = files_below(home.home());
    const QStringList root_before = files_below(root);
    QTemporaryDir cwd;

    QProcess game;
    QByteArray log;
    start_installed_game(game, log, cwd.path());
    if (QTest::currentTestFailed())
        return;

    game.terminate();
    QVERIFY(game.waitForFinished(10000));
    // Ended by our SIGTERM, not by a crash of its own.
    QCOMPARE(game.exitStatus(), QProcess::CrashExit);
    QCOMPARE(game.exitCode(), SIGTERM);

    QCOMPARE(files_below(home.home()), home_before);
    QCOMPARE(read_file(home.save_path()), save_file_after_start(document));
    QCOMPARE(files_below(root), root_before);
    QCOMPARE(files_below(cwd.path()), QStringList());
}

void TestPackage::installed_game_loads_its_sensor_plugin()
{
    write_accepted_save_file();
    QTemporaryDir cwd;
    QProcess game;
    QByteArray log;
    start_installed_game(game, log, cwd.path());
    if (QTest::currentTestFailed())
        return;
    game.terminate();
    game.waitForFinished(10000);

    const QByteArray loaded = "loaded library \"" + root_path(sensor_plugin).toUtf8() + '"';
    QVERIFY2(log.contains(loaded), loaded.constData());
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
