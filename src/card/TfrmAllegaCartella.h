// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class TfrmAllegaCartella : public QDialog
{
    Q_OBJECT
public:
    TfrmAllegaCartella(QWidget* owner, const QString& token);
};
