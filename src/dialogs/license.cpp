// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "dialogs/license.h"

#include "constants.h"
#include "ui_licenseform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

License::License(QWidget *parent) : QDialog(parent), form(new LicenseForm)
{
    form->setupUi(this);
    // The link reads as the page it opens; the address is fixed when the game is built.
    form->terms_link->setText(QCoreApplication::translate("License", quiverbolt::terms_url));
}

License::~License() = default;

void License::get_url()
{
    // Whether a browser came up is not our concern: the player still has to answer.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(quiverbolt::terms_url)));
}
