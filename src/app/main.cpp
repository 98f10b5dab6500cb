// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/quiverbolt.h"
#include "app/resources.h"

#include "constants.h"

#include <QApplication>

int main(int argc, char **argv)
{
    init_resources();
    QApplication app(argc, argv);
    // The stand-in accelerometer ships in a folder of the game's own, so that
    // no other Qt program sees it. Qt skips the folder where it does not exist.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                     QLatin1String(quiverbolt::plugin_dir_from_binary));
    Quiverbolt window;
    window.show();
    return app.exec();
}
