// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class StartWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StartWindow(QWidget* parent = nullptr);
};
