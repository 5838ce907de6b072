// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/ArchiveStore.h"

#include <QString>
#include <array>
#include <memory>

class ServerLink;

// Where the archives of a data folder live, decided once from its Codazzurra.ini ([Archivi] Server: a
// libpq connection string; absent or empty, the SQLite files of the folder), and the stores of them. The
// wiring makes one and hands every screen the store of its category; no screen knows which engine it is.
// On the server, the stores of one archive made by Open share one connection (the program's screens run
// on one thread); OpenDetached gives a connection of its own, for another thread.
class ArchiveStores
{
public:
    explicit ArchiveStores(const QString& dataFolder);
    ~ArchiveStores();
    ArchiveStores(const ArchiveStores&) = delete;
    ArchiveStores& operator=(const ArchiveStores&) = delete;

    // The connection string a folder's settings name; empty when its archives are files.
    static QString ServerSetting(const QString& dataFolder);
    // How a connection string names its server in messages, "host:porta/database", never with its
    // other settings (user, password); the libpq defaults fill what it leaves out.
    static QString ServerName(const QString& connectionString);
    // Where a folder's archives are, for the help and the information screen: "nella cartella «…»" or
    // "sul server host:porta/database".
    static QString Where(const QString& dataFolder);

    bool OnServer() const noexcept { return !m_server.isEmpty(); }
    // ServerName of the server in use; empty for files.
    QString Server() const { return OnServer() ? ServerName(m_server) : QString(); }

    // The store of a category, for the main thread.
    std::unique_ptr<ArchiveStore> Open(const CategoryDescriptor& category);
    // A store with a connection of its own, for another thread, that reads cards only and creates nothing
    // (on files: nothing when the file or its table is missing, and it gives up at once when another
    // connection is writing).
    std::unique_ptr<ArchiveStore> OpenDetached(const CategoryDescriptor& category) const;

    // Reaches the server (and makes its layout ready) on the first archive's connection. Raises
    // EServerError when it cannot; nothing to do for files.
    void Reach();

private:
    std::shared_ptr<ServerLink> link(const CategoryDescriptor& category);

    QString m_folder;
    QString m_server;
    std::array<std::shared_ptr<ServerLink>, Categories::All.size()> m_links;
};
