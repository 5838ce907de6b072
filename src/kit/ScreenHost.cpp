// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenHost.h"

#include "Desktop.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

void ScreenHost::ArchiveDamaged(QWidget* parent, const QString& archiveFile, const QString& detail)
{
    desktop().Error(parent, u"L'archivio \u00ab%1\u00bb \u00e8 danneggiato.\n\n%2"_s.arg(
                                QFileInfo(archiveFile).fileName(), detail));
}
