// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class TfrmAllegaFile : public QDialog
{
    Q_OBJECT
public:
    TfrmAllegaFile(QWidget* owner, const QString& token);
};
