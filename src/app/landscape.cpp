// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/landscape.h"

#include <QtGlobal>

void lock_landscape(QWidget *window)
{
    // Qt 5 on the desktop has no orientation lock; a phone port sets its
    // platform's landscape lock on the window here.
    Q_UNUSED(window)
}
