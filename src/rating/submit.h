// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <memory>

struct GameState;
namespace Ui {
class SubmitForm;
}
using SubmitForm = Ui::SubmitForm;

// Collects the player's answers for a rating submission. Filled from the
// given game state when built; changes nothing in it.
class Submit : public QDialog
{
    Q_OBJECT

public:
    explicit Submit(const GameState &state, QWidget *parent = nullptr);
    ~Submit() override;

    // The dialog's widgets, read by the submission after "OK".
    std::unique_ptr<SubmitForm> form;

public slots:
    void rec_unch();
    void sco_unch();
    void men_unch();
    void wom_unch();
    QString input_name();
    QString input_location();
    int input_tosend();
    QString input_sex();
};
