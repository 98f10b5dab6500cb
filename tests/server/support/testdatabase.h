// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Which database the server under test runs on. The suite names its
// databases by SQLite file paths; when QUIVERBOLT_TEST_POSTGRESQL names the
// socket folder of a test PostgreSQL (tests/server/postgresql.sh), each path
// stands for a fresh database of its own there instead.

// True in the PostgreSQL run.
bool testing_postgresql();

// The --database URL for a path: "sqlite:" and the path, or the PostgreSQL
// database made for it on first use (the same one every time after).
QString database_url(const QString &path);

// The PostgreSQL database made for a path, or nothing when none was.
QString postgresql_database_name(const QString &path);

// The socket folder of the test PostgreSQL.
QString postgresql_socket_folder();

// A libpq URI of a database of the test PostgreSQL.
QString postgresql_url(const QString &database_name);

// Makes a new, empty database, owned by owner when given, and gives its
// name; empty on failure.
QString make_postgresql_database(const QString &owner = QString());

// The role of the test PostgreSQL that must give a password, and the password.
constexpr const char *password_role = "rater";
constexpr const char *password_of_role = "shake-it-harder";
