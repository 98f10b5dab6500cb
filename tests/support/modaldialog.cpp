// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/modaldialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

void answer_next_modal(const char *button, const std::function<void(QDialog &)> &fill,
                       const QMetaObject &kind)
{
    QTimer::singleShot(0, [button, fill, &kind] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        QWidget *modal = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<QDialog *>(kind.cast(modal));
        if (!dialog) {
            const QString failure = QStringLiteral("a %1 came up instead of a %2")
                                        .arg(QLatin1String(modal->metaObject()->className()),
                                             QLatin1String(kind.className()));
            // Never rejected: refusing the terms dialog ends the process with
            // status 0, which would count as a pass.
            if (auto *other = qobject_cast<QDialog *>(modal))
                other->accept();
            else
                modal->close();
            QFAIL(qPrintable(failure));
        }
        if (fill)
            fill(*dialog);
        auto *target = dialog->findChild<QPushButton *>(QLatin1String(button));
        if (!target) {
            dialog->reject();
            QFAIL(qPrintable(QStringLiteral("the %1 has no button %2")
                                 .arg(QLatin1String(kind.className()), QLatin1String(button))));
        }
        QTest::mouseClick(target, Qt::LeftButton);
    });
}
