// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Prints the folder that the game keeps its save file in, as the game itself
// works it out for this environment, so that a launcher can create it: the
// game never creates it.
#include "storage/savefile.h"

#include <QFileInfo>

#include <cstdio>

int main()
{
    const QString folder = QFileInfo(save_file_path()).absolutePath();
    std::printf("%s\n", folder.toLocal8Bit().constData());
    return 0;
}
