// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "dialogs/license.h"
#include "ui_licenseform.h"
// PLACEHOLDER: to be implemented
License::License(QWidget *parent) : QDialog(parent), form(new LicenseForm) { form->setupUi(this); }
License::~License() = default;
void License::get_url() {}
