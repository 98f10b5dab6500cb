// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusMessage>
#include <QMainWindow>

class ComNokiaMceRequestInterface;
class IdleInhibitor;
class QAccelerometer;
class QGraphicsScene;
class QNetworkReply;
class QTimer;
namespace Ui {
class QuiverboltForm;
}
using QuiverboltForm = Ui::QuiverboltForm;

// The game's main window: the counter, the scores, and the slots that run
// the game. The game rules live in src/game, src/storage and src/rating;
// the slots call them and update the widgets.
class Quiverbolt : public QMainWindow
{
    Q_OBJECT

public:
    explicit Quiverbolt(QWidget *parent = nullptr);
    ~Quiverbolt() override;

public slots:
    void set_score();
    void set_top();
    void submit_dialog();
    void restart();
    void save_xml();
    void get_url();
    void replyFinish(QNetworkReply *reply);
    void license_dialog();
    void displayStateChanged(const QDBusMessage &message);

private:
    void install_fonts();
    void show_logo();
    void load_save();
    void create_save_file();

    QuiverboltForm *form;
    QGraphicsScene *logo_scene = nullptr;
    ComNokiaMceRequestInterface *mce_request = nullptr;
    IdleInhibitor *idle_inhibitor = nullptr;
    QAccelerometer *accelerometer = nullptr;
    QTimer *tick_timer = nullptr;
};
