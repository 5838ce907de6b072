// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenHost.h"

#include "Desktop.h"
#include "storage/FileArchiveStore.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

void ScreenHost::ArchiveDamaged(QWidget* parent, const QString& archiveFile, const QString& detail)
{
    desktop().Error(parent, u"L'archivio \u00ab%1\u00bb \u00e8 danneggiato.\n\n%2"_s.arg(
                                QFileInfo(archiveFile).fileName(), detail));
}

std::unique_ptr<ArchiveStore> ScreenHost::OpenStore(const CategoryDescriptor& category)
{
    return std::make_unique<FileArchiveStore>(category, ProgramFolder());
}

std::unique_ptr<ArchiveStore> ScreenHost::OpenDetachedStore(const CategoryDescriptor& category)
{
    return std::make_unique<FileArchiveStore>(category, ProgramFolder(),
                                              FileArchiveStore::LookAheadBusyTimeoutMs,
                                              FileArchiveStore::Access::LookOnly);
}

QString ScreenHost::ArchivesLocation() const
{
    return u"nella cartella \u00ab%1\u00bb"_s.arg(QDir::toNativeSeparators(ProgramFolder()));
}
