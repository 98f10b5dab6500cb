// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Saving and loading a typical save file: the document build, the atomic
// write, the window's save_xml as a tap runs it, and the loader.
#include "app/quiverbolt.h"
#include "benchfixture.h"
#include "game/gamestate.h"
#include "storage/savefile.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class bench_savefile : public QObject
{
    Q_OBJECT

private slots:
    void build_document();
    void write_document_atomically();
    void window_save_xml();
    void read_typical_save_data();
    void read_typical_save();
    void load_typical_save_file();
};

void bench_savefile::build_document()
{
    const GameState state = typical_state();
    QByteArray document;
    QBENCHMARK
    {
        document = save_document(state);
    }
    QVERIFY(document.startsWith("<quiverbolt_data>"));
}

void bench_savefile::write_document_atomically()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("quiverbolt.save"));
    const QByteArray document = save_document(typical_state());
    bool written = true;
    QBENCHMARK
    {
        written = write_save_file(path, document) && written;
    }
    QVERIFY(written);
}

void bench_savefile::window_save_xml()
{
    game_state() = typical_state();
    Quiverbolt window;
    game_state() = typical_state();
    const QString tip_text =
        window.findChild<QWidget *>(QStringLiteral("tip_label"))->property("text").toString();
    QBENCHMARK
    {
        window.save_xml();
    }
    // "save failed" would show on the hint line.
    QCOMPARE(window.findChild<QWidget *>(QStringLiteral("tip_label"))->property("text").toString(),
             tip_text);
}

void bench_savefile::read_typical_save_data()
{
    QTest::addColumn<QByteArray>("document");

    QTest::newRow("typical") << save_document(typical_state());
    QTest::newRow("first run") << first_run_document();
}

void bench_savefile::read_typical_save()
{
    QFETCH(QByteArray, document);

    GameState state;
    QBENCHMARK
    {
        QBuffer buffer(&document);
        buffer.open(QIODevice::ReadOnly);
        state = GameState{};
        read_save(&buffer, state);
    }
    QCOMPARE(save_document(state).isEmpty(), false);
}

// As the window's loader does it: open the file, read it, close it.
void bench_savefile::load_typical_save_file()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("quiverbolt.save"));
    QVERIFY(write_save_file(path, save_document(typical_state())));
    GameState state;
    LoadedSave loaded;
    QBENCHMARK
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        state = GameState{};
        loaded = read_save(&file, state);
    }
    QVERIFY(!loaded.key_rejected);
    QCOMPARE(state.your_top, typical_state().your_top);
}

int main(int argc, char **argv)
{
    QuietWindowEnvironment environment;
    if (!environment.is_ready())
        qFatal("cannot prepare a home with a save file");
    QApplication app(argc, argv);
    bench_savefile bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_savefile.moc"
