// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT

#include "app/fonts.h"
#include "app/quiverbolt.h"
#include "dialogs/license.h"
#include "game/gamestate.h"
#include "game/recordkey.h"
#include "game/scores.h"
#include "storage/savefile.h"
#include "support/files.h"
#include "support/genuinekey.h"
#include "support/modaldialog.h"
#include "support/testhome.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsView>
#include <QImage>
#include <QLabel>
#include <QMetaMethod>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

QString label_text(QWidget &window, const char *name)
{
    if (auto *label = window.findChild<QLabel *>(QLatin1String(name)))
        return label->text();
    if (auto *button = window.findChild<QPushButton *>(QLatin1String(name)))
        return button->text();
    return QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

// A save file as the game writes it after keeping a score.
QByteArray kept_score_document(int record, int score)
{
    GameState state;
    state.your_top = record;
    state.current_top = score;
    state.key = genuine_key(record, score);
    return save_document(state);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void meta_object_has_the_nine_slots_in_order();
    void first_start_shows_terms_and_writes_the_first_run_document();
    void second_start_rewrites_the_first_run_document();
    void genuine_save_file_fills_the_labels();
    void tip_view_hidden_after_start_even_with_a_stored_message();
    void no_tick_runs_during_construction();
    void ticks_show_whole_seconds_and_the_power();
    void tapping_the_counter_keeps_the_score();
    void tapping_the_counter_keeps_the_score_data();
    void restart_keeps_a_zero_score();
    void failed_save_shows_save_failed();
    void font_warning_names_the_first_failure();
    void font_warning_names_the_first_failure_data();
    void rendered_window_shows_white_screen_magenta_counter_and_logo();
    void refusing_the_terms_ends_the_real_program_without_a_file();
    void refusing_the_terms_ends_the_real_program_without_a_file_data();

private:
    TestHome home;
};

void TestMainWindow::initTestCase()
{
    home.make_current();
    // No system bus: MCE requests go nowhere, which the game must shrug off.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quiverbolt-test-bus");
    QCOMPARE(save_file_path(), home.save_path());
}

void TestMainWindow::init()
{
    game_state() = GameState{};
    QFile::remove(home.save_path());
}

void TestMainWindow::meta_object_has_the_nine_slots_in_order()
{
    const QMetaObject &meta = Quiverbolt::staticMetaObject;
    QCOMPARE(meta.className(), "Quiverbolt");
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.classInfoCount(), 0);

    const QList<QByteArray> expected = {"set_score()",
                                        "set_top()",
                                        "submit_dialog()",
                                        "restart()",
                                        "save_xml()",
                                        "get_url()",
                                        "replyFinish(QNetworkReply*)",
                                        "license_dialog()",
                                        "displayStateChanged(QDBusMessage)"};
    QCOMPARE(meta.methodCount() - meta.methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodSignature(), expected.at(i));
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Public);
    }
    QCOMPARE(meta.method(meta.methodOffset() + 6).parameterNames(), QList<QByteArray>{"reply"});
    QCOMPARE(meta.method(meta.methodOffset() + 8).parameterNames(), QList<QByteArray>{"message"});
}

void TestMainWindow::first_start_shows_terms_and_writes_the_first_run_document()
{
    answer_next_modal("pushButton_2"); // "Yes, agree"
    Quiverbolt window;
    QCOMPARE(read_file(home.save_path()), first_run_document());
    QCOMPARE(read_file(home.save_path()).size(), 331);
    // Nothing is read back in the run that writes it.
    QCOMPARE(label_text(window, "my_top"), QStringLiteral("0"));
    QCOMPARE(label_text(window, "curr_top"), QStringLiteral("0"));
    QCOMPARE(label_text(window, "world_top"), QStringLiteral("-"));
    QCOMPARE(label_text(window, "local_top"), QStringLiteral("-"));
    QCOMPARE(game_state().tosend, 1);
    QCOMPARE(game_state().local_top, -1);
}

void TestMainWindow::second_start_rewrites_the_first_run_document()
{
    QVERIFY(write_file(home.save_path(), first_run_document()));
    Quiverbolt window;
    // The empty key is not genuine: tops zeroed, shown as "-", file rewritten.
    QCOMPARE(label_text(window, "my_top"), QStringLiteral("-"));
    QCOMPARE(label_text(window, "curr_top"), QStringLiteral("-"));
    QCOMPARE(label_text(window, "local_top"), QStringLiteral("-"));
    QCOMPARE(label_text(window, "world_top"), QStringLiteral("-"));
    const QByteArray rewritten = read_file(home.save_path());
    QVERIFY(rewritten.contains("<tosend>0</tosend>"));
    QVERIFY(rewritten.contains("<local_top>0</local_top><world_top>0</world_top>"));
    QVERIFY(rewritten.contains("<ver>1.1</ver>"));
    QVERIFY(rewritten.contains("<fsize>20</fsize>"));
    QCOMPARE(rewritten, save_document(game_state()));
}

void TestMainWindow::genuine_save_file_fills_the_labels()
{
    QByteArray document = kept_score_document(120, 57);
    document.replace("<local_top>-1</local_top>", "<local_top>12</local_top>");
    QVERIFY(write_file(home.save_path(), document));
    Quiverbolt window;
    QCOMPARE(label_text(window, "my_top"), QStringLiteral("120"));
    QCOMPARE(label_text(window, "curr_top"), QStringLiteral("57"));
    QCOMPARE(label_text(window, "local_top"), QStringLiteral("12"));
    QCOMPARE(label_text(window, "world_top"), QStringLiteral("-"));
    QCOMPARE(read_file(home.save_path()), document); // a genuine file is not rewritten
}

void TestMainWindow::tip_view_hidden_after_start_even_with_a_stored_message()
{
    QByteArray document = kept_score_document(3, 3);
    document.replace("<message></message>", "<message>Top ten!</message>");
    QVERIFY(write_file(home.save_path(), document));
    Quiverbolt window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(game_state().message, QStringLiteral("Top ten!"));
    QVERIFY(!window.findChild<QPushButton *>(QStringLiteral("tip_view"))->isVisible());
    QVERIFY(window.findChild<QPushButton *>(QStringLiteral("tip_label"))->isVisible());
}

void TestMainWindow::no_tick_runs_during_construction()
{
    QVERIFY(write_file(home.save_path(), kept_score_document(0, 0)));
    Quiverbolt window;
    QCOMPARE(game_state().sec, 0.0);
    QCOMPARE(label_text(window, "tlabel"), QStringLiteral("10 sec."));
    auto *timer = window.findChild<QTimer *>();
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 200);
    // The first tick comes from the event loop.
    QTRY_COMPARE(label_text(window, "tlabel"), QStringLiteral("0 sec."));
    QVERIFY(game_state().sec > 0.0);
}

void TestMainWindow::ticks_show_whole_seconds_and_the_power()
{
    QVERIFY(write_file(home.save_path(), kept_score_document(0, 0)));
    Quiverbolt window;
    window.findChild<QTimer *>()->stop();
    game_state().shake_window[0] = 12.9f;
    for (int tick = 0; tick < 10; ++tick)
        window.set_score();
    // Ten additions of 0.2 fall just short of 2.
    QCOMPARE(label_text(window, "tlabel"), QStringLiteral("1 sec."));
    QCOMPARE(label_text(window, "curr_score"), QStringLiteral("12"));
}

void TestMainWindow::tapping_the_counter_keeps_the_score_data()
{
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("power");
    QTest::addColumn<QString>("shown_record");
    QTest::addColumn<QString>("tip");

    const QString record_tip =
        QStringLiteral("Wow! Now you can submit\nyour record to the Rating.");
    const QString score_tip = QStringLiteral("Ok! Now you can submit\nyour score to the Rating.");
    QTest::newRow("power 0") << 5 << 0 << "5" << score_tip;
    QTest::newRow("equal to the record") << 40 << 40 << "40" << score_tip;
    QTest::newRow("one above the record") << 40 << 41 << "41" << record_tip;
}

void TestMainWindow::tapping_the_counter_keeps_the_score()
{
    QFETCH(int, record);
    QFETCH(int, power);
    QFETCH(QString, shown_record);
    QFETCH(QString, tip);

    QVERIFY(write_file(home.save_path(), kept_score_document(record, record)));
    Quiverbolt window;
    window.findChild<QTimer *>()->stop();
    game_state().power = power;
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("curr_score")),
                      Qt::LeftButton);

    QCOMPARE(label_text(window, "curr_top"), QString::number(power));
    QCOMPARE(label_text(window, "my_top"), shown_record);
    QCOMPARE(label_text(window, "tip_label"), tip);
    GameState saved;
    const LoadedSave loaded = load_document(read_file(home.save_path()), saved);
    QVERIFY(!loaded.key_rejected);
    QCOMPARE(saved.current_top, power);
    QCOMPARE(QString::number(saved.your_top), shown_record);
}

void TestMainWindow::restart_keeps_a_zero_score()
{
    QVERIFY(write_file(home.save_path(), kept_score_document(70, 70)));
    Quiverbolt window;
    window.findChild<QTimer *>()->stop();
    game_state().shake_window.fill(3.0f);
    window.set_score();
    QVERIFY(label_text(window, "curr_score") != QStringLiteral("0"));

    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("pushButton_2")),
                      Qt::LeftButton);
    QCOMPARE(label_text(window, "curr_score"), QStringLiteral("0"));
    QCOMPARE(label_text(window, "curr_top"), QStringLiteral("0"));
    QCOMPARE(label_text(window, "my_top"), QStringLiteral("70"));
    QCOMPARE(label_text(window, "tip_label"),
             QStringLiteral("Ok! Now you can submit\nyour score to the Rating."));
    const QByteArray saved = read_file(home.save_path());
    QVERIFY(saved.contains("<current_top>0</current_top><your_top>70</your_top>"));
    QVERIFY(key_is_genuine(game_state().key, key_text(70, 0)));
}

void TestMainWindow::failed_save_shows_save_failed()
{
    QVERIFY(write_file(home.save_path(), kept_score_document(9, 9)));
    Quiverbolt window;
    window.findChild<QTimer *>()->stop();
    // A folder where the save file should be: no writer can replace it.
    QVERIFY(QFile::remove(home.save_path()));
    QVERIFY(QDir().mkpath(home.save_path() + QStringLiteral("/blocker")));
    game_state().power = 4;
    window.set_top();
    QCOMPARE(label_text(window, "tip_label"), QStringLiteral("save failed"));
    QCOMPARE(game_state().current_top, 4);
    QVERIFY(QDir(home.save_path()).removeRecursively());
}

void TestMainWindow::font_warning_names_the_first_failure_data()
{
    QTest::addColumn<QStringList>("fonts");
    QTest::addColumn<QString>("warning");

    const QString missing = QStringLiteral(":/polices/no-such-font.ttf");
    const QString garbage = QFINDTESTDATA("tst_mainwindow.cpp"); // any file that is not a font
    const QString footlight = QStringLiteral(":/polices/footlight.ttf");
    const QString arial = QStringLiteral(":/polices/arial_rounded_b.ttf");
    const QString load = QStringLiteral("Cannot load font \u00ab arial_rounded \u00bb.");
    const QString install = QStringLiteral("Cannot install font \u00ab arial_rounded \u00bb.");

    QTest::newRow("both installed") << QStringList{footlight, arial} << QString();
    QTest::newRow("both missing") << QStringList{missing, missing} << load;
    QTest::newRow("first refused, second installed") << QStringList{garbage, arial} << install;
    QTest::newRow("first missing, second refused") << QStringList{missing, garbage} << load;
    QTest::newRow("first refused, second missing") << QStringList{garbage, missing} << install;
}

void TestMainWindow::font_warning_names_the_first_failure()
{
    QFETCH(QStringList, fonts);
    QFETCH(QString, warning);
    QCOMPARE(install_application_fonts(fonts), warning);
}

void TestMainWindow::rendered_window_shows_white_screen_magenta_counter_and_logo()
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QSKIP("needs a real X server");
    QVERIFY(write_file(home.save_path(), kept_score_document(0, 0)));
    Quiverbolt window;
    window.findChild<QTimer *>()->stop();
    window.findChild<QPushButton *>(QStringLiteral("curr_score"))->setText(QStringLiteral("888"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.size(), QSize(800, 423));

    QCOMPARE(QColor(shot.pixel(5, 185)), QColor(255, 255, 255)); // between captions and counter

    const QColor magenta(184, 1, 169);
    int magenta_pixels = 0;
    for (int y = 190; y < 361; ++y)
        for (int x = 0; x < 800; ++x)
            magenta_pixels += QColor(shot.pixel(x, y)) == magenta;
    QVERIFY2(magenta_pixels > 2000, qPrintable(QString::number(magenta_pixels)));

    // The logo fills its view: coloured lettering, no frame or scroll bars over it.
    auto *view = window.findChild<QGraphicsView *>(QStringLiteral("graphicsView"));
    QVERIFY(!view->horizontalScrollBar()->isVisible());
    QVERIFY(!view->verticalScrollBar()->isVisible());
    const QRect logo(296, 19, 209, 45);
    int coloured = 0;
    for (int y = logo.top(); y <= logo.bottom(); ++y)
        for (int x = logo.left(); x <= logo.right(); ++x)
            coloured += QColor(shot.pixel(x, y)).saturation() > 128;
    QVERIFY2(coloured > 200, qPrintable(QString::number(coloured)));
}

void TestMainWindow::refusing_the_terms_ends_the_real_program_without_a_file_data()
{
    QTest::addColumn<QStringList>("xdotool");
    // "No" sits at the dialog's bottom left.
    QTest::newRow("No") << QStringList{QStringLiteral("mousemove"), QStringLiteral("--window"),
                                       QStringLiteral("%1"),        QStringLiteral("150"),
                                       QStringLiteral("300"),       QStringLiteral("click"),
                                       QStringLiteral("1")};
    QTest::newRow("Escape") << QStringList{QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                                           QStringLiteral("%1"), QStringLiteral("key"),
                                           QStringLiteral("Escape")};
}

void TestMainWindow::refusing_the_terms_ends_the_real_program_without_a_file()
{
    QFETCH(QStringList, xdotool);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X server");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xdotool is not installed");

    TestHome child_home;
    QProcess game;
    QProcessEnvironment env = child_home.environment();
    game.setProcessEnvironment(env);
    game.start(QStringLiteral(QUIVERBOLT_BINARY), QStringList());
    QVERIFY(game.waitForStarted());

    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--sync"),
                  QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                  QString::number(game.processId()), QStringLiteral("--name"),
                  QStringLiteral("User License Agreement")});
    QVERIFY(search.waitForFinished(20000));
    const QString window_id =
        QString::fromLatin1(search.readAllStandardOutput()).split('\n').first();
    QVERIFY2(!window_id.isEmpty(), "the terms dialog did not appear");

    QStringList arguments;
    for (const QString &argument : xdotool)
        arguments << (argument == QLatin1String("%1") ? window_id : argument);
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);

    QVERIFY(game.waitForFinished(20000));
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 0);
    QVERIFY(!QFile::exists(child_home.save_path()));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
