// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QtGlobal>

struct sqlite3;
struct sqlite3_stmt;

// The keys an import has met (digests of a microchip, or of a name and a date of birth), each with where it
// was first met. Up to memoryKeys keys are held in memory; beyond that they all move to a temporary
// database file, which SQLite removes when it is closed, so that memory stays bounded whatever the
// number of rows of the file. A failure of that file raises ESQLiteException.
class DuplicateKeys
{
public:
    static constexpr qsizetype MemoryKeys = qsizetype(1) << 20;

    explicit DuplicateKeys(qsizetype memoryKeys = MemoryKeys);
    ~DuplicateKeys();
    DuplicateKeys(const DuplicateKeys&) = delete;
    DuplicateKeys& operator=(const DuplicateKeys&) = delete;

    // Where key was first met; when it was never met, it is recorded as met at origin (not 0) and 0 is
    // returned.
    qint64 FindOrAdd(quint64 key, qint64 origin);
    // Whether the keys have moved to the temporary file.
    bool OnDisk() const noexcept { return m_db != nullptr; }

private:
    void moveToDisk();
    // Inserts the key unless the table holds it; whether it was inserted.
    bool addToDisk(quint64 key, qint64 origin);
    [[noreturn]] void fail(const char* what) const;

    qsizetype m_memoryKeys;
    QHash<quint64, qint64> m_memory;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_add = nullptr;
    sqlite3_stmt* m_find = nullptr;
};
