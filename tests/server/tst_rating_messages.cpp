// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Every message of the rating server shows whole on the game's link button.

#include "rating/reply.h"
#include "ui_quiverboltform.h"

#include <QMainWindow>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(Rejection)

// The game's main window form on a stand-in host with the slots it connects to.
class FormHost : public QMainWindow
{
    Q_OBJECT

public:
    Ui::QuiverboltForm form;

public slots:
    void set_top() {}
    void restart() {}
    void submit_dialog() {}
    void get_url() {}
};

class TestRatingMessages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void message_fits_the_link_button_data();
    void message_fits_the_link_button();

private:
    FormHost host;
};

void TestRatingMessages::initTestCase()
{
    host.form.setupUi(&host);
}

void TestRatingMessages::message_fits_the_link_button_data()
{
    QTest::addColumn<QString>("message");
    // Places of up to seven digits: a rating of ten million players.
    for (const int place : {1, 12, 9999, 1234567, 7777777}) {
        Standing standing;
        standing.world_place = place;
        standing.improved = true;
        const QString better = accepted_reply(standing, QStringLiteral("http://h/")).message;
        QTest::newRow(qPrintable(better)) << better;
        standing.improved = false;
        const QString stays = accepted_reply(standing, QStringLiteral("http://h/")).message;
        QTest::newRow(qPrintable(stays)) << stays;
    }
    for (int why = int(Rejection::unreadable); why <= int(Rejection::value_too_high); ++why) {
        const QString message = rejected_reply(static_cast<Rejection>(why)).message;
        QTest::newRow(qPrintable(message)) << message;
    }
    QTest::newRow("unavailable") << unavailable_reply().message;
    QTest::newRow("too large") << too_large_reply().message;
    QTest::newRow("rate limited") << rate_limited_reply().message;
    QTest::newRow("banned") << banned_reply().message;
}

void TestRatingMessages::message_fits_the_link_button()
{
    QFETCH(QString, message);
    QPushButton *button = host.form.tip_view;
    button->setText(message);
    QVERIFY(!message.isEmpty());
    QVERIFY2(button->sizeHint().width() <= button->width(),
             qPrintable(QStringLiteral("%1 px wide, the button %2 px")
                            .arg(button->sizeHint().width())
                            .arg(button->width())));
}

QTEST_MAIN(TestRatingMessages)
#include "tst_rating_messages.moc"
