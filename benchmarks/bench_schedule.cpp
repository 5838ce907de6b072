// SPDX-License-Identifier: GPL-3.0-or-later
// Times the check after the password: the entries due within the notice period across ten archives holding
// 50,000 entries (falling due over the coming year, a week's worth overdue), against its floor, the same SQL
// run through the bare SQLite C API in the same process. The check runs on a thread of its own after the
// start menu is shown, so what it costs is not added to the start menu's first paint; this measures what it
// would add if it were.
#include "BenchSupport.h"

#include "schedule/Reminders.h"
#include "schedule/ScheduleBook.h"
#include "storage/CategoryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Archives = 10;
constexpr int CardsPerArchive = 1000;
constexpr int EntriesPerCard = 5;

// What the check does, with nothing but the C API: each archive opened read-only, the same query, every
// row's columns copied out.
std::size_t bareCheck(const QString& folder, const QByteArray& until)
{
    std::size_t rows = 0;
    for (const CategoryDescriptor& c : Categories::All) {
        const QByteArray path = QDir(folder).filePath(QString(c.databaseFileName)).toUtf8();
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            continue;
        }
        const QByteArray sql =
            "SELECT s.ID, s.IDScheda, s.Tipo, s.Descrizione, s.Note, s.Scadenza, s.RipetiMesi, "
            "c.varNome FROM Scadenze s JOIN " +
            QByteArray(c.tableName.data(), c.tableName.size()) +
            " c ON c.ID = s.IDScheda WHERE s.Scadenza <= ? OR s.Scadenza > '9999-12-31'";
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        sqlite3_bind_text(st, 1, until.constData(), int(until.size()), SQLITE_STATIC);
        std::vector<QByteArray> cells;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int col = 0; col < 8; ++col)
                cells.emplace_back(static_cast<const char*>(sqlite3_column_blob(st, col)),
                                   sqlite3_column_bytes(st, col));
            ++rows;
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    return rows;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QDate today(2025, 6, 1);
    for (int a = 0; a < Archives; ++a) {
        const CategoryDescriptor& category = Categories::All[std::size_t(a)];
        CategoryStore store(category, dir.path());
        store.OpenArchive(store.QueryFirst());
        TSQLiteDatabase& db = *store.Database();
        db.StartTransaction();
        for (int i = 1; i <= CardsPerArchive; ++i)
            db.ExecuteStatement(
                u"INSERT INTO %1 (ID, varNome) VALUES (%2, ?)"_s.arg(QString(category.tableName)).arg(i),
                {"Animale " + QByteArray::number(i)});
        db.CommitTransaction();
        ScheduleBook book(category, db);
        for (int i = 1; i <= CardsPerArchive; ++i) {
            std::vector<EntryInput> set;
            for (int k = 0; k < EntriesPerCard; ++k)
                set.push_back({u"Vaccinazione"_s,
                               u"Voce %1"_s.arg(k),
                               today.addDays((i * 37 + k * 71) % 372 - 7),
                               12,
                               {}});
            book.AddEntries(i, set);
        }
    }
    std::printf("Archives: %d, entries: %d\n", Archives, Archives * CardsPerArchive * EntriesPerCard);

    const QByteArray until = today.addDays(14).toString(Qt::ISODate).toUtf8();
    Bench::Figures layer, bare;
    std::size_t found = 0, bareFound = 0;
    for (int run = 0; run < 21; ++run) {
        // Alternated, so that neither side always finds the pages warmer.
        auto measureLayer = [&] {
            layer.ms.push_back(
                Bench::timeMs([&] { found = Reminders::FindDue(dir.path(), today, 14).reminders.size(); }));
        };
        auto measureBare = [&] {
            bare.ms.push_back(Bench::timeMs([&] { bareFound = bareCheck(dir.path(), until); }));
        };
        if (run % 2) {
            measureLayer();
            measureBare();
        } else {
            measureBare();
            measureLayer();
        }
    }
    std::printf("Entries due (layer / bare): %zu / %zu\n", found, bareFound);
    layer.print("Check after the password (Reminders::FindDue, 10 archives)");
    bare.print("Floor: the same SQL through the bare C API");
    std::printf("Added by the check over its floor: median %.2f ms (target at most 50 ms); ratio %.2f\n",
                layer.median() - bare.median(), layer.median() / bare.median());
    return 0;
}
