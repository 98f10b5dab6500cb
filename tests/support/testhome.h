// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QTemporaryDir>

// Gives the test process a home folder of its own, so that the save file
// lands in a private documents folder. Create it before anything asks for
// the save file's path: that path is fixed for the rest of the process.
class TestHome
{
public:
    // With create_documents false the documents folder does not exist.
    explicit TestHome(bool create_documents = true);

    QString home() const { return dir.path(); }
    QString documents() const;
    QString save_path() const;

private:
    QTemporaryDir dir;
};
