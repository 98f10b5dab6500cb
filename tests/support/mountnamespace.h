// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// The way into a private mount namespace: plain for root, with a user namespace
// that maps us to root otherwise. Empty, with the reason, when neither works.
QStringList mount_namespace_command(QString &reason);
