// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "rating/submit.h"
#include "ui_submitform.h"
// PLACEHOLDER: to be implemented
Submit::Submit(QWidget *parent) : QDialog(parent), form(new SubmitForm) { form->setupUi(this); }
Submit::~Submit() = default;
void Submit::rec_unch() {}
void Submit::sco_unch() {}
void Submit::men_unch() {}
void Submit::wom_unch() {}
QString Submit::input_name() { return {}; }
QString Submit::input_location() { return {}; }
int Submit::input_tosend() { return 0; }
QString Submit::input_sex() { return {}; }
