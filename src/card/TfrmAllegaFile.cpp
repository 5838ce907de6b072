// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmAllegaFile.h"

TfrmAllegaFile::TfrmAllegaFile(QWidget* owner, const QString&)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("TfrmAllegaFile"));
}
