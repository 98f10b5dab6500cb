// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "web/html.h"

#include <QIODevice>
#include <QString>

// The terms of use as the game's terms dialog shows them.
struct Terms
{
    QString title; // the dialog's window title
    QString text;  // the terms, lines joined by line feeds
};

// Reads the title and terms text from a Designer form of the terms dialog:
// the dialog's windowTitle and the text of its label "label". Empty fields
// when the form has none.
Terms read_terms_form(QIODevice *form);

// The terms of the game, from the dialog's form built into the server.
const Terms &game_terms();

// The terms page: the same title and wording, line breaks kept.
Html terms_page(const Terms &terms);
