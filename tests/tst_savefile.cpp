// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "constants.h"
#include "game/gamestate.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/genuinekey.h"
#include "support/testhome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <limits>
#include <sys/resource.h>

namespace {

// Caps the size of files this process may write, for as long as it lives; writes
// beyond it fail with EFBIG, for root as for anyone.
class FileSizeCap
{
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        old_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap = saved;
        cap.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, old_handler);
    }

private:
    rlimit saved{};
    void (*old_handler)(int) = nullptr;
};

enum class Failure { missing_folder, folder_is_a_file, read_only_folder, file_size_limit };

} // namespace

Q_DECLARE_METATYPE(Failure)
Q_DECLARE_METATYPE(QFileDevice::Permissions)

class TestSaveFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { home.make_current(); }
    void save_file_path_is_in_the_documents_folder_and_fixed();
    void start_values_give_the_exact_document();
    void elapsed_time_is_written_in_whole_seconds_data();
    void elapsed_time_is_written_in_whole_seconds();
    void texts_escape_only_what_xml_requires_data();
    void texts_escape_only_what_xml_requires();
    void characters_xml_forbids_are_left_out_data();
    void characters_xml_forbids_are_left_out();
    void forbidden_characters_do_not_cost_the_record();
    void non_ascii_text_is_written_as_utf8();
    void integers_are_written_in_decimal_data();
    void integers_are_written_in_decimal();
    void first_run_document_is_exact();
    void two_writes_leave_one_document();
    void failed_write_returns_false_and_keeps_the_old_file_data();
    void failed_write_returns_false_and_keeps_the_old_file();
    void existing_file_keeps_its_permissions_data();
    void existing_file_keeps_its_permissions();

private:
    TestHome home;
};

void TestSaveFile::save_file_path_is_in_the_documents_folder_and_fixed()
{
    const QString expected =
        qstrlen(quiverbolt::documents_dir) == 0
            ? home.save_path()
            : QDir(QString::fromUtf8(quiverbolt::documents_dir)).filePath("quiverbolt.save");
    QCOMPARE(save_file_path(), expected);

    const QByteArray saved_home = qgetenv("HOME");
    qputenv("HOME", QByteArray("/nonexistent/elsewhere"));
    QCOMPARE(save_file_path(), expected);
    qputenv("HOME", saved_home);
}

void TestSaveFile::start_values_give_the_exact_document()
{
    QCOMPARE(save_document(GameState{}),
             QByteArray("<quiverbolt_data><name></name><location></location><sex>m</sex>"
                        "<tosend>1</tosend><current_top>0</current_top><your_top>0</your_top>"
                        "<local_top>-1</local_top><world_top>-1</world_top><alt>0</alt><key></key>"
                        "<num>0</num><platf>1</platf><ver>1.1</ver><message></message>"
                        "<hiperlink></hiperlink><fsize>20</fsize><sec>0</sec></quiverbolt_data>"));
}

void TestSaveFile::elapsed_time_is_written_in_whole_seconds_data()
{
    QTest::addColumn<double>("sec");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("one tick") << 0.2 << QByteArray("0");
    QTest::newRow("just below a minute") << 59.999 << QByteArray("59");
    QTest::newRow("twelve and a bit") << 12.8 << QByteArray("12");
    QTest::newRow("whole") << 60.0 << QByteArray("60");
}

void TestSaveFile::elapsed_time_is_written_in_whole_seconds()
{
    QFETCH(double, sec);
    QFETCH(QByteArray, written);
    GameState state;
    state.sec = sec;
    QVERIFY(save_document(state).endsWith("<sec>" + written + "</sec></quiverbolt_data>"));
}

void TestSaveFile::texts_escape_only_what_xml_requires_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("ampersand and angle brackets")
        << QStringLiteral("Anna & <Bo>") << QByteArray("Anna &amp; &lt;Bo>");
    QTest::newRow("end of a CDATA section") << QStringLiteral("a]]>b") << QByteArray("a]]&gt;b");
    QTest::newRow("three brackets") << QStringLiteral("]]]>") << QByteArray("]]]&gt;");
    QTest::newRow("twice") << QStringLiteral("]]>]]>") << QByteArray("]]&gt;]]&gt;");
    QTest::newRow("one bracket") << QStringLiteral("]>") << QByteArray("]>");
    QTest::newRow("brackets apart") << QStringLiteral("]x]>") << QByteArray("]x]>");
    QTest::newRow("quotes") << QStringLiteral("\"it's\"") << QByteArray("\"it's\"");
    QTest::newRow("entity-like text") << QStringLiteral("&amp;") << QByteArray("&amp;amp;");
    QTest::newRow("white space") << QStringLiteral(" a\tb\nc\r") << QByteArray(" a\tb\nc\r");
}

void TestSaveFile::texts_escape_only_what_xml_requires()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    GameState state;
    state.name = state.location = state.sex = state.key = state.message = state.hiperlink = text;
    const QByteArray document = save_document(state);
    for (const char *element : {"name", "location", "sex", "key", "message", "hiperlink"}) {
        const QByteArray tag(element);
        QVERIFY2(document.contains('<' + tag + '>' + written + "</" + tag + '>'), element);
    }
}

void TestSaveFile::characters_xml_forbids_are_left_out_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("control character") << QString("Bo\x01"
                                                  "b")
                                       << QByteArray("Bob");
    QTest::newRow("escape and unit separator") << QString("\x1b[2K"
                                                          "x\x1f")
                                               << QByteArray("[2Kx");
    QTest::newRow("nul") << QString(QChar(0)) + "a" << QByteArray("a");
    QTest::newRow("U+FFFE and U+FFFF")
        << QString(QChar(0xFFFE)) + "a" + QChar(0xFFFF) << QByteArray("a");
    QTest::newRow("lone high surrogate") << QString("a") + QChar(0xD83D) << QByteArray("a");
    QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) + "a" << QByteArray("a");
    QTest::newRow("swapped surrogates") << QString(QChar(0xDE00)) + QChar(0xD83D) << QByteArray("");
    QTest::newRow("pair kept") << QString::fromUtf8("\xf0\x9f\x98\x80")
                               << QByteArray("\xf0\x9f\x98\x80");
    QTest::newRow("removal that joins ]]>") << QString("]]\x02>") << QByteArray("]]&gt;");
    QTest::newRow("C1 control and U+FFFD stay")
        << QString(QChar(0x85)) + QChar(0xFFFD) << QByteArray("\xc2\x85\xef\xbf\xbd");
}

void TestSaveFile::characters_xml_forbids_are_left_out()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    GameState state;
    state.name = text;
    state.message = text;
    const QByteArray document = save_document(state);
    QVERIFY(document.contains("<name>" + written + "</name>"));
    QVERIFY(document.contains("<message>" + written + "</message>"));
}

void TestSaveFile::forbidden_characters_do_not_cost_the_record()
{
    GameState state;
    state.your_top = 120;
    state.current_top = 57;
    state.key = genuine_key(120, 57);
    state.name = QString("Bo\x01"
                         "b") +
                 QChar(0xFFFF);
    state.location = QString(QChar(0xD800)) + "Oslo";
    state.message = QStringLiteral("tab\tstays\x07");

    GameState loaded_state;
    const LoadedSave loaded = load_document(save_document(state), loaded_state);

    QVERIFY(!loaded.key_rejected);
    QCOMPARE(loaded_state.your_top, 120);
    QCOMPARE(loaded_state.current_top, 57);
    QCOMPARE(loaded_state.name, QStringLiteral("Bob"));
    QCOMPARE(loaded_state.location, QStringLiteral("Oslo"));
    QCOMPARE(loaded_state.message, QStringLiteral("tab\tstays"));
}

void TestSaveFile::non_ascii_text_is_written_as_utf8()
{
    GameState state;
    state.name = QString::fromUtf8("\xd0\x90\xd0\xbd\xd0\xbd\xd0\xb0"); // Анна
    const QByteArray document = save_document(state);
    QVERIFY(document.contains("<name>\xd0\x90\xd0\xbd\xd0\xbd\xd0\xb0</name>"));
    QVERIFY(!document.contains("&#"));
}

void TestSaveFile::integers_are_written_in_decimal_data()
{
    QTest::addColumn<int>("world_top");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("nothing reported") << -1 << QByteArray("-1");
    QTest::newRow("zero") << 0 << QByteArray("0");
    QTest::newRow("place 1205") << 1205 << QByteArray("1205");
    QTest::newRow("lowest") << std::numeric_limits<int>::min() << QByteArray("-2147483648");
}

void TestSaveFile::integers_are_written_in_decimal()
{
    QFETCH(int, world_top);
    QFETCH(QByteArray, written);
    GameState state;
    state.world_top = world_top;
    QVERIFY(save_document(state).contains("<world_top>" + written + "</world_top>"));
}

void TestSaveFile::first_run_document_is_exact()
{
    const QByteArray expected(
        "<quiverbolt_data><name></name><location></location><sex>m</sex><tosend>l</tosend>"
        "<current_top>0</current_top><your_top>0</your_top><local_top>-</local_top>"
        "<world_top>-</world_top><alt>0</alt><key></key><num>0</num><platf>1</platf>"
        "<ver>1</ver><message></message><hiperlink></hiperlink><fsize>18</fsize><sec>0</sec>"
        "</quiverbolt_data>");
    QCOMPARE(expected.size(), 331);
    QCOMPARE(first_run_document(), expected);
}

void TestSaveFile::two_writes_leave_one_document()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("quiverbolt.save");
    GameState state;
    state.name = QStringLiteral("a rather long first name");
    QVERIFY(write_save_file(path, save_document(state)));
    state.name = QStringLiteral("Bo");
    const QByteArray second = save_document(state);
    QVERIFY(write_save_file(path, second));

    QCOMPARE(read_file_or_mark(path), second);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{"quiverbolt.save"});
}

void TestSaveFile::failed_write_returns_false_and_keeps_the_old_file_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::newRow("missing folder") << Failure::missing_folder;
    QTest::newRow("folder is a regular file") << Failure::folder_is_a_file;
    QTest::newRow("read-only folder") << Failure::read_only_folder;
    QTest::newRow("file size limit reached while writing") << Failure::file_size_limit;
}

void TestSaveFile::failed_write_returns_false_and_keeps_the_old_file()
{
    QFETCH(Failure, failure);
    QTemporaryDir dir;
    QString folder = dir.filePath("Documents");
    const QByteArray old_document = first_run_document();
    GameState state;
    state.name = QStringLiteral("new");
    const QByteArray new_document = save_document(state);

    switch (failure) {
    case Failure::missing_folder:
        QVERIFY(!write_save_file(folder + "/quiverbolt.save", new_document));
        QVERIFY(!QFileInfo::exists(folder));
        return;
    case Failure::folder_is_a_file:
        QVERIFY(write_file(folder, old_document));
        QVERIFY(!write_save_file(folder + "/quiverbolt.save", new_document));
        QCOMPARE(read_file_or_mark(folder), old_document);
        return;
    case Failure::read_only_folder: {
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/quiverbolt.save";
        QVERIFY(write_file(path, old_document));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        QFile probe(folder + "/probe");
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("this user may write into a read-only folder (root), so nothing fails here");
        }
        QVERIFY(!write_save_file(path, new_document));
        QCOMPARE(read_file_or_mark(path), old_document);
        return;
    }
    case Failure::file_size_limit: {
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/quiverbolt.save";
        QVERIFY(write_file(path, old_document));
        bool written = true;
        {
            const FileSizeCap cap(16);
            written = write_save_file(path, new_document);
        }
        QVERIFY(!written);
        QCOMPARE(read_file_or_mark(path), old_document);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"quiverbolt.save"});
        return;
    }
    }
}

void TestSaveFile::existing_file_keeps_its_permissions_data()
{
    QTest::addColumn<QFile::Permissions>("permissions");
    QTest::newRow("owner only") << (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                    QFile::WriteUser);
    QTest::newRow("group may read") << (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                        QFile::WriteUser | QFile::ReadGroup);
    QTest::newRow("everyone may write")
        << (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
            QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther);
}

void TestSaveFile::existing_file_keeps_its_permissions()
{
    QFETCH(QFile::Permissions, permissions);
    QTemporaryDir dir;
    const QString path = dir.filePath("quiverbolt.save");
    QVERIFY(write_file(path, first_run_document()));
    QVERIFY(QFile::setPermissions(path, permissions));

    const QByteArray document = save_document(GameState{});
    QVERIFY(write_save_file(path, document));
    QCOMPARE(read_file_or_mark(path), document);
    QCOMPARE(QFile::permissions(path), permissions);
}

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
