// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerBackup.h"

#include "server/ArchiveMove.h"
#include "server/ServerArchiveStore.h"
#include "server/ServerLink.h"
#include "storage/CategoryDescriptor.h"
#include "storage/ESQLiteException.h"
#include "storage/FileArchiveStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace ServerBackup {

std::vector<ArchiveFile> WriteSnapshot(const std::shared_ptr<ServerLink>& link, const QString& folder,
                                       const Generation::Progress& progress, QStringList* written,
                                       bool* cancelled)
{
    *cancelled = false;
    std::vector<ArchiveFile> files;
    link->Snapshot([&] {
        std::vector<std::unique_ptr<ServerArchiveStore>> stores;
        qint64 total = 0;
        for (const CategoryDescriptor& c : Categories::All) {
            stores.push_back(std::make_unique<ServerArchiveStore>(c, link));
            total += stores.back()->CardCount();
        }
        qint64 done = 0;
        for (auto& store : stores) {
            const CategoryDescriptor& c = store->Category();
            const QString name(c.databaseFileName);
            // Each archive is made under its own name in a folder of its own, then given a temporary
            // name beside the generations, where a killed backup's leftovers are found and removed.
            QTemporaryDir dir(QDir(folder).filePath(u".codazzurra-backup-XXXXXX"_s));
            if (!dir.isValid())
                throw ESQLiteException(u"impossibile scrivere in %1: %2"_s.arg(folder, dir.errorString()));
            qint64 cards = 0;
            {
                FileArchiveStore file(c, dir.path());
                try {
                    cards = ArchiveMove::CopyArchive(
                        *store, file, nullptr,
                        [&](qint64 at, qint64) {
                            *cancelled = progress && !progress(at, total);
                            return !*cancelled;
                        },
                        done, total);
                } catch (const ESQLiteException&) {
                    if (*cancelled)
                        return;
                    throw;
                }
            }
            done += cards;
            const QString path = Generation::NewTemporaryPath(folder);
            if (!QFile::rename(dir.filePath(name), path))
                throw ESQLiteException(u"impossibile scrivere la copia di %1 in %2"_s.arg(name, folder));
            written->append(path);
            files.push_back({name, path, QString(c.tableName)});
        }
    });
    return files;
}

qint64 RestoreArchive(const std::shared_ptr<ServerLink>& link, const QString& name, const QString& folder)
{
    const CategoryDescriptor* category = nullptr;
    for (const CategoryDescriptor& c : Categories::All) {
        if (name == c.databaseFileName)
            category = &c;
    }
    if (!category)
        throw ESQLiteException(u"%1 non \u00e8 un archivio"_s.arg(name));
    FileArchiveStore file(*category, folder);
    ServerArchiveStore server(*category, link);
    return ArchiveMove::CopyArchive(file, server);
}

} // namespace ServerBackup
