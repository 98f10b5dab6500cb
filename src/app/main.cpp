// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/quiverbolt.h"
#include "app/resources.h"

#include <QApplication>

int main(int argc, char **argv)
{
    init_resources();
    QApplication app(argc, argv);
    Quiverbolt window;
    window.show();
    return app.exec();
}
