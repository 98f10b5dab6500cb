// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A home folder of a test's own, so that the save file lands in a private
// documents folder. It changes no environment by itself: a child program
// gets environment(); a test that runs the game in its own process calls
// make_current() before anything asks for the save file's path, which is
// fixed for the rest of the process.
class TestHome
{
public:
    // With create_documents false the documents folder does not exist.
    explicit TestHome(bool create_documents = true);

    QString home() const { return dir.path(); }
    QString documents() const;
    QString save_path() const;

    // This process's environment with HOME and the XDG folders in this home.
    QProcessEnvironment environment() const;
    // Puts the same variables into this process's own environment.
    void make_current() const;

private:
    QTemporaryDir dir;
};
