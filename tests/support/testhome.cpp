// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "support/testhome.h"

#include <QDir>

namespace {

// The variables that decide where the desktop's folders are, with their
// place below the home folder ("" is the home folder itself).
constexpr struct
{
    const char *variable;
    const char *below_home;
} home_variables[] = {
    {"HOME", ""},
    {"XDG_CONFIG_HOME", "/.config"},
    {"XDG_DATA_HOME", "/.local/share"},
    {"XDG_CACHE_HOME", "/.cache"},
};

} // namespace

TestHome::TestHome(bool create_documents)
{
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

QProcessEnvironment TestHome::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto &entry : home_variables)
        environment.insert(QLatin1String(entry.variable),
                           dir.path() + QLatin1String(entry.below_home));
    return environment;
}

void TestHome::make_current() const
{
    for (const auto &entry : home_variables)
        qputenv(entry.variable, (dir.path() + QLatin1String(entry.below_home)).toLocal8Bit());
}
