// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveStores.h"

#include "ServerSetting.h"

#include "ServerArchiveStore.h"
#include "ServerLink.h"
#include "program/Settings.h"
#include "storage/FileArchiveStore.h"

#include <QDir>
#include <libpq-fe.h>

using namespace Qt::Literals::StringLiterals;

ArchiveStores::ArchiveStores(const QString& dataFolder)
    : m_folder(dataFolder)
    , m_server(ServerSetting(dataFolder))
{}

ArchiveStores::~ArchiveStores() = default;

QString ArchiveStores::ServerSetting(const QString& dataFolder)
{
    return ::ServerSetting::Of(dataFolder);
}

QString ArchiveStores::ServerName(const QString& connectionString)
{
    QString host, port, database;
    auto take = [&](PQconninfoOption* options, bool keep) {
        for (PQconninfoOption* o = options; o && o->keyword; ++o) {
            if (!o->val || !*o->val)
                continue;
            const QString value = QString::fromUtf8(o->val);
            QString* slot = qstrcmp(o->keyword, "host") == 0       ? &host
                            : qstrcmp(o->keyword, "hostaddr") == 0 ? (host.isEmpty() ? &host : nullptr)
                            : qstrcmp(o->keyword, "port") == 0     ? &port
                            : qstrcmp(o->keyword, "dbname") == 0   ? &database
                                                                   : nullptr;
            if (slot && (keep || slot->isEmpty()))
                *slot = value;
        }
        PQconninfoFree(options);
    };
    char* error = nullptr;
    take(PQconninfoParse(connectionString.toUtf8().constData(), &error), true);
    PQfreemem(error);
    take(PQconndefaults(), false); // the environment's PGHOST, PGPORT, PGDATABASE
    if (host.isEmpty())
        host = u"localhost"_s;
    if (port.isEmpty())
        port = u"5432"_s;
    if (database.isEmpty())
        database = u"?"_s;
    return host + u':' + port + u'/' + database;
}

QString ArchiveStores::Where(const QString& dataFolder)
{
    const QString server = ServerSetting(dataFolder);
    if (!server.isEmpty())
        return u"sul server "_s + ServerName(server);
    return u"nella cartella \u00ab%1\u00bb"_s.arg(QDir::toNativeSeparators(dataFolder));
}

std::shared_ptr<ServerLink> ArchiveStores::link(const CategoryDescriptor& category)
{
    for (std::size_t i = 0; i < Categories::All.size(); ++i) {
        if (&Categories::All[i] != &category)
            continue;
        if (!m_links[i])
            m_links[i] = std::make_shared<ServerLink>(m_server);
        return m_links[i];
    }
    return std::make_shared<ServerLink>(m_server);
}

std::unique_ptr<ArchiveStore> ArchiveStores::Open(const CategoryDescriptor& category)
{
    if (OnServer())
        return std::make_unique<ServerArchiveStore>(category, link(category));
    return std::make_unique<FileArchiveStore>(category, m_folder);
}

std::unique_ptr<ArchiveStore> ArchiveStores::OpenDetached(const CategoryDescriptor& category) const
{
    if (OnServer())
        return std::make_unique<ServerArchiveStore>(category, std::make_shared<ServerLink>(m_server));
    return std::make_unique<FileArchiveStore>(category, m_folder, FileArchiveStore::LookAheadBusyTimeoutMs,
                                              FileArchiveStore::Access::LookOnly);
}

void ArchiveStores::Reach()
{
    if (OnServer())
        link(Categories::All.front())->Connection();
}
