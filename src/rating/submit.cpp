// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/submit.h"

#include "game/gamestate.h"
#include "ui_submitform.h"

Submit::Submit(const GameState &state, QWidget *parent) : QDialog(parent), form(new SubmitForm)
{
    form->setupUi(this);

    form->lineEdit_3->setText(state.name);
    form->lineEdit_2->setText(state.location);
    form->recBox->setText(tr("record ( ") + QString::number(state.your_top) + QStringLiteral(" )"));
    form->scoBox->setText(tr("score ( ") + QString::number(state.current_top) +
                          QStringLiteral(" )"));

    // Both boxes of each pair start unchecked, so one toggle leaves exactly one checked.
    if (state.tosend == 1)
        form->recBox->toggle();
    else
        form->scoBox->toggle();
    if (state.sex == QLatin1String("m"))
        form->menBox->toggle();
    else
        form->womBox->toggle();
}

Submit::~Submit() = default;

// A click has already flipped the clicked box; toggle() flips its partner
// without emitting clicked(), so the pair never ping-pongs.
void Submit::rec_unch()
{
    form->recBox->toggle();
}

void Submit::sco_unch()
{
    form->scoBox->toggle();
}

void Submit::men_unch()
{
    form->menBox->toggle();
}

void Submit::wom_unch()
{
    form->womBox->toggle();
}

QString Submit::input_name()
{
    return form->lineEdit_3->text();
}

QString Submit::input_location()
{
    return form->lineEdit_2->text();
}

int Submit::input_tosend()
{
    if (form->recBox->isChecked())
        return 1;
    if (form->scoBox->isChecked())
        return 2;
    return 0;
}

QString Submit::input_sex()
{
    if (form->menBox->isChecked())
        return QStringLiteral("m");
    if (form->womBox->isChecked())
        return QStringLiteral("w");
    return QStringLiteral("m");
}
