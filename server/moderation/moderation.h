// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "store/store.h"

#include <QStringList>

// The operator's commands: list, remove, ban and unban players. They work on
// the database directly, each change in one transaction, so they are safe
// while servers run on the same database; places move at once.
//
// arguments are the command's own ("quiverbolt-rating list" first);
// default_database is the serve command's default. The exit status.
int run_moderation(const QString &command, const QStringList &arguments,
                   const QString &default_database);

// True for "list", "remove", "ban" and "unban".
bool is_moderation_command(const QString &command);
