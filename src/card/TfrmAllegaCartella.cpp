// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmAllegaCartella.h"

TfrmAllegaCartella::TfrmAllegaCartella(QWidget* owner, const QString&)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("TfrmAllegaCartella"));
}
