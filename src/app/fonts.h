// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// The two application fonts, in the order they are installed.
QStringList application_font_paths();

// Installs each font file into the application's font database. Returns the
// warning for the first font that could not be opened or was refused, or an
// empty text when all were installed. Whichever font failed, the warning
// names "arial_rounded": the player sees one short note, not a file name.
QString install_application_fonts(const QStringList &paths);
