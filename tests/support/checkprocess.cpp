// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/checkprocess.h"

#include <QMetaMethod>

void add_check_rows(const QString &kind, const QMetaObject &checks)
{
    for (int i = checks.methodOffset(); i < checks.methodCount(); ++i) {
        const QMetaMethod method = checks.method(i);
        const QString name = QString::fromLatin1(method.name());
        if (method.methodType() == QMetaMethod::Slot && !name.endsWith(QLatin1String("_data")))
            QTest::newRow(qPrintable(name)) << kind << name;
    }
}

Run run_check(const QString &kind, const QString &check, const QProcessEnvironment &environment)
{
    return run(QCoreApplication::applicationFilePath(), {QStringLiteral("--check"), kind, check},
               120000, environment);
}
