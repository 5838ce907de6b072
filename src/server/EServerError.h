// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/ESQLiteException.h"

// A failure on the archives' server. It is a storage error like any other, so the screens that catch
// ESQLiteException catch it too. Its message is Italian and names the server (host, port, database), never
// the connection string or a password.
class EServerError : public ESQLiteException
{
public:
    EServerError(const QString& message, bool connectionLost, const QByteArray& sqlState = {})
        : ESQLiteException(message)
        , m_connectionLost(connectionLost)
        , m_sqlState(sqlState)
    {}

    // Whether the connection to the server was lost (or never made): the server stopped, the network
    // dropped, the server refused the connection. A new connection may succeed later.
    bool ConnectionLost() const noexcept { return m_connectionLost; }
    // The server's five-character SQLSTATE code; empty when the failure did not come from a statement.
    const QByteArray& SqlState() const noexcept { return m_sqlState; }

private:
    bool m_connectionLost;
    QByteArray m_sqlState;
};
