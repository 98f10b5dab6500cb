// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/resources.h"

#include <QtGlobal>

void init_resources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(quiverbolt);
        return true;
    }();
    Q_UNUSED(done)
}
