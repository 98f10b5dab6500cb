// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "support/runprogram.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QProcessEnvironment>
#include <QString>
#include <QtTest>

// Checks that must each run in a process of their own (Qt Sensors settles
// its backends once per process): the test program runs itself again as
// "--check KIND CHECK", where KIND says which application object the check
// needs, "core" (QCoreApplication) or "gui" (QGuiApplication or QApplication).

// Adds a data row (kind, check) for every test function of a checks class.
void add_check_rows(const QString &kind, const QMetaObject &checks);

// Runs this test program again for one check, in the given environment.
Run run_check(const QString &kind, const QString &check, const QProcessEnvironment &environment);

// In a program started by run_check: runs the one check asked for and
// returns its exit status. Anywhere else: -1. Gui checks run under GuiApp
// (a QApplication for checks that make widgets).
template <typename CoreChecks, typename GuiChecks, typename GuiApp = QGuiApplication>
int run_check_if_asked(int argc, char **argv)
{
    if (argc != 4 || qstrcmp(argv[1], "--check") != 0)
        return -1;
    int app_argc = 1;
    char *check_argv[] = {argv[0], argv[3]};
    if (qstrcmp(argv[2], "gui") == 0) {
        GuiApp app(app_argc, argv);
        GuiChecks checks;
        return QTest::qExec(&checks, 2, check_argv);
    }
    QCoreApplication app(app_argc, argv);
    CoreChecks checks;
    return QTest::qExec(&checks, 2, check_argv);
}
