// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>

// Answers the next modal dialog once the event loop runs again: checks that
// it is a kind (a QDialog unless said otherwise), lets fill() fill it in, then
// presses its push button named button. A dialog of another kind, or one
// without that button, fails the test instead of hanging it; a dialog of
// another kind is accepted rather than refused, since refusing the terms
// dialog would end the test process with status 0.
void answer_next_modal(const char *button, const std::function<void(QDialog &)> &fill = {},
                       const QMetaObject &kind = QDialog::staticMetaObject);
