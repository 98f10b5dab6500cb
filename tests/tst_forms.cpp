// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT

#include "app/resources.h"
#include "ui_licenseform.h"
#include "ui_quiverboltform.h"
#include "ui_submitform.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyleOption>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {

const QLocale en_us(QLocale::English, QLocale::UnitedStates);

constexpr int centred = Qt::AlignCenter;
constexpr int label_default = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int not_a_label = -1;

} // namespace

// Stand-ins for the game's window and dialogs: the same slot names, each
// call noted, so the forms' connections can be checked without the game.
class MainHost : public QMainWindow
{
    Q_OBJECT

public:
    QStringList calls;
    Ui::QuiverboltForm form;

public slots:
    void set_top() { calls << QStringLiteral("set_top()"); }
    void restart() { calls << QStringLiteral("restart()"); }
    void submit_dialog() { calls << QStringLiteral("submit_dialog()"); }
    void get_url() { calls << QStringLiteral("get_url()"); }
};

class SubmitHost : public QDialog
{
    Q_OBJECT

public:
    QStringList calls;
    Ui::SubmitForm form;

public slots:
    void accept() override { calls << QStringLiteral("accept()"); }
    void reject() override { calls << QStringLiteral("reject()"); }
    void rec_unch() { calls << QStringLiteral("rec_unch()"); }
    void sco_unch() { calls << QStringLiteral("sco_unch()"); }
    void men_unch() { calls << QStringLiteral("men_unch()"); }
    void wom_unch() { calls << QStringLiteral("wom_unch()"); }
};

class LicenseHost : public QDialog
{
    Q_OBJECT

public:
    QStringList calls;
    Ui::LicenseForm form;

public slots:
    void accept() override { calls << QStringLiteral("accept()"); }
    void reject() override { calls << QStringLiteral("reject()"); }
    void get_url() { calls << QStringLiteral("get_url()"); }
};

namespace {

// Builds the named form on its stand-in host.
std::unique_ptr<QWidget> build_form(const QString &which)
{
    if (which == QLatin1String("main")) {
        auto host = std::make_unique<MainHost>();
        host->form.setupUi(host.get());
        return host;
    }
    if (which == QLatin1String("submit")) {
        auto host = std::make_unique<SubmitHost>();
        host->form.setupUi(host.get());
        return host;
    }
    auto host = std::make_unique<LicenseHost>();
    host->form.setupUi(host.get());
    return host;
}

QStringList calls_of(QWidget *host)
{
    if (auto *main = qobject_cast<MainHost *>(host))
        return main->calls;
    if (auto *submit = qobject_cast<SubmitHost *>(host))
        return submit->calls;
    return qobject_cast<LicenseHost *>(host)->calls;
}

QString text_of(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    return QString();
}

} // namespace

class TestForms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { init_resources(); }

    void widget_matches_layout_data();
    void widget_matches_layout();
    void counter_palette_is_magenta_on_white_data();
    void counter_palette_is_magenta_on_white();
    void main_window_properties_data();
    void main_window_properties();
    void submit_dialog_properties();
    void license_dialog_properties();
    void buttons_reach_their_slots_data();
    void buttons_reach_their_slots();
};

void TestForms::widget_matches_layout_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("index"); // creation order among the parent's widgets
    QTest::addColumn<QString>("class_name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("own_font");
    QTest::addColumn<QString>("family"); // null: not part of the widget's font
    QTest::addColumn<int>("point_size");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QString>("style_sheet");
    QTest::addColumn<bool>("own_locale");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("flat");
    QTest::addColumn<QString>("text");

    const QString rounded = QStringLiteral("Arial Rounded MT Bold");
    const QString vrinda = QStringLiteral("Vrinda");
    const QString arial = QStringLiteral("Arial");
    const QString grey = QStringLiteral("color: rgb(102,102,102);");
    const QString black = QStringLiteral("color: rgb(0, 0, 0);");
    const QString green_borderless = QStringLiteral("color: rgb(8, 101, 1);\nborder: none;");
    const QString counter_style = QStringLiteral("background-color: rgb(255, 255, 255);\n"
                                                 "border: none;\n"
                                                 "color: rgb(184, 1, 169);\n"
                                                 "font: 25 140pt \"Footlight MT Light\";");
    const QString none;
    const int normal = QFont::Normal;

    const QString main = QStringLiteral("main");
    const QString central = QStringLiteral("centralWidget");
    // clang-format off
    QTest::newRow("main label_2") << main << central << 0 << "QLabel" << QRect(390, 370, 21, 51)
        << true << rounded << 30 << false << false << normal << "color: rgb(8, 101, 1);"
        << true << centred << true << false << QString(QChar(0x2022));
    QTest::newRow("main label_8") << main << central << 1 << "QLabel" << QRect(0, 120, 201, 51)
        << true << vrinda << 26 << false << false << normal << grey
        << true << centred << true << false << "score";
    QTest::newRow("main label_9") << main << central << 2 << "QLabel" << QRect(0, 50, 201, 31)
        << true << vrinda << 26 << false << false << normal << grey
        << true << centred << true << false << "record";
    QTest::newRow("main label_10") << main << central << 3 << "QLabel" << QRect(590, 120, 201, 51)
        << true << vrinda << 26 << false << false << normal << grey
        << true << centred << true << false << "local top";
    QTest::newRow("main label_11") << main << central << 4 << "QLabel" << QRect(580, 50, 221, 31)
        << true << vrinda << 26 << false << false << normal << grey
        << true << centred << true << false << "world top";
    QTest::newRow("main my_top") << main << central << 5 << "QLabel" << QRect(0, 10, 201, 41)
        << true << rounded << 28 << false << false << normal << black
        << true << centred << true << false << "0";
    QTest::newRow("main curr_top") << main << central << 6 << "QLabel" << QRect(0, 90, 201, 41)
        << true << rounded << 28 << false << false << normal << black
        << true << centred << true << false << "0";
    QTest::newRow("main world_top") << main << central << 7 << "QLabel" << QRect(580, 10, 221, 41)
        << true << rounded << 28 << false << false << normal << black
        << true << centred << true << false << "-";
    QTest::newRow("main local_top") << main << central << 8 << "QLabel" << QRect(590, 90, 201, 41)
        << true << rounded << 28 << false << false << normal << black
        << true << centred << true << false << "-";
    // One pixel wider than the window: the counter spans x 0 to 800 inclusive.
    QTest::newRow("main curr_score") << main << central << 9 << "QPushButton" << QRect(0, 190, 801, 171)
        << true << "Footlight MT Light" << 140 << false << false << 3 << counter_style
        << true << not_a_label << true << false << "0";
    QTest::newRow("main pushButton") << main << central << 10 << "QPushButton" << QRect(90, 360, 281, 61)
        << true << rounded << 30 << true << false << normal << green_borderless
        << false << not_a_label << true << false << "submit record";
    QTest::newRow("main pushButton_2") << main << central << 11 << "QPushButton" << QRect(420, 360, 281, 61)
        << true << rounded << 30 << true << false << normal << green_borderless
        << false << not_a_label << true << false << "restart game";
    QTest::newRow("main tip_label") << main << central << 12 << "QPushButton" << QRect(210, 60, 391, 71)
        << true << vrinda << 18 << false << false << normal << "color: rgb(0,0,0);\nborder: none;"
        << true << not_a_label << false << false << "Tap counter to save score.";
    QTest::newRow("main tip_view") << main << central << 13 << "QPushButton" << QRect(200, 60, 391, 71)
        << true << arial << 18 << true << false << normal << green_borderless
        << true << not_a_label << true << false << "See QuiverBolt World Rating";
    QTest::newRow("main graphicsView") << main << central << 14 << "QGraphicsView" << QRect(296, 19, 209, 45)
        << false << none << 0 << false << false << normal << ""
        << false << not_a_label << true << false << none;
    QTest::newRow("main tlabel") << main << central << 15 << "QLabel" << QRect(210, 130, 401, 31)
        << true << arial << 28 << false << false << normal << grey
        << true << centred << true << false << "10 sec.";

    const QString submit = QStringLiteral("submit");
    const QString dialog = QStringLiteral("Submit");
    const QString box_style = QStringLiteral("height:72px;");
    QTest::newRow("submit pushButton") << submit << dialog << 0 << "QPushButton" << QRect(370, 310, 411, 61)
        << true << none << 30 << false << false << normal << ""
        << false << not_a_label << true << false << "OK";
    QTest::newRow("submit pushButton_2") << submit << dialog << 1 << "QPushButton" << QRect(20, 310, 301, 61)
        << true << none << 20 << false << false << normal << ""
        << false << not_a_label << true << false << "Cancel";
    QTest::newRow("submit label") << submit << dialog << 2 << "QLabel" << QRect(20, 10, 111, 71)
        << true << none << 30 << false << false << normal << ""
        << false << label_default << true << false << "Name";
    QTest::newRow("submit label_2") << submit << dialog << 3 << "QLabel" << QRect(370, 10, 151, 71)
        << true << none << 30 << false << false << normal << ""
        << false << label_default << true << false << "Location";
    QTest::newRow("submit lineEdit_2") << submit << dialog << 4 << "QLineEdit" << QRect(530, 10, 251, 72)
        << true << none << 25 << false << false << normal << box_style
        << false << not_a_label << true << false << "";
    QTest::newRow("submit lineEdit_3") << submit << dialog << 5 << "QLineEdit" << QRect(140, 10, 181, 72)
        << true << none << 25 << false << false << normal << box_style
        << false << not_a_label << true << false << "";
    QTest::newRow("submit menBox") << submit << dialog << 6 << "QCheckBox" << QRect(370, 160, 411, 51)
        << true << none << 20 << false << false << normal << ""
        << false << not_a_label << true << false << "to men rating";
    QTest::newRow("submit womBox") << submit << dialog << 7 << "QCheckBox" << QRect(370, 210, 411, 51)
        << true << none << 20 << false << false << normal << ""
        << false << not_a_label << true << false << "to women rating";
    // The heading carries no font of its own: it shows in the dialog's 20 pt.
    QTest::newRow("submit label_3") << submit << dialog << 8 << "QLabel" << QRect(20, 110, 161, 51)
        << false << none << 20 << false << false << normal << ""
        << false << label_default << true << false << "Submit";
    QTest::newRow("submit recBox") << submit << dialog << 9 << "QCheckBox" << QRect(20, 160, 301, 51)
        << true << none << 20 << false << false << normal << ""
        << false << not_a_label << true << false << "record";
    QTest::newRow("submit scoBox") << submit << dialog << 10 << "QCheckBox" << QRect(20, 210, 301, 51)
        << true << none << 20 << false << false << normal << ""
        << false << not_a_label << true << false << "score";

    const QString license = QStringLiteral("license");
    const QString terms_dialog = QStringLiteral("License");
    const QString terms = QStringLiteral(
        "1. Extreme sports activities can be dangerous. Velnora is not\n"
        "    responsible for your actions. You agree to be solely responsible\n"
        "    for any injure or damages.\n"
        "\n"
        "2. You can redistribute this game without code modification.\n"
        "\n"
        "3. Press the Agree button only if you have read and agreed with\n"
        "    terms and conditions:");
    QTest::newRow("license pushButton") << license << terms_dialog << 0 << "QPushButton" << QRect(20, 275, 310, 61)
        << true << none << 20 << false << false << normal << ""
        << true << not_a_label << true << false << "No";
    QTest::newRow("license pushButton_2") << license << terms_dialog << 1 << "QPushButton" << QRect(370, 275, 411, 61)
        << true << none << 20 << false << false << normal << ""
        << true << not_a_label << true << false << "Yes, agree";
    QTest::newRow("license label") << license << terms_dialog << 2 << "QLabel" << QRect(40, 0, 731, 261)
        << true << none << 18 << false << false << normal << ""
        << true << label_default << true << false << terms;
    // The link's text is the terms page address, which the dialog sets itself.
    QTest::newRow("license terms_link") << license << terms_dialog << 3 << "QPushButton" << QRect(288, 205, 321, 61)
        << true << none << 18 << true << false << normal << "color: rgb(167, 214, 255);"
        << true << not_a_label << true << true << "";
    // clang-format on
}

void TestForms::widget_matches_layout()
{
    QFETCH(QString, form);
    QFETCH(QString, parent);
    QFETCH(int, index);
    QFETCH(QString, class_name);
    QFETCH(QRect, geometry);
    QFETCH(bool, own_font);
    QFETCH(QString, family);
    QFETCH(int, point_size);
    QFETCH(bool, underline);
    QFETCH(bool, bold);
    QFETCH(int, weight);
    QFETCH(QString, style_sheet);
    QFETCH(bool, own_locale);
    QFETCH(int, alignment);
    QFETCH(bool, enabled);
    QFETCH(bool, flat);
    QFETCH(QString, text);

    const std::unique_ptr<QWidget> host = build_form(form);
    // Each row is named "<form> <object name>".
    const QString object_name =
        QString::fromLatin1(QTest::currentDataTag()).section(QLatin1Char(' '), 1);
    auto *widget = host->findChild<QWidget *>(object_name);
    QVERIFY2(widget, qPrintable(object_name));

    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), class_name);
    QVERIFY(widget->parentWidget());
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    const QList<QWidget *> siblings =
        widget->parentWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(siblings.indexOf(widget), index);

    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->testAttribute(Qt::WA_SetFont), own_font);
    const QFont font = widget->font();
    if (!family.isNull())
        QCOMPARE(font.family(), family);
    if (point_size > 0)
        QCOMPARE(font.pointSize(), point_size);
    QCOMPARE(font.underline(), underline);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.weight(), weight);
    QCOMPARE(widget->styleSheet(), style_sheet);
    QCOMPARE(widget->testAttribute(Qt::WA_SetLocale), own_locale);
    if (own_locale)
        QCOMPARE(widget->locale(), en_us);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(int(label->alignment()), alignment);
    else
        QCOMPARE(alignment, not_a_label);
    QCOMPARE(widget->isEnabled(), enabled);
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->isFlat(), flat);
    QCOMPARE(text_of(widget), text);
}

void TestForms::counter_palette_is_magenta_on_white_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("role");
    QTest::addColumn<QColor>("colour");

    const QColor magenta(184, 1, 169);
    const QColor white(255, 255, 255);
    const struct
    {
        const char *name;
        QPalette::ColorGroup group;
    } groups[] = {{"active", QPalette::Active},
                  {"inactive", QPalette::Inactive},
                  {"disabled", QPalette::Disabled}};
    const struct
    {
        const char *name;
        QPalette::ColorRole role;
        QColor colour;
    } roles[] = {{"window text", QPalette::WindowText, magenta},
                 {"button", QPalette::Button, white},
                 {"text", QPalette::Text, magenta},
                 {"button text", QPalette::ButtonText, magenta},
                 {"base", QPalette::Base, white},
                 {"window", QPalette::Window, white}};
    for (const auto &group : groups) {
        for (const auto &role : roles) {
            QTest::addRow("%s %s", group.name, role.name)
                << int(group.group) << int(role.role) << role.colour;
        }
    }
}

void TestForms::counter_palette_is_magenta_on_white()
{
    QFETCH(int, group);
    QFETCH(int, role);
    QFETCH(QColor, colour);

    MainHost window;
    window.form.setupUi(&window);
    const QBrush brush = window.form.curr_score->palette().brush(QPalette::ColorGroup(group),
                                                                 QPalette::ColorRole(role));
    QCOMPARE(brush.style(), Qt::SolidPattern);
    QCOMPARE(brush.color(), colour);
    QCOMPARE(brush.color().alpha(), 255);
}

void TestForms::main_window_properties_data()
{
    QTest::addColumn<QString>("name_before");
    QTest::addColumn<QString>("name_after");

    QTest::newRow("unnamed window") << QString() << "Quiverbolt";
    QTest::newRow("named window keeps its name") << "game"
                                                 << "game";
}

void TestForms::main_window_properties()
{
    QFETCH(QString, name_before);
    QFETCH(QString, name_after);

    MainHost window;
    window.setObjectName(name_before);
    window.form.setupUi(&window);

    QCOMPARE(window.objectName(), name_after);
    QCOMPARE(window.size(), QSize(800, 423));
    QCOMPARE(window.windowTitle(), QStringLiteral("QuiverBolt"));
    QCOMPARE(window.locale(), en_us);
    QCOMPARE(window.styleSheet(), QStringLiteral("background-color: rgb(255, 255, 255);"));
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.centralWidget(), window.form.centralWidget);
    QCOMPARE(window.centralWidget()->objectName(), QStringLiteral("centralWidget"));
    QCOMPARE(QString::fromLatin1(window.centralWidget()->metaObject()->className()),
             QStringLiteral("QWidget"));
    // menuWidget(), unlike menuBar(), does not create a bar on demand.
    QCOMPARE(window.menuWidget(), nullptr);
    QCOMPARE(window.findChild<QStatusBar *>(), nullptr);
    QVERIFY(window.findChildren<QToolBar *>().isEmpty());
    QCOMPARE(
        window.form.centralWidget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)
            .size(),
        16);
}

void TestForms::submit_dialog_properties()
{
    SubmitHost dialog;
    dialog.form.setupUi(&dialog);

    QCOMPARE(dialog.objectName(), QStringLiteral("Submit"));
    QCOMPARE(dialog.size(), QSize(800, 380));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Submit record"));
    QVERIFY(dialog.testAttribute(Qt::WA_SetFont));
    QCOMPARE(dialog.font().pointSize(), 20);
    QCOMPARE(dialog.font().family(), QStringLiteral("Liberation Sans Narrow"));
    QCOMPARE(dialog.styleSheet(), QString());
    QVERIFY(dialog.layout() == nullptr);

    const QSizePolicy policy = dialog.form.lineEdit_3->sizePolicy();
    QCOMPARE(policy.horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(policy.verticalPolicy(), QSizePolicy::Maximum);
    QCOMPARE(policy.horizontalStretch(), 0);
    QCOMPARE(policy.verticalStretch(), 0);
    QCOMPARE(policy.hasHeightForWidth(), QLineEdit().sizePolicy().hasHeightForWidth());

    for (QLineEdit *edit : {dialog.form.lineEdit_2, dialog.form.lineEdit_3}) {
        QCOMPARE(edit->maxLength(), QLineEdit().maxLength());
        QCOMPARE(edit->inputMask(), QString());
        QCOMPARE(edit->validator(), nullptr);
    }
    for (QAbstractButton *box :
         {dialog.form.menBox, dialog.form.womBox, dialog.form.recBox, dialog.form.scoBox}) {
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        QVERIFY(box->group() == nullptr);
        QVERIFY(!box->autoExclusive());
    }
}

void TestForms::license_dialog_properties()
{
    LicenseHost dialog;
    dialog.setObjectName(QStringLiteral("terms"));
    dialog.form.setupUi(&dialog);
    QCOMPARE(dialog.objectName(), QStringLiteral("terms"));

    LicenseHost unnamed;
    unnamed.form.setupUi(&unnamed);
    QCOMPARE(unnamed.objectName(), QStringLiteral("License"));
    QCOMPARE(unnamed.size(), QSize(800, 345));
    QCOMPARE(unnamed.windowTitle(), QStringLiteral("User License Agreement"));
    // Only a narrow family of its own, so the terms fit their fixed label.
    QCOMPARE(unnamed.font().resolve(), uint(QFont::FamilyResolved));
    QCOMPARE(unnamed.font().family(), QStringLiteral("Liberation Sans Narrow"));
    QCOMPARE(unnamed.styleSheet(), QString());
    QVERIFY(unnamed.layout() == nullptr);
}

void TestForms::buttons_reach_their_slots_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("counter keeps the score") << "main"
                                             << "curr_score" << QStringList{"set_top()"};
    QTest::newRow("submit record") << "main"
                                   << "pushButton" << QStringList{"submit_dialog()"};
    QTest::newRow("restart game") << "main"
                                  << "pushButton_2" << QStringList{"restart()"};
    QTest::newRow("rating link") << "main"
                                 << "tip_view" << QStringList{"get_url()"};
    QTest::newRow("hint line is inert") << "main"
                                        << "tip_label" << QStringList{};

    QTest::newRow("submit OK") << "submit"
                               << "pushButton" << QStringList{"accept()"};
    QTest::newRow("submit Cancel") << "submit"
                                   << "pushButton_2" << QStringList{"reject()"};
    QTest::newRow("record box") << "submit"
                                << "recBox" << QStringList{"sco_unch()"};
    QTest::newRow("score box") << "submit"
                               << "scoBox" << QStringList{"rec_unch()"};
    QTest::newRow("men box") << "submit"
                             << "menBox" << QStringList{"wom_unch()"};
    QTest::newRow("women box") << "submit"
                               << "womBox" << QStringList{"men_unch()"};

    QTest::newRow("terms No") << "license"
                              << "pushButton" << QStringList{"reject()"};
    QTest::newRow("terms Yes") << "license"
                               << "pushButton_2" << QStringList{"accept()"};
    QTest::newRow("terms link") << "license"
                                << "terms_link" << QStringList{"get_url()"};
}

void TestForms::buttons_reach_their_slots()
{
    QFETCH(QString, form);
    QFETCH(QString, sender);
    QFETCH(QStringList, calls);

    const std::unique_ptr<QWidget> host = build_form(form);
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.get()));

    auto *button = host->findChild<QAbstractButton *>(sender);
    QVERIFY(button);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    // Check boxes react only within their indicator and text.
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QPoint where = qobject_cast<QCheckBox *>(button)
                             ? button->style()
                                   ->subElementRect(QStyle::SE_CheckBoxClickRect, &option, button)
                                   .center()
                             : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, where);

    QCOMPARE(clicked.count(), calls.size());
    QCOMPARE(calls_of(host.get()), calls);
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
