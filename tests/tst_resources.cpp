// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT

#include "app/resources.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImageReader>
#include <QtTest>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { init_resources(); }

    void image_has_its_format_and_size_data();
    void image_has_its_format_and_size();
    void desktop_entry_is_exact();
    void font_provides_its_family_data();
    void font_provides_its_family();
};

void TestResources::image_has_its_format_and_size_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");

    QTest::newRow("logo") << ":/images/logo.gif" << QByteArray("gif") << QSize(209, 45);
    QTest::newRow("window icon") << ":/images/icon.png" << QByteArray("png") << QSize(64, 64);
    QTest::newRow("launcher icon")
        << ":/maemofiles/quiverbolt.png" << QByteArray("png") << QSize(48, 48);
}

void TestResources::image_has_its_format_and_size()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);

    QVERIFY(QFile::exists(path));
    // The reader guesses from the data alone, as the game's pixmap loading does.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), format);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
}

void TestResources::desktop_entry_is_exact()
{
    QFile file(QStringLiteral(":/maemofiles/quiverbolt.desktop"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected = "[Desktop Entry]\r\n"
                                "Encoding=UTF-8\r\n"
                                "Version=1.1\r\n"
                                "Type=Application\r\n"
                                "Name=QuiverBolt\r\n"
                                "Comment=Move your phone!\r\n"
                                "Exec=/opt/quiverbolt/bin/quiverbolt\r\n"
                                "Icon=quiverbolt\r\n";
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, expected);
    QCOMPARE(bytes.size(), 161);
}

void TestResources::font_provides_its_family_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("family");

    QTest::newRow("counter font") << ":/polices/footlight.ttf"
                                  << "Footlight MT Light";
    QTest::newRow("label font") << ":/polices/arial_rounded_b.ttf"
                                << "Arial Rounded MT Bold";
}

void TestResources::font_provides_its_family()
{
    QFETCH(QString, path);
    QFETCH(QString, family);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const int id = QFontDatabase::addApplicationFontFromData(file.readAll());
    QVERIFY(id != -1);
    QCOMPARE(QFontDatabase::applicationFontFamilies(id), QStringList{family});

    // A widget that asks for the family by name gets this font, not a fallback.
    QFont font(family, 30);
    QCOMPARE(QFontInfo(font).family(), family);
    QVERIFY(QFontDatabase().isScalable(family));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
