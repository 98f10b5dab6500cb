// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "app/quiverbolt.h"

#include "app/fonts.h"
#include "app/idleinhibitor.h"
#include "app/landscape.h"
#include "app/resources.h"
#include "constants.h"
#include "dialogs/license.h"
#include "game/display.h"
#include "game/gamestate.h"
#include "game/scores.h"
#include "game/smoothedaccelerometerfilter.h"
#include "game/tick.h"
#include "mcerequestproxy.h"
#include "rating/ratingexchange.h"
#include "rating/ratingrequest.h"
#include "rating/submit.h"
#include "storage/savefile.h"
#include "ui_quiverboltform.h"

#include <QAccelerometer>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QFile>
#include <QGraphicsScene>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPixmap>
#include <QTimer>
#include <QUrl>

#include <cstdlib>

using namespace quiverbolt;

namespace {

// The connection to the system bus, where MCE lives: made on the first
// construction of a window and kept for the process.
QDBusConnection &system_bus()
{
    static QDBusConnection bus = QDBusConnection::systemBus();
    return bus;
}

} // namespace

Quiverbolt::Quiverbolt(QWidget *parent) : QMainWindow(parent), form(new QuiverboltForm)
{
    init_resources();
    form->setupUi(this);
    lock_landscape(this);
    install_fonts();
    show_logo();
    load_save();
    form->tip_view->hide();

    accelerometer = new QAccelerometer(this);
    accelerometer->addFilter(new smoothedaccelerometerfilter(game_state(), this));
    accelerometer->start();

    tick_timer = new QTimer(this);
    connect(tick_timer, &QTimer::timeout, this, &Quiverbolt::set_score);
    tick_timer->start(tick_interval_ms);

    // QDBusConnection::connect takes the slot by its signature only.
    system_bus().connect(QString::fromLatin1(mce_service), QString::fromLatin1(mce_signal_path),
                         QString::fromLatin1(mce_signal_interface),
                         QString::fromLatin1(mce_display_signal), this,
                         SLOT(displayStateChanged(QDBusMessage)));
    // Without MCE the desktop keeps the screen on while the player shakes.
    idle_inhibitor = new IdleInhibitor(system_bus(), this);
}

Quiverbolt::~Quiverbolt()
{
    delete form;
}

void Quiverbolt::install_fonts()
{
    const QString warning = install_application_fonts(application_font_paths());
    if (!warning.isEmpty())
        QMessageBox::warning(nullptr, tr("Application"), warning, QMessageBox::Ok);
}

void Quiverbolt::show_logo()
{
    logo_scene = new QGraphicsScene(this);
    const QPixmap logo(QStringLiteral(":/images/logo.gif"));
    if (!logo.isNull()) {
        const QPixmap scaled = logo.scaled(form->graphicsView->size(),
                                           Qt::KeepAspectRatioByExpanding, Qt::FastTransformation);
        logo_scene->addPixmap(QPixmap::fromImage(scaled.toImage()));
    }
    form->graphicsView->setScene(logo_scene);
}

void Quiverbolt::load_save()
{
    QFile file(save_file_path());
    if (!file.open(QIODevice::ReadOnly)) {
        create_save_file();
        return;
    }
    const LoadedSave loaded = read_save(&file, game_state());
    file.close();

    if (loaded.local_top_text)
        form->local_top->setText(*loaded.local_top_text);
    if (loaded.world_top_text)
        form->world_top->setText(*loaded.world_top_text);
    if (loaded.key_rejected)
        save_xml();
    form->my_top->setText(loaded.record_text);
    form->curr_top->setText(loaded.score_text);
}

void Quiverbolt::create_save_file()
{
    license_dialog();
    if (!write_save_file(save_file_path(), first_run_document()))
        form->tip_label->setText(tr("setup failed"));
}

void Quiverbolt::set_score()
{
    const TickShown shown = advance_tick(game_state());
    form->tlabel->setText(shown.time_text);
    form->curr_score->setText(shown.power_text);
    idle_inhibitor->set_power(game_state().power);
    if (!shown.keep_unlocked)
        return;
    // One proxy for the whole run; it neither introspects nor waits, so a
    // slow or hung MCE never holds up the tick. MCE's reply is not looked at.
    if (!mce_request) {
        mce_request = new ComNokiaMceRequestInterface(QString::fromLatin1(mce_service),
                                                      QString::fromLatin1(mce_request_path),
                                                      system_bus(), this);
    }
    mce_request->req_tklock_mode_change(QStringLiteral("unlocked"));
}

void Quiverbolt::set_top()
{
    GameState &state = game_state();
    const bool new_record = keep_score(state);
    form->curr_top->setText(QString::number(state.current_top));
    if (new_record) {
        form->my_top->setText(QString::number(state.your_top));
        form->tip_label->setText(tr("Wow! Now you can submit\nyour record to the Rating."));
    } else {
        form->tip_label->setText(tr("Ok! Now you can submit\nyour score to the Rating."));
    }
    save_xml();
}

void Quiverbolt::restart()
{
    reset_game(game_state());
    form->curr_top->setText(QString::number(0));
    form->curr_score->setText(QString::number(0));
    form->tip_label->setText(tr("New game."));
    set_top();
}

void Quiverbolt::save_xml()
{
    if (!write_save_file(save_file_path(), save_document(game_state())))
        form->tip_label->setText(tr("save failed"));
}

void Quiverbolt::submit_dialog()
{
    GameState &state = game_state();
    Submit dialog(state);
    if (dialog.exec() == QDialog::Accepted) {
        state.name = dialog.input_name();
        state.location = dialog.input_location();
        state.tosend = dialog.input_tosend();
        state.sex = dialog.input_sex();
        ++state.num;
        save_xml();

        auto *manager = new QNetworkAccessManager(this);
        connect(manager, &QNetworkAccessManager::finished, this, &Quiverbolt::replyFinish);
        post_submission(*manager, request_body(save_file_path()));
    }
    save_xml();
}

void Quiverbolt::replyFinish(QNetworkReply *reply)
{
    GameState &state = game_state();
    const ReplyShown shown = apply_reply(reply_body(*reply), state);
    if (shown.show_world)
        form->world_top->setText(shown.world_text);
    if (shown.show_local)
        form->local_top->setText(shown.local_text);
    form->tip_label->hide();
    form->tip_view->show();
    form->tip_view->setText(state.message);
    save_xml();
    state.sec = 0.0;

    reply->deleteLater();
    reply->manager()->deleteLater();
}

void Quiverbolt::get_url()
{
    const QUrl link(game_state().hiperlink, QUrl::TolerantMode);
    if (is_openable_link(link))
        QDesktopServices::openUrl(link);
}

void Quiverbolt::license_dialog()
{
    License dialog;
    if (dialog.exec() != QDialog::Accepted)
        std::exit(EXIT_SUCCESS);
}

void Quiverbolt::displayStateChanged(const QDBusMessage &message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.isEmpty())
        return;
    switch (display_changed(game_state(), arguments.first().toString())) {
    case DisplayChange::Pause:
        idle_inhibitor->set_display_on(false);
        accelerometer->stop();
        tick_timer->stop();
        break;
    case DisplayChange::Resume:
        idle_inhibitor->set_display_on(true);
        accelerometer->start();
        tick_timer->start(tick_interval_ms);
        break;
    case DisplayChange::None:
        break;
    }
}
