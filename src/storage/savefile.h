// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QIODevice;
struct GameState;

// The save file's path: "quiverbolt.save" in the documents folder, worked
// out once and fixed for the whole run.
QString save_file_path();

// The document that save_xml writes for a state, byte for byte.
QByteArray save_document(const GameState &state);

// The fixed document that a first start writes after the terms are accepted.
QByteArray first_run_document();

// Replaces the file at path with document atomically: the path always holds
// either the old or the new complete document. False when anything failed,
// in which case the old file is untouched.
bool write_save_file(const QString &path, const QByteArray &document);

// What the loader read that the window shows.
struct LoadedSave
{
    std::optional<QString> local_top_text; // label text for local_top, when the element was read
    std::optional<QString> world_top_text; // label text for world_top, when the element was read
    QString record_text;                   // text for my_top
    QString score_text;                    // text for curr_top
    bool key_rejected = false;             // the tops were zeroed: the file must be rewritten
};

// Reads a save file from an open device into state and checks the record
// key. Stops at the first XML error; never fails. A document type declaration,
// nesting deeper than 256 elements, a tag beyond 4 KiB or with more than 32
// attributes and a text, comment or element text beyond 1 MiB count as errors, so that no file costs more than a
// few megabytes to read.
LoadedSave read_save(QIODevice *device, GameState &state);
