// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <memory>

class PgConnection;

// The program's connection to the server for one archive: opened when first needed (the layout created or
// migrated then), kept open, and dropped when it is lost, so that the next action connects again. Every
// store of that archive on the program's main thread shares it; a thread of its own gets a link of its own.
class ServerLink
{
public:
    explicit ServerLink(QString connectionString);
    ~ServerLink();
    ServerLink(const ServerLink&) = delete;
    ServerLink& operator=(const ServerLink&) = delete;

    // Runs work, which reads only, on the connection. When the connection turns out to be lost (the
    // server restarted since the last action), the work runs once more on a new connection.
    void Read(const std::function<void(PgConnection&)>& work);
    // Runs work in one transaction: committed when it succeeds, rolled back when anything in it fails.
    // When the connection turns out to be lost at the transaction's start, before anything was sent,
    // the transaction runs on a new connection; a loss after that is raised, and nothing is tried again
    // (an insert would be stored twice if its commit had arrived).
    void Write(const std::function<void(PgConnection&)>& work);

    // Runs work inside one REPEATABLE READ, READ ONLY transaction: every read made on this link meanwhile
    // sees the archives as they were at its start, whatever other workstations write. A lost connection is
    // raised, never tried again (a new connection would see another moment); writes are refused.
    void Snapshot(const std::function<void()>& work);

    // The connection, opened when there is none.
    PgConnection& Connection();
    // Closes the connection; the next action opens a new one.
    void Drop() noexcept;

private:
    QString m_connectionString;
    std::unique_ptr<PgConnection> m_connection;
    bool m_snapshot = false;
};
