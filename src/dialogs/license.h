// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class LicenseForm;
}
using LicenseForm = Ui::LicenseForm;

// The terms of use, shown before the first save file is written.
class License : public QDialog
{
    Q_OBJECT

public:
    explicit License(QWidget *parent = nullptr);
    ~License() override;

public slots:
    // Opens the terms page; the dialog stays open.
    void get_url();

private:
    std::unique_ptr<LicenseForm> form;
};
