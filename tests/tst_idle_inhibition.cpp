// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/idleinhibition.h"

#include <QtTest>

Q_DECLARE_METATYPE(IdleInhibitStep)

class TestIdleInhibition : public QObject
{
    Q_OBJECT

private slots:
    void step_follows_power_display_and_mce_data()
    {
        QTest::addColumn<bool>("mce_present");
        QTest::addColumn<bool>("display_on");
        QTest::addColumn<int>("power");
        QTest::addColumn<bool>("held");
        QTest::addColumn<IdleInhibitStep>("step");

        using Step = IdleInhibitStep;
        QTest::newRow("shaking starts") << false << true << 1 << false << Step::take;
        QTest::newRow("shaking goes on") << false << true << 250 << true << Step::keep;
        QTest::newRow("power back to zero") << false << true << 0 << true << Step::give_back;
        QTest::newRow("still phone") << false << true << 0 << false << Step::keep;
        QTest::newRow("display goes off while shaking")
            << false << false << 40 << true << Step::give_back;
        QTest::newRow("shaking with the display off")
            << false << false << 40 << false << Step::keep;
        QTest::newRow("display back on while shaking")
            << false << true << 40 << false << Step::take;
        QTest::newRow("MCE keeps the screen on itself")
            << true << true << 40 << false << Step::keep;
        QTest::newRow("MCE turns up while one is held")
            << true << true << 40 << true << Step::give_back;
        QTest::newRow("MCE and a still phone") << true << true << 0 << false << Step::keep;
    }

    void step_follows_power_display_and_mce()
    {
        QFETCH(bool, mce_present);
        QFETCH(bool, display_on);
        QFETCH(int, power);
        QFETCH(bool, held);
        QFETCH(IdleInhibitStep, step);
        QCOMPARE(idle_inhibit_step(mce_present, display_on, power, held), step);
    }
};

QTEST_GUILESS_MAIN(TestIdleInhibition)
#include "tst_idle_inhibition.moc"
