// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

class QUrl;
struct GameState;

// The rating request's body: "xml=" followed by at most the first 4096
// bytes of the file at path, cut at the first NUL, unescaped. "xml=" alone
// when the file cannot be opened.
QByteArray request_body(const QString &save_path);

// Label texts that a rating reply asks the window to show.
struct ReplyShown
{
    QString local_text;      // text for the local_top label
    QString world_text;      // text for the world_top label
    bool show_local = false; // the stored local place is above 0
    bool show_world = false; // the stored world place is above 0
};

// Reads a rating reply body (UTF-8 up to its first NUL, XML with
// local_top, world_top, message, hiperlink and fsize at any depth) into
// state. Never fails: what cannot be read leaves the fields as they were.
ReplyShown apply_reply(const QByteArray &body, GameState &state);

// Whether a link from a reply may be handed to the desktop: http and https only.
bool is_openable_link(const QUrl &url);
