// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct Run
{
    int exit_code = -1; // -1 when the program crashed or timed out
    QByteArray output;  // standard output and error, interleaved
};

// Runs program to its end and collects what it printed.
Run run(const QString &program, const QStringList &arguments, int timeout_ms = 30000);
