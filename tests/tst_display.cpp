// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "game/display.h"
#include "game/gamestate.h"

#include <QtTest>

Q_DECLARE_METATYPE(DisplayChange)

class TestDisplay : public QObject
{
    Q_OBJECT

private slots:
    void reports_pause_and_resume_only_on_a_change_data()
    {
        QTest::addColumn<int>("display_on");
        QTest::addColumn<QString>("report");
        QTest::addColumn<DisplayChange>("change");
        QTest::addColumn<int>("display_on_after");

        QTest::newRow("off while on pauses") << 1 << "off" << DisplayChange::Pause << 0;
        QTest::newRow("on while off resumes") << 0 << "on" << DisplayChange::Resume << 1;
        QTest::newRow("on again changes nothing") << 1 << "on" << DisplayChange::None << 1;
        QTest::newRow("off again changes nothing") << 0 << "off" << DisplayChange::None << 0;
        QTest::newRow("dimmed is ignored") << 1 << "dimmed" << DisplayChange::None << 1;
        QTest::newRow("case matters") << 1 << "OFF" << DisplayChange::None << 1;
        QTest::newRow("empty is ignored") << 0 << "" << DisplayChange::None << 0;
    }

    void reports_pause_and_resume_only_on_a_change()
    {
        QFETCH(int, display_on);
        QFETCH(QString, report);
        GameState state;
        state.display_on = display_on;
        state.power = 7;
        state.sec = 3.4;

        QTEST(display_changed(state, report), "change");
        QTEST(state.display_on, "display_on_after");
        QCOMPARE(state.power, 7);
        QCOMPARE(state.sec, 3.4);
    }

    void off_then_on_pauses_once_and_resumes_once()
    {
        GameState state;
        QList<DisplayChange> changes;
        for (const char *report : {"on", "off", "off", "dimmed", "on", "on"})
            changes << display_changed(state, QLatin1String(report));
        QCOMPARE(changes, (QList<DisplayChange>{DisplayChange::Resume, DisplayChange::Pause,
                                                DisplayChange::None, DisplayChange::None,
                                                DisplayChange::Resume, DisplayChange::None}));
    }
};

QTEST_GUILESS_MAIN(TestDisplay)
#include "tst_display.moc"
