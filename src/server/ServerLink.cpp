// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerLink.h"

#include "EServerError.h"
#include "PgConnection.h"
#include "ServerSchema.h"

ServerLink::ServerLink(QString connectionString)
    : m_connectionString(std::move(connectionString))
{}

ServerLink::~ServerLink() = default;

PgConnection& ServerLink::Connection()
{
    if (m_connection && m_connection->IsBroken())
        m_connection.reset();
    if (!m_connection) {
        auto connection = std::make_unique<PgConnection>(m_connectionString);
        ServerSchema::Ensure(*connection);
        m_connection = std::move(connection);
    }
    return *m_connection;
}

void ServerLink::Drop() noexcept
{
    m_connection.reset();
}

void ServerLink::Snapshot(const std::function<void()>& work)
{
    if (m_snapshot)
        throw ESQLiteException(QStringLiteral("A snapshot is already open on this connection"));
    PgConnection& connection = Connection();
    connection.Begin("ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    m_snapshot = true;
    try {
        work();
        m_snapshot = false;
        connection.Commit();
    } catch (...) {
        m_snapshot = false;
        if (m_connection && m_connection->IsBroken())
            Drop();
        else if (m_connection)
            m_connection->Rollback();
        throw;
    }
}

void ServerLink::Read(const std::function<void(PgConnection&)>& work)
{
    if (m_snapshot) {
        work(*m_connection);
        return;
    }
    for (int attempt = 0;; ++attempt) {
        const bool reused = m_connection != nullptr;
        PgConnection& connection = Connection();
        try {
            work(connection);
            return;
        } catch (const EServerError& e) {
            if (!e.ConnectionLost())
                throw;
            Drop();
            if (!reused || attempt > 0)
                throw;
        }
    }
}

void ServerLink::Write(const std::function<void(PgConnection&)>& work)
{
    if (m_snapshot)
        throw ESQLiteException(QStringLiteral("No write inside a snapshot"));
    for (int attempt = 0;; ++attempt) {
        const bool reused = m_connection != nullptr;
        PgConnection& connection = Connection();
        try {
            connection.Begin();
        } catch (const EServerError& e) {
            if (!e.ConnectionLost())
                throw;
            Drop();
            if (!reused || attempt > 0)
                throw;
            continue;
        }
        try {
            work(connection);
            connection.Commit();
            return;
        } catch (const EServerError& e) {
            if (e.ConnectionLost())
                Drop();
            else
                connection.Rollback();
            throw;
        } catch (...) {
            connection.Rollback();
            throw;
        }
    }
}
