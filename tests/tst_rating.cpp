// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/quiverbolt.h"
#include "game/gamestate.h"
#include "rating/submit.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/modaldialog.h"
#include "support/ratingserver.h"
#include "support/testhome.h"
#include "support/urlcatcher.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(ScriptedReply)

namespace {

template <typename T> T *child(QObject *parent, const char *name)
{
    return parent ? parent->findChild<T *>(QLatin1String(name)) : nullptr;
}

// Collects every warning and error that Qt or the program logs while it lives.
class WarningCollector
{
public:
    WarningCollector()
    {
        collected().clear();
        chained() = qInstallMessageHandler(&collect);
    }
    ~WarningCollector() { qInstallMessageHandler(chained()); }
    WarningCollector(const WarningCollector &) = delete;
    WarningCollector &operator=(const WarningCollector &) = delete;

    QStringList messages() const { return collected(); }

private:
    static QStringList &collected()
    {
        static QStringList messages;
        return messages;
    }
    static QtMessageHandler &chained()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            collected() << text;
        if (chained())
            chained()(type, context, text);
    }
};

// What one submission left behind.
struct Exchange
{
    QByteArray sent_file; // the save file as the submission left it
    GameState state;      // the game state right after the dialog was handled
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    double sec_after_reply = -1.0;
};

const QByteArray full_reply = "<rating><local_top>5</local_top><world_top>120</world_top>"
                              "<message>Well shaken!</message>"
                              "<hiperlink>http://rating.example/top</hiperlink>"
                              "<fsize>18</fsize></rating>";

// A well-formed reply of exactly size bytes whose message is "Big".
QByteArray padded_reply(int size)
{
    const QByteArray head = "<r><message>Big</message><local_top>3</local_top><pad>";
    const QByteArray tail = "</pad></r>";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

} // namespace

class TestRating : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void cancel_sends_nothing_and_keeps_the_answers();
    void accepted_dialog_posts_the_save_file_unescaped_data();
    void accepted_dialog_posts_the_save_file_unescaped();
    void unwritable_documents_folder_posts_xml_alone();
    void reply_is_stored_shown_and_saved_data();
    void reply_is_stored_shown_and_saved();
    void server_down_is_handled_as_a_failed_request();
    void tip_view_opens_only_web_links_data();
    void tip_view_opens_only_web_links();

private:
    void answer_submit_dialog(bool accept, const std::function<void(QDialog &)> &fill);
    void accept_and_wait(const std::function<void(QDialog &)> &fill, Exchange &result);

    TestHome home;
    RatingServer server;
    UrlCatcher catcher;
    std::unique_ptr<Quiverbolt> window;
};

void TestRating::initTestCase()
{
    home.make_current();
    // No system bus: the game's MCE calls go nowhere, which it shrugs off.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quiverbolt-test-bus");
    QCOMPARE(save_file_path(), home.save_path());
    QVERIFY2(server.listen(), qPrintable(server.error_string()));
    for (const char *scheme : {"http", "https", "file", "javascript", "ftp", ""})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open_url");
}

void TestRating::init()
{
    QDir(home.documents()).mkpath(QStringLiteral("."));
    game_state() = GameState{};
    // An existing save file: no terms dialog at start-up.
    QVERIFY(write_file(home.save_path(), save_document(GameState{})));
    server.clear();
    catcher.opened.clear();
    window = std::make_unique<Quiverbolt>();
}

void TestRating::cleanup()
{
    window.reset();
    if (!server.is_listening())
        QVERIFY2(server.listen(), qPrintable(server.error_string()));
}

void TestRating::cleanupTestCase()
{
    for (const char *scheme : {"http", "https", "file", "javascript", "ftp", ""})
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
}

// Answers the Submit dialog that the next submit_dialog() opens: fills it,
// then presses "OK" or "Cancel".
void TestRating::answer_submit_dialog(bool accept, const std::function<void(QDialog &)> &fill)
{
    answer_next_modal(accept ? "pushButton" : "pushButton_2", fill, Submit::staticMetaObject);
}

// Accepts the Submit dialog after fill and waits until the window has
// handled the reply. On the way it checks that nothing was logged and that
// the reply and its network manager are released afterwards.
void TestRating::accept_and_wait(const std::function<void(QDialog &)> &fill, Exchange &result)
{
    WarningCollector warnings;
    answer_submit_dialog(true, fill);
    window->submit_dialog();
    result.sent_file = read_file(home.save_path());
    result.state = game_state();

    const auto managers = window->findChildren<QNetworkAccessManager *>();
    QCOMPARE(managers.size(), 1);
    QObject guard;
    bool handled = false;
    QPointer<QNetworkReply> reply;
    // Connected after the window's own slot, so this runs once it is done.
    connect(managers.first(), &QNetworkAccessManager::finished, &guard,
            [&](QNetworkReply *finished) {
                reply = finished;
                result.error = finished->error();
                result.sec_after_reply = game_state().sec;
                handled = true;
            });
    QTRY_VERIFY_WITH_TIMEOUT(handled, 10000);
    QTRY_VERIFY(window->findChildren<QNetworkAccessManager *>().isEmpty());
    QVERIFY(reply.isNull());
    QVERIFY2(warnings.messages().isEmpty(),
             qPrintable(warnings.messages().join(QLatin1Char('\n'))));
}

void TestRating::cancel_sends_nothing_and_keeps_the_answers()
{
    const GameState before = game_state();
    QVERIFY(write_file(home.save_path(), "stale")); // shows whether the file is rewritten

    answer_submit_dialog(false, [](QDialog &dialog) {
        child<QLineEdit>(&dialog, "lineEdit_3")->setText(QStringLiteral("Not sent"));
        child<QCheckBox>(&dialog, "womBox")->click();
    });
    window->submit_dialog();

    QVERIFY(window->findChildren<QNetworkAccessManager *>().isEmpty());
    const GameState &state = game_state();
    QCOMPARE(state.name, before.name);
    QCOMPARE(state.sex, before.sex);
    QCOMPARE(state.tosend, before.tosend);
    QCOMPARE(state.num, before.num);
    QCOMPARE(read_file(home.save_path()), save_document(state));
    QVERIFY(server.requests().isEmpty());
}

void TestRating::accepted_dialog_posts_the_save_file_unescaped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("location");
    QTest::addColumn<bool>("click_women");
    QTest::addColumn<bool>("click_score");
    QTest::addColumn<QByteArray>("saved_answers");

    QTest::newRow("answers as shown")
        << QString() << QString() << false << false
        << QByteArray("<name></name><location></location><sex>m</sex><tosend>1</tosend>");
    QTest::newRow("women's rating, score")
        << QStringLiteral("Kim") << QStringLiteral("Oslo") << true << true
        << QByteArray("<name>Kim</name><location>Oslo</location><sex>w</sex><tosend>2</tosend>");
    QTest::newRow("plus, ampersand and non-ASCII")
        << QStringLiteral("A+B & \u00c4rger")
        << QStringLiteral("\u041c\u043e\u0441\u043a\u0432\u0430 =1%") << false << false
        << QByteArray("<name>A+B &amp; \xc3\x84rger</name>"
                      "<location>\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0 =1%</location>");
    QTest::newRow("save file over 4096 bytes")
        << QStringLiteral("Long") << QString(5000, QLatin1Char('y')) << false << false
        << "<location>" + QByteArray(5000, 'y') + "</location>";
}

void TestRating::accepted_dialog_posts_the_save_file_unescaped()
{
    QFETCH(QString, name);
    QFETCH(QString, location);
    QFETCH(bool, click_women);
    QFETCH(bool, click_score);
    QFETCH(QByteArray, saved_answers);

    Exchange exchange;
    accept_and_wait(
        [&](QDialog &dialog) {
            child<QLineEdit>(&dialog, "lineEdit_3")->setText(name);
            child<QLineEdit>(&dialog, "lineEdit_2")->setText(location);
            if (click_women)
                child<QCheckBox>(&dialog, "womBox")->click();
            if (click_score)
                child<QCheckBox>(&dialog, "scoBox")->click();
        },
        exchange);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(exchange.state.name, name);
    QCOMPARE(exchange.state.location, location);
    QCOMPARE(exchange.state.num, 1);
    QCOMPARE(exchange.sent_file, save_document(exchange.state));
    QVERIFY2(exchange.sent_file.contains(saved_answers), exchange.sent_file.constData());
    QVERIFY(exchange.sent_file.contains("<num>1</num>"));

    QCOMPARE(server.requests().size(), 1);
    const RecordedRequest &request = server.requests().first();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, QByteArray("/"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    QCOMPARE(request.body, "xml=" + exchange.sent_file.left(4096));
    if (exchange.sent_file.size() > 4096)
        QCOMPARE(request.body.size(), 4 + 4096);
}

void TestRating::unwritable_documents_folder_posts_xml_alone()
{
    QVERIFY(QDir(home.documents()).removeRecursively());

    Exchange exchange;
    accept_and_wait({}, exchange);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(server.requests().first().body, QByteArray("xml="));
    QVERIFY(!QFile::exists(home.save_path()));
    QCOMPARE(child<QPushButton>(window.get(), "tip_label")->text(), QStringLiteral("save failed"));
}

void TestRating::reply_is_stored_shown_and_saved_data()
{
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("local_top");
    QTest::addColumn<int>("world_top");
    QTest::addColumn<QString>("local_label");
    QTest::addColumn<QString>("world_label");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("hiperlink");
    QTest::addColumn<int>("fsize");

    // Before each submission the game holds world place 37 with its label,
    // no local place, the message "Keep shaking" and an old link.
    const QString dash = QStringLiteral("-");
    const QString kept_message = QStringLiteral("Keep shaking");
    const QString kept_link = QStringLiteral("http://rating.example/old");

    QTest::newRow("full reply") << ScriptedReply::answer(full_reply) << 1 << 5 << 120
                                << QStringLiteral("5") << QStringLiteral("120")
                                << QStringLiteral("Well shaken!")
                                << QStringLiteral("http://rating.example/top") << 18;
    // The size and time guards themselves are covered without a window.
    QTest::newRow("reply over 64 KiB")
        << ScriptedReply::answer(padded_reply(64 * 1024 + 1)) << 1 << -1 << 37 << dash << dash
        << kept_message << kept_link << 20;
    QTest::newRow("HTTP error with a body")
        << ScriptedReply::answer("<r><message>Server busy</message></r>", 503) << 1 << -1 << 37
        << dash << dash << QStringLiteral("Server busy") << kept_link << 20;
    QTest::newRow("malformed XML")
        << ScriptedReply::answer("<r><message>Half</message><world_top>9</world_top><x></r>") << 1
        << -1 << 9 << dash << QStringLiteral("9") << QStringLiteral("Half") << kept_link << 20;
    QTest::newRow("empty reply") << ScriptedReply::answer({}) << 1 << -1 << 37 << dash << dash
                                 << kept_message << kept_link << 20;
    // Qt sends the request again after a connection drops unanswered.
    QTest::newRow("connection reset") << ScriptedReply::reset() << 5 << -1 << 37 << dash << dash
                                      << kept_message << kept_link << 20;
}

void TestRating::reply_is_stored_shown_and_saved()
{
    QFETCH(ScriptedReply, reply);
    QFETCH(int, times);
    QFETCH(int, local_top);
    QFETCH(int, world_top);
    QFETCH(QString, message);
    QFETCH(QString, hiperlink);
    QFETCH(int, fsize);

    GameState &state = game_state();
    state.local_top = -1;
    state.world_top = 37;
    state.message = QStringLiteral("Keep shaking");
    state.hiperlink = QStringLiteral("http://rating.example/old");
    state.fsize = 20;
    child<QLabel>(window.get(), "local_top")->setText(QStringLiteral("-"));
    child<QLabel>(window.get(), "world_top")->setText(QStringLiteral("37"));
    server.queue_reply(reply, times);

    Exchange exchange;
    accept_and_wait({}, exchange);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(state.local_top, local_top);
    QCOMPARE(state.world_top, world_top);
    QCOMPARE(state.message, message);
    QCOMPARE(state.hiperlink, hiperlink);
    QCOMPARE(state.fsize, fsize);
    QTEST(child<QLabel>(window.get(), "local_top")->text(), "local_label");
    QTEST(child<QLabel>(window.get(), "world_top")->text(), "world_label");
    QVERIFY(child<QPushButton>(window.get(), "tip_label")->isHidden());
    QVERIFY(!child<QPushButton>(window.get(), "tip_view")->isHidden());
    QCOMPARE(child<QPushButton>(window.get(), "tip_view")->text(), message);
    QCOMPARE(exchange.sec_after_reply, 0.0);

    const QByteArray saved = read_file(home.save_path());
    const QByteArray places = "<local_top>" + QByteArray::number(local_top) +
                              "</local_top><world_top>" + QByteArray::number(world_top) +
                              "</world_top>";
    const QByteArray answers = "<message>" + message.toUtf8() + "</message><hiperlink>" +
                               hiperlink.toUtf8() + "</hiperlink><fsize>" +
                               QByteArray::number(fsize) + "</fsize>";
    QVERIFY2(saved.contains(places), saved.constData());
    QVERIFY2(saved.contains(answers), saved.constData());
}

void TestRating::server_down_is_handled_as_a_failed_request()
{
    server.close();
    GameState &state = game_state();
    state.world_top = 37;
    state.message = QStringLiteral("Keep shaking");

    Exchange exchange;
    accept_and_wait({}, exchange);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(exchange.error, QNetworkReply::ConnectionRefusedError);
    QCOMPARE(state.world_top, 37);
    QCOMPARE(child<QLabel>(window.get(), "world_top")->text(), QStringLiteral("-"));
    QVERIFY(!child<QPushButton>(window.get(), "tip_view")->isHidden());
    QCOMPARE(child<QPushButton>(window.get(), "tip_view")->text(), QStringLiteral("Keep shaking"));
    QVERIFY(read_file(home.save_path()).contains("<num>1</num>"));
}

void TestRating::tip_view_opens_only_web_links_data()
{
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<QString>("opened");

    QTest::newRow("http") << QByteArray("http://rating.example/top?p=5&amp;s=m")
                          << QStringLiteral("http://rating.example/top?p=5&s=m");
    QTest::newRow("https") << QByteArray("https://rating.example/top")
                           << QStringLiteral("https://rating.example/top");
    QTest::newRow("file") << QByteArray("file:///etc/passwd") << QString();
    QTest::newRow("javascript") << QByteArray("javascript:alert(1)") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("relative") << QByteArray("top.html") << QString();
}

void TestRating::tip_view_opens_only_web_links()
{
    QFETCH(QByteArray, link);
    QFETCH(QString, opened);

    server.queue_reply(ScriptedReply::answer("<r><message>See the list</message><hiperlink>" +
                                             link + "</hiperlink></r>"));
    Exchange exchange;
    accept_and_wait({}, exchange);
    if (QTest::currentTestFailed())
        return;

    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *tip_view = child<QPushButton>(window.get(), "tip_view");
    QVERIFY(tip_view->isVisible());
    QTest::mouseClick(tip_view, Qt::LeftButton);

    const QList<QUrl> expected =
        opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl(opened, QUrl::StrictMode)};
    QCOMPARE(catcher.opened, expected);
}

int main(int argc, char **argv)
{
    // Pixels do not matter here; offscreen also spares the X server's focus
    // complaints about dialogs without a window manager, which would count
    // as logged warnings.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestRating test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_rating.moc"
