// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/quiverbolt.h"
#include "game/gamestate.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/genuinekey.h"
#include "support/modaldialog.h"
#include "support/mountnamespace.h"
#include "support/testhome.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

// Each row runs in a child process of its own: a fresh home folder, a fresh
// game state, and for the mounts a private mount namespace, so that nothing
// mounted here is seen outside the child or outlives it.
namespace {

constexpr char child_variable[] = "QUIVERBOLT_SAVE_FAULT_CHILD";

enum class Folder { full, no_inode_left, read_only, missing };
enum class Start { with_save_file, first_start };

// A save file as the game writes it after keeping a record of 120 and a score of 57.
QByteArray kept_score_document()
{
    GameState state;
    state.your_top = 120;
    state.current_top = 57;
    state.key = genuine_key(120, 57);
    return save_document(state);
}

QString widget_text(QWidget &window, const char *name)
{
    auto *button = window.findChild<QPushButton *>(QLatin1String(name));
    return button ? button->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

// Unmounts the documents folder when the row ends, so the home folder can go.
class Mount
{
public:
    explicit Mount(const QString &target) : target(QFile::encodeName(target)) {}
    ~Mount() { umount2(target.constData(), MNT_DETACH); }
    bool mount_tmpfs(const QByteArray &options)
    {
        return mount("tmpfs", target.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    bool remount(unsigned long flags)
    {
        return mount(nullptr, target.constData(), nullptr, MS_REMOUNT | flags, nullptr) == 0;
    }

private:
    QByteArray target;
};

} // namespace

Q_DECLARE_METATYPE(Folder)
Q_DECLARE_METATYPE(Start)

class TestSaveFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void failed_save_keeps_the_old_file_and_says_so_data();
    void failed_save_keeps_the_old_file_and_says_so();

private:
    // What the row does in its child process.
    void run_row(Folder folder, Start start);
    // Leaves no room for another byte in the documents folder, or takes it away.
    void break_folder(Folder folder, Mount &mount);
    // Gives the folder back, so that the next save can succeed.
    void repair_folder(Folder folder, Mount &mount);
    // Where the missing folder went.
    QString moved_documents() const;

    TestHome home;
    QStringList fillers;
};

void TestSaveFaults::initTestCase()
{
    home.make_current();
    // No system bus: MCE requests go nowhere, which the game shrugs off.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quiverbolt-test-bus");
}

void TestSaveFaults::failed_save_keeps_the_old_file_and_says_so_data()
{
    QTest::addColumn<Folder>("folder");
    QTest::addColumn<Start>("start");

    QTest::newRow("full file system, tap") << Folder::full << Start::with_save_file;
    QTest::newRow("no inode left, tap") << Folder::no_inode_left << Start::with_save_file;
    QTest::newRow("read-only folder, tap") << Folder::read_only << Start::with_save_file;
    QTest::newRow("missing folder, tap") << Folder::missing << Start::with_save_file;
    QTest::newRow("full file system, first start") << Folder::full << Start::first_start;
    QTest::newRow("no inode left, first start") << Folder::no_inode_left << Start::first_start;
    QTest::newRow("read-only folder, first start") << Folder::read_only << Start::first_start;
    QTest::newRow("missing folder, first start") << Folder::missing << Start::first_start;
}

void TestSaveFaults::failed_save_keeps_the_old_file_and_says_so()
{
    QFETCH(Folder, folder);
    QFETCH(Start, start);

    if (qEnvironmentVariableIsSet(child_variable)) {
        run_row(folder, start);
        return;
    }

    QStringList command;
    if (folder != Folder::missing) {
        QString reason;
        command = mount_namespace_command(reason);
        if (command.isEmpty())
            QSKIP(qPrintable(reason));
    }
    command << QCoreApplication::applicationFilePath() << QStringLiteral("-o")
            << QStringLiteral("-,txt")
            << QStringLiteral("failed_save_keeps_the_old_file_and_says_so:") +
                   QString::fromUtf8(QTest::currentDataTag());

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

void TestSaveFaults::run_row(Folder folder, Start start)
{
    QCOMPARE(save_file_path(), home.save_path());
    Mount mount(home.documents());
    if (folder != Folder::missing) {
        const QByteArray options = folder == Folder::no_inode_left
                                       ? QByteArrayLiteral("size=1m,nr_inodes=16")
                                       : QByteArrayLiteral("size=64k");
        if (!mount.mount_tmpfs(options))
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs: ") +
                             QString::fromLocal8Bit(std::strerror(errno))));
    }

    if (start == Start::first_start) {
        break_folder(folder, mount);
        if (QTest::currentTestFailed())
            return;
        const QStringList files_before = QDir(home.documents()).entryList(QDir::Files);
        answer_next_modal("pushButton_2"); // "Yes, agree"
        Quiverbolt window;
        QCOMPARE(widget_text(window, "tip_label"), QStringLiteral("setup failed"));
        QVERIFY(!QFile::exists(home.save_path()));
        QCOMPARE(QDir(home.documents()).entryList(QDir::Files), files_before);
        return;
    }

    const QByteArray previous = kept_score_document();
    QVERIFY(write_file(home.save_path(), previous));
    Quiverbolt window;
    window.findChild<QTimer *>()->stop();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(game_state().your_top, 120);
    auto *counter = window.findChild<QPushButton *>(QStringLiteral("curr_score"));
    QVERIFY(counter);

    // The folder breaks while the game runs; the previous save must outlive the tap.
    break_folder(folder, mount);
    if (QTest::currentTestFailed())
        return;
    const QString kept_folder = folder == Folder::missing ? moved_documents() : home.documents();
    const QStringList files_before = QDir(kept_folder).entryList(QDir::Files);
    game_state().power = 80;
    QTest::mouseClick(counter, Qt::LeftButton);
    QCOMPARE(game_state().current_top, 80);
    QCOMPARE(widget_text(window, "tip_label"), QStringLiteral("save failed"));
    QCOMPARE(read_file_or_mark(kept_folder + QStringLiteral("/quiverbolt.save")), previous);
    QCOMPARE(QDir(kept_folder).entryList(QDir::Files), files_before);
    QVERIFY(folder != Folder::missing || !QFileInfo::exists(home.documents()));

    // With the folder whole again, the next tap saves the game as it stands.
    repair_folder(folder, mount);
    if (QTest::currentTestFailed())
        return;
    QTest::mouseClick(counter, Qt::LeftButton);
    QCOMPARE(widget_text(window, "tip_label"),
             QStringLiteral("Ok! Now you can submit\nyour score to the Rating."));
    QCOMPARE(read_file_or_mark(home.save_path()), save_document(game_state()));
}

QString TestSaveFaults::moved_documents() const
{
    return home.home() + QStringLiteral("/Documents.away");
}

void TestSaveFaults::break_folder(Folder folder, Mount &mount)
{
    switch (folder) {
    case Folder::full: {
        const QString path = home.documents() + QStringLiteral("/filler");
        QFile filler(path);
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        fillers << path;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        break;
    }
    case Folder::no_inode_left:
        for (int i = 0; i < 100; ++i) {
            const QString path = home.documents() + QStringLiteral("/filler%1").arg(i);
            QFile filler(path);
            if (!filler.open(QIODevice::WriteOnly))
                break;
            fillers << path;
        }
        break;
    case Folder::read_only:
        QVERIFY2(mount.remount(MS_RDONLY), std::strerror(errno));
        break;
    case Folder::missing:
        // Like a memory card taken out: the folder, and the file in it, go away.
        QVERIFY(QDir().rename(home.documents(), moved_documents()));
        return;
    }
    // Not one more byte fits.
    const QString probe = home.documents() + QStringLiteral("/probe");
    QVERIFY(!write_file(probe, "x"));
    QFile::remove(probe);
}

void TestSaveFaults::repair_folder(Folder folder, Mount &mount)
{
    if (folder == Folder::read_only)
        QVERIFY2(mount.remount(0), std::strerror(errno));
    else if (folder == Folder::missing)
        QVERIFY(QDir().rename(moved_documents(), home.documents()));
    for (const QString &path : qAsConst(fillers))
        QVERIFY(QFile::remove(path));
}

int main(int argc, char **argv)
{
    // What the player reads is the widgets' text; no pixels are looked at.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestSaveFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_save_faults.moc"
