// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

// A throwaway PostgreSQL server for the tests, from Debian's postgresql package: initdb and pg_ctl in a
// temporary folder, listening on a free local port and on a Unix socket in that folder, run as an
// unprivileged user (postgres, or nobody) when the tests run as root, as PostgreSQL refuses root. It
// holds one database, "archivi". A watchdog process stops the server and removes its folder when the
// test process ends in any way (a failed check, a sanitizer's report, a timeout's kill).
class PgTestServer
{
public:
    // A durable server writes to disk as a real one does; otherwise it skips the disk's flushes, which
    // the tests need not wait for.
    explicit PgTestServer(bool durable = false);
    ~PgTestServer();
    PgTestServer(const PgTestServer&) = delete;
    PgTestServer& operator=(const PgTestServer&) = delete;

    // Empty when the server runs; otherwise why it does not (naming the package to install when
    // PostgreSQL is missing).
    const QString& Error() const noexcept { return m_error; }
    // The connection string of the database archivi (through the Unix socket).
    QString ConnectionString() const;
    // The same over TCP (127.0.0.1 and the port).
    QString TcpConnectionString() const;

    // Replaces the database archivi by an empty one, ending every connection to it. Returns the error.
    QString ResetDatabase();
    // Stops the server (fast shutdown) and starts it again on the same port; returns the error.
    QString Stop();
    QString Start();

private:
    QString run(const QString& program, const QStringList& arguments) const;

    QString m_error;
    QString m_bin;
    QString m_user; // empty when not run as root
    bool m_durable;
    int m_port = 0;
    std::unique_ptr<QTemporaryDir> m_dir;
};
