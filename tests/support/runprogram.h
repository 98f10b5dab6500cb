// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct Run
{
    int exit_code = -1; // -1 when the program crashed or timed out
    QByteArray output;  // standard output and error, interleaved
};

// Runs program to its end and collects what it printed. Without an
// environment it inherits this process's own.
Run run(const QString &program, const QStringList &arguments, int timeout_ms = 30000,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
