// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/fonts.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>

QStringList application_font_paths()
{
    return {QStringLiteral(":/polices/footlight.ttf"),
            QStringLiteral(":/polices/arial_rounded_b.ttf")};
}

QString install_application_fonts(const QStringList &paths)
{
    QString warning;
    for (const QString &path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (warning.isEmpty()) {
                warning = QCoreApplication::translate("Quiverbolt", "Cannot load font ") +
                          QChar(0x00AB) + QStringLiteral(" arial_rounded ") + QChar(0x00BB) +
                          QStringLiteral(".");
            }
            continue;
        }
        if (QFontDatabase::addApplicationFontFromData(file.readAll()) == -1 && warning.isEmpty()) {
            warning = QCoreApplication::translate("Quiverbolt", "Cannot install font ") +
                      QChar(0x00AB) + QStringLiteral(" arial_rounded ") + QChar(0x00BB) +
                      QStringLiteral(".");
        }
    }
    return warning;
}
