// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include "web/html.h"

// The part of the site a page belongs to, marked in its navigation.
enum class Section { men, women, terms, none };

// A whole HTML5 document around a page's main content: title, the shared
// style sheet, and the navigation. Every page lives one folder deep
// (/rating/m, /terms/), so its links start with "../" and work under any
// prefix the server is published at.
Html page_shell(const QString &title, Section section, const Html &content);

// The style sheet of every page, served at /style.css: light and dark from
// the system's preference, one column from phone to desktop.
extern const char style_sheet[];

// The site's icon, an SVG, served at /favicon.svg.
extern const char favicon_svg[];
