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

void ServerLink::Read(const std::function<void(PgConnection&)>& work)
{
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
