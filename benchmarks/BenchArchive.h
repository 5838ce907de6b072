// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryStore.h"
#include "storage/Win1252.h"

#include <QRandomGenerator>
#include <sqlite3.h>
#include <vector>

// The horses' archive (category Amici) filled for the search benchmarks, and the search it makes done with
// nothing but SQLite's C API, as the floor to compare with.
namespace Bench {

using namespace Qt::Literals::StringLiterals;

inline const CategoryDescriptor& amici()
{
    return *Categories::ByKey(u"Amici"_s);
}

// An archive of cards with varied names, written through the bare C API in one transaction.
inline void makeArchive(const QString& folder, int cards, int photoBytes)
{
    CategoryStore store(amici(), folder);
    store.OpenArchive(store.QueryFirst()); // creates the file and the table
    sqlite3* db = nullptr;
    sqlite3_open(store.DatabasePath().toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    QString columns = u"varNome"_s;
    QString params = u"?"_s;
    for (std::size_t i = 1; i < CardFields::All.size(); ++i) {
        columns += u',' + CardFields::All[i].column;
        params += u",?"_s;
    }
    const QByteArray sql =
        ("INSERT INTO amici ("_L1 + columns + ",Picture,Ext) VALUES ("_L1 + params + ",?,'JPG')"_L1).toUtf8();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    static const char* names[] = {"Rex",  "Fulmine", "Stella", "Bucefalo", "Furia", "Zefiro",
                                  "Luna", "Baio",    "Pietà",  "Ombra",    "Tuono", "Àrgo"};
    auto* random = QRandomGenerator::global();
    QByteArray photo(photoBytes, Qt::Uninitialized);
    for (qsizetype i = 0; i < photo.size(); ++i)
        photo[i] = char(random->generate());
    std::vector<QByteArray> values(CardFields::All.size());
    for (int card = 0; card < cards; ++card) {
        values[0] = *Win1252::Encode(QString::fromUtf8(names[random->bounded(12)]) + u' ' +
                                     QString::number(random->bounded(100000)));
        for (std::size_t i = 1; i < values.size(); ++i)
            values[i] = "Valore " + QByteArray::number(random->bounded(1000)) + " del campo";
        values[CardFields::Prezzo] = "\x80 " + QByteArray::number(random->bounded(5000));
        for (std::size_t i = 0; i < values.size(); ++i)
            sqlite3_bind_text(st, int(i) + 1, values[i].constData(), int(values[i].size()), SQLITE_STATIC);
        if (photoBytes > 0) {
            photo[card % photo.size()] = char(card);
            sqlite3_bind_blob(st, int(values.size()) + 1, photo.constData(), int(photo.size()),
                              SQLITE_STATIC);
        } else {
            sqlite3_bind_null(st, int(values.size()) + 1);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// What the store's search does, with nothing but the C API and SQLite's own LIKE: open, two pragmas,
// the table test, the query, every row's seven values copied out.
inline std::size_t bareSearch(const QByteArray& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.constData(), &db);
    sqlite3_exec(db, "PRAGMA SYNCHRONOUS=NORMAL;", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA temp_store = MEMORY;", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select [sql] from sqlite_master where [type] = 'table' and lower(name) = ? ", -1,
                       &st, nullptr);
    sqlite3_bind_text(st, 1, "amici", 5, SQLITE_STATIC);
    sqlite3_step(st);
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db,
                       "SELECT ID,varNome,varRazza,varSesso,varDataNasc,varTelefono,varPrezzo FROM amici "
                       "WHERE varNome LIKE ?",
                       -1, &st, nullptr);
    sqlite3_bind_text(st, 1, "%%", 2, SQLITE_STATIC);
    std::vector<QByteArray> cells;
    std::size_t rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        cells.emplace_back(QByteArray::number(sqlite3_column_int64(st, 0)));
        for (int c = 1; c < 7; ++c)
            cells.emplace_back(static_cast<const char*>(sqlite3_column_blob(st, c)),
                               sqlite3_column_bytes(st, c));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

} // namespace Bench
