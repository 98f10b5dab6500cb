// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "storage/savefile.h"

#include <QByteArray>
#include <QString>

struct GameState;

// The file's whole contents; empty when it cannot be read.
QByteArray read_file(const QString &path);

// The file's whole contents, or "(unreadable)" when it cannot be read, so that
// a missing file never passes for an empty one and says so in a failed check.
QByteArray read_file_or_mark(const QString &path);

// Writes bytes as the file's whole contents; false unless every byte reached
// the file system (flushed, so that a full disk shows here and not at close).
bool write_file(const QString &path, const QByteArray &bytes);

// Runs the save-file loader over a document held in memory.
LoadedSave load_document(const QByteArray &document, GameState &state);
