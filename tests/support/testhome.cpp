// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/testhome.h"

#include <QDir>

TestHome::TestHome(bool create_documents)
{
    qputenv("HOME", dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/.local/share")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (dir.path() + QStringLiteral("/.cache")).toLocal8Bit());
    if (create_documents)
        QDir(dir.path()).mkpath(QStringLiteral("Documents"));
}

QString TestHome::documents() const
{
    return dir.path() + QStringLiteral("/Documents");
}

QString TestHome::save_path() const
{
    return documents() + QStringLiteral("/quiverbolt.save");
}
