// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT

#include "constants.h"
#include "dialogs/license.h"
#include "game/gamestate.h"
#include "rating/submit.h"
#include "support/urlcatcher.h"
#include "ui_submitform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOption>
#include <QtTest>

namespace {

// Presses a check box the way a finger would: on the box or its text.
void tap_box(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    const QRect area = box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, area.center());
}

// Ends an open dialog the way the row names it.
void answer(QDialog &dialog, const QString &how)
{
    if (how == QLatin1String("escape")) {
        QWidget *focus = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
        QTest::keyClick(focus, Qt::Key_Escape);
    } else if (how == QLatin1String("close")) {
        dialog.close();
    } else {
        auto *button = dialog.findChild<QPushButton *>(how);
        QVERIFY2(button, qPrintable(how));
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { game_state() = GameState{}; }
    void cleanup() { game_state() = GameState{}; }

    void license_shows_terms_data();
    void license_shows_terms();
    void license_answer_data();
    void license_answer();
    void license_link_opens_terms_page_and_stays_open();

    void submit_fills_from_game_state_data();
    void submit_fills_from_game_state();
    void clicking_a_box_flips_its_pair_data();
    void clicking_a_box_flips_its_pair();
    void input_choices_follow_the_boxes_data();
    void input_choices_follow_the_boxes();
    void input_texts_are_the_fields();
    void submit_answer_data();
    void submit_answer();
};

void TestDialogs::license_shows_terms_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("text");

    QTest::newRow("title") << QString() << "User License Agreement";
    QTest::newRow("refuse") << "pushButton"
                            << "No";
    QTest::newRow("accept") << "pushButton_2"
                            << "Yes, agree";
    QTest::newRow("terms") << "label"
                           << "1. Extreme sports activities can be dangerous. Velnora is not\n"
                              "    responsible for your actions. You agree to be solely "
                              "responsible\n"
                              "    for any injure or damages.\n"
                              "\n"
                              "2. You can redistribute this game without code modification.\n"
                              "\n"
                              "3. Press the Agree button only if you have read and agreed with\n"
                              "    terms and conditions:";
    QTest::newRow("link") << "terms_link" << QString::fromLatin1(quiverbolt::terms_url);
}

void TestDialogs::license_shows_terms()
{
    QFETCH(QString, widget);
    QFETCH(QString, text);

    License dialog;
    if (widget.isEmpty()) {
        QCOMPARE(dialog.windowTitle(), text);
        return;
    }
    if (auto *label = dialog.findChild<QLabel *>(widget))
        QCOMPARE(label->text(), text);
    else if (auto *button = dialog.findChild<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
    else
        QFAIL(qPrintable(widget));
}

void TestDialogs::license_answer_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");

    QTest::newRow("yes, agree") << "pushButton_2" << int(QDialog::Accepted);
    QTest::newRow("no") << "pushButton" << int(QDialog::Rejected);
    QTest::newRow("escape") << "escape" << int(QDialog::Rejected);
    QTest::newRow("close window") << "close" << int(QDialog::Rejected);
}

void TestDialogs::license_answer()
{
    QFETCH(QString, how);
    QFETCH(int, result);

    License dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    answer(dialog, how);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), result);
    QVERIFY(!dialog.isVisible());
}

void TestDialogs::license_link_opens_terms_page_and_stays_open()
{
    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open_url");

    License dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("terms_link")),
                      Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));

    QCOMPARE(browser.opened, QList<QUrl>{QUrl(QString::fromLatin1(quiverbolt::terms_url))});
    QCOMPARE(browser.opened.first().path(), QStringLiteral("/terms/"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(finished.count(), 0);
}

void TestDialogs::submit_fills_from_game_state_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("location");
    QTest::addColumn<int>("tosend");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("score");
    QTest::addColumn<QString>("record_text");
    QTest::addColumn<QString>("score_text");
    QTest::addColumn<bool>("record_checked");
    QTest::addColumn<bool>("men_checked");

    QTest::newRow("first run") << ""
                               << "" << 1 << "m" << 0 << 0 << "record ( 0 )"
                               << "score ( 0 )" << true << true;
    QTest::newRow("earlier answers")
        << "Zoë + Bo"
        << "Tromsø & Oslo" << 1 << "m" << 2143 << 987 << "record ( 2143 )"
        << "score ( 987 )" << true << true;
    QTest::newRow("send score") << ""
                                << "" << 2 << "m" << 5 << 3 << "record ( 5 )"
                                << "score ( 3 )" << false << true;
    QTest::newRow("send neither") << ""
                                  << "" << 0 << "m" << 0 << 0 << "record ( 0 )"
                                  << "score ( 0 )" << false << true;
    QTest::newRow("women") << ""
                           << "" << 1 << "w" << 0 << 0 << "record ( 0 )"
                           << "score ( 0 )" << true << false;
    QTest::newRow("no sex stored") << ""
                                   << "" << 1 << "" << 0 << 0 << "record ( 0 )"
                                   << "score ( 0 )" << true << false;
    QTest::newRow("men in capitals") << ""
                                     << "" << 2 << "M" << 0 << 0 << "record ( 0 )"
                                     << "score ( 0 )" << false << false;
}

void TestDialogs::submit_fills_from_game_state()
{
    QFETCH(QString, name);
    QFETCH(QString, location);
    QFETCH(int, tosend);
    QFETCH(QString, sex);
    QFETCH(int, record);
    QFETCH(int, score);
    QFETCH(QString, record_text);
    QFETCH(QString, score_text);
    QFETCH(bool, record_checked);
    QFETCH(bool, men_checked);

    GameState &state = game_state();
    state.name = name;
    state.location = location;
    state.tosend = tosend;
    state.sex = sex;
    state.your_top = record;
    state.current_top = score;

    Submit dialog(game_state());
    QCOMPARE(dialog.form->lineEdit_3->text(), name);
    QCOMPARE(dialog.form->lineEdit_2->text(), location);
    QCOMPARE(dialog.form->recBox->text(), record_text);
    QCOMPARE(dialog.form->scoBox->text(), score_text);
    QCOMPARE(dialog.form->recBox->isChecked(), record_checked);
    QCOMPARE(dialog.form->scoBox->isChecked(), !record_checked);
    QCOMPARE(dialog.form->menBox->isChecked(), men_checked);
    QCOMPARE(dialog.form->womBox->isChecked(), !men_checked);
    // Filling the dialog leaves the stored answers alone.
    QCOMPARE(state.tosend, tosend);
    QCOMPARE(state.sex, sex);
}

void TestDialogs::clicking_a_box_flips_its_pair_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("record_checked");
    QTest::addColumn<bool>("men_checked");
    QTest::addColumn<int>("tosend");
    QTest::addColumn<QString>("sex");

    // The dialog opens with the record and the men's rating chosen.
    QTest::newRow("checked record box") << "recBox" << false << true << 2 << "m";
    QTest::newRow("unchecked score box") << "scoBox" << false << true << 2 << "m";
    QTest::newRow("checked men box") << "menBox" << true << false << 1 << "w";
    QTest::newRow("unchecked women box") << "womBox" << true << false << 1 << "w";
}

void TestDialogs::clicking_a_box_flips_its_pair()
{
    QFETCH(QString, box);
    QFETCH(bool, record_checked);
    QFETCH(bool, men_checked);
    QFETCH(int, tosend);
    QFETCH(QString, sex);

    Submit dialog(game_state());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *target = dialog.findChild<QCheckBox *>(box);
    QVERIFY(target);
    const SubmitForm &form = *dialog.form;

    tap_box(target);
    QCOMPARE(form.recBox->isChecked(), record_checked);
    QCOMPARE(form.scoBox->isChecked(), !record_checked);
    QCOMPARE(form.menBox->isChecked(), men_checked);
    QCOMPARE(form.womBox->isChecked(), !men_checked);
    QCOMPARE(dialog.input_tosend(), tosend);
    QCOMPARE(dialog.input_sex(), sex);

    tap_box(target);
    QVERIFY(form.recBox->isChecked());
    QVERIFY(!form.scoBox->isChecked());
    QVERIFY(form.menBox->isChecked());
    QVERIFY(!form.womBox->isChecked());
    QCOMPARE(dialog.input_tosend(), 1);
    QCOMPARE(dialog.input_sex(), QStringLiteral("m"));

    // The choices stay in the dialog until the submission reads them.
    QCOMPARE(game_state().tosend, 1);
    QCOMPARE(game_state().sex, QStringLiteral("m"));
}

void TestDialogs::input_choices_follow_the_boxes_data()
{
    QTest::addColumn<bool>("record");
    QTest::addColumn<bool>("score");
    QTest::addColumn<bool>("men");
    QTest::addColumn<bool>("women");
    QTest::addColumn<int>("tosend");
    QTest::addColumn<QString>("sex");

    QTest::newRow("record, men") << true << false << true << false << 1 << "m";
    QTest::newRow("score, women") << false << true << false << true << 2 << "w";
    QTest::newRow("both checked") << true << true << true << true << 1 << "m";
    // Unreachable by clicking, but the answers still have a defined meaning.
    QTest::newRow("none checked") << false << false << false << false << 0 << "m";
}

void TestDialogs::input_choices_follow_the_boxes()
{
    QFETCH(bool, record);
    QFETCH(bool, score);
    QFETCH(bool, men);
    QFETCH(bool, women);
    QFETCH(int, tosend);
    QFETCH(QString, sex);

    Submit dialog(game_state());
    dialog.form->recBox->setChecked(record);
    dialog.form->scoBox->setChecked(score);
    dialog.form->menBox->setChecked(men);
    dialog.form->womBox->setChecked(women);
    QCOMPARE(dialog.input_tosend(), tosend);
    QCOMPARE(dialog.input_sex(), sex);
}

void TestDialogs::input_texts_are_the_fields()
{
    game_state().name = QStringLiteral("Old");
    Submit dialog(game_state());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    dialog.form->lineEdit_3->clear();
    QTest::keyClicks(dialog.form->lineEdit_3, QStringLiteral("Ann+Bo"));
    QTest::keyClicks(dialog.form->lineEdit_2, QStringLiteral("Rome & Co"));
    QCOMPARE(dialog.input_name(), QStringLiteral("Ann+Bo"));
    QCOMPARE(dialog.input_location(), QStringLiteral("Rome & Co"));
    QCOMPARE(game_state().name, QStringLiteral("Old"));
}

void TestDialogs::submit_answer_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");

    QTest::newRow("OK") << "pushButton" << int(QDialog::Accepted);
    QTest::newRow("Cancel") << "pushButton_2" << int(QDialog::Rejected);
    QTest::newRow("escape") << "escape" << int(QDialog::Rejected);
    QTest::newRow("close window") << "close" << int(QDialog::Rejected);
}

void TestDialogs::submit_answer()
{
    QFETCH(QString, how);
    QFETCH(int, result);

    Submit dialog(game_state());
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    answer(dialog, how);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), result);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
