// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

// Keeps a window in landscape orientation. Phones need this; a desktop
// window has no orientation, so there it does nothing.
void lock_landscape(QWidget *window);
