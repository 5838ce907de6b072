// SPDX-License-Identifier: GPL-3.0-or-later
#include "DuplicateKeys.h"

#include "storage/ESQLiteException.h"

#include <algorithm>
#include <sqlite3.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

DuplicateKeys::DuplicateKeys(qsizetype memoryKeys)
    : m_memoryKeys(memoryKeys)
{}

DuplicateKeys::~DuplicateKeys()
{
    sqlite3_finalize(m_add);
    sqlite3_finalize(m_find);
    sqlite3_close(m_db);
}

void DuplicateKeys::fail(const char* what) const
{
    const QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : u"memoria insufficiente"_s;
    throw ESQLiteException(u"Il file temporaneo dei doppioni non \u00e8 utilizzabile (%1: %2)."_s.arg(
                               QString::fromLatin1(what), why),
                           m_db ? sqlite3_extended_errcode(m_db) : SQLITE_NOMEM);
}

qint64 DuplicateKeys::FindOrAdd(quint64 key, qint64 origin)
{
    if (!m_db) {
        const auto found = m_memory.constFind(key);
        if (found != m_memory.cend())
            return found.value();
        if (m_memory.size() < m_memoryKeys) {
            m_memory.insert(key, origin);
            return 0;
        }
        moveToDisk();
    }
    // Most keys are new: one insert, and a look-up only when it changed nothing.
    if (addToDisk(key, origin))
        return 0;
    sqlite3_bind_int64(m_find, 1, sqlite3_int64(key));
    qint64 found = 0;
    if (sqlite3_step(m_find) == SQLITE_ROW)
        found = sqlite3_column_int64(m_find, 0);
    sqlite3_reset(m_find);
    if (found == 0)
        fail("lettura");
    return found;
}

void DuplicateKeys::moveToDisk()
{
    // An empty name: a private file in the temporary folder, deleted when closed. Nothing of it needs
    // to survive a crash, so it keeps no journal and is never synced; its cache is bounded (64 MB: a smaller
    // one makes the random look-ups of a file of millions of rows read the disk far more often).
    if (sqlite3_open_v2("", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        fail("apertura");
    const char* setup =
        "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-65536;"
        "PRAGMA temp_store=FILE; CREATE TABLE k(key INTEGER PRIMARY KEY, origin INTEGER NOT NULL);"
        "BEGIN";
    if (sqlite3_exec(m_db, setup, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("creazione");
    if (sqlite3_prepare_v2(m_db, "INSERT OR IGNORE INTO k VALUES (?, ?)", -1, &m_add, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(m_db, "SELECT origin FROM k WHERE key = ?", -1, &m_find, nullptr) != SQLITE_OK)
        fail("preparazione");
    // In key order, the keys held so far fill the table's pages one after the other.
    std::vector<std::pair<quint64, qint64>> held;
    held.reserve(std::size_t(m_memory.size()));
    for (auto it = m_memory.cbegin(); it != m_memory.cend(); ++it)
        held.emplace_back(it.key(), it.value());
    m_memory = {};
    std::sort(held.begin(), held.end(),
              [](const auto& a, const auto& b) { return qint64(a.first) < qint64(b.first); });
    for (const auto& [key, origin] : held)
        addToDisk(key, origin);
}

bool DuplicateKeys::addToDisk(quint64 key, qint64 origin)
{
    sqlite3_bind_int64(m_add, 1, sqlite3_int64(key));
    sqlite3_bind_int64(m_add, 2, origin);
    const int rc = sqlite3_step(m_add);
    sqlite3_reset(m_add);
    if (rc != SQLITE_DONE)
        fail("inserimento");
    return sqlite3_changes(m_db) > 0;
}
