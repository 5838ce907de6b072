// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the storage layer. It carries a message and, when SQLite reported the failure,
// SQLite's (extended) result code and the database file it concerns; screens decide what to show.
class ESQLiteException : public std::runtime_error
{
public:
    // SQLite's primary codes for a damaged file (SQLITE_CORRUPT, SQLITE_NOTADB).
    static constexpr int CorruptCode = 11;
    static constexpr int NotADatabaseCode = 26;

    explicit ESQLiteException(const QString& message, int sqliteCode = 0, const QString& databaseFile = {})
        : std::runtime_error(message.toStdString())
        , m_message(message)
        , m_sqliteCode(sqliteCode)
        , m_databaseFile(databaseFile)
    {}

    const QString& message() const noexcept { return m_message; }
    // SQLite's extended result code; 0 when the failure was not SQLite's.
    int SqliteCode() const noexcept { return m_sqliteCode; }
    // The database file SQLite reported on; empty when not known.
    const QString& DatabaseFile() const noexcept { return m_databaseFile; }
    // Whether the archive file is damaged: SQLite found it corrupt, or not a database at all.
    bool IsDamage() const noexcept
    {
        const int primary = m_sqliteCode & 0xff;
        return primary == CorruptCode || primary == NotADatabaseCode;
    }

    // What damage means for the user, then SQLite's own report: "Il file non è più un archivio leggibile.
    // Dettagli: …".
    QString DamageDescription() const
    {
        const bool notADatabase = (m_sqliteCode & 0xff) == NotADatabaseCode;
        return (notADatabase ? QStringLiteral("Il file non \u00e8 pi\u00f9 un archivio leggibile.")
                             : QStringLiteral("Una parte del suo contenuto \u00e8 rovinata.")) +
               QStringLiteral(" Dettagli: ") + m_message;
    }

private:
    QString m_message;
    int m_sqliteCode = 0;
    QString m_databaseFile;
};
