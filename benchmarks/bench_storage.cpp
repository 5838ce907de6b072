// SPDX-License-Identifier: GPL-3.0-or-later
// Times the archive store on 2,000 cards with 300 KB photos, against the same SQL run through the bare
// SQLite C API in the same process.
#include "BenchSupport.h"

#include "storage/CategoryStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the store's navigation step does, with nothing but the C API: open, two pragmas, the table test,
// one query, the row copied out with its photo.
std::size_t bareNavigationStep(const QByteArray& path, const QByteArray& tableSql, const QByteArray& querySql)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.constData(), &db);
    sqlite3_exec(db, "PRAGMA SYNCHRONOUS=NORMAL;", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA temp_store = MEMORY;", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, tableSql.constData(), -1, &st, nullptr);
    sqlite3_bind_text(st, 1, "amici", 5, SQLITE_STATIC);
    sqlite3_step(st);
    sqlite3_finalize(st);
    std::size_t bytes = 0;
    std::vector<QByteArray> row;
    sqlite3_prepare_v2(db, querySql.constData(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const int n = sqlite3_column_count(st);
        for (int c = 0; c < n; ++c) {
            const int size = sqlite3_column_bytes(st, c);
            row.emplace_back(static_cast<const char*>(sqlite3_column_blob(st, c)), size);
            bytes += std::size_t(size);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 2000;
    QTemporaryDir dir;
    const CategoryDescriptor& amici = *Categories::ByKey(u"Amici"_s);
    CategoryStore store(amici, dir.path());
    store.OpenArchive(store.QueryFirst());

    const QByteArray photo = Bench::photoJpeg(800, 600, 97);
    const QString photoPath = dir.filePath(u"photo.jpg"_s);
    Bench::writeFile(photoPath, photo);
    std::printf("Archive: %d cards, photo of %lld KB\n", cards, qlonglong(photo.size() / 1024));

    CardValues values;
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = u"Valore del campo %1"_s.arg(i);
    std::vector<double> inserts;
    for (int i = 0; i < cards; ++i) {
        values[CardFields::Nome] = u"Animale %1"_s.arg(i);
        inserts.push_back(Bench::timeMs([&] {
            const qint64 id = store.InsertCard(values);
            store.StorePicture(id, photoPath);
        }));
    }
    std::printf("InsertCard + StorePicture: median %.2f ms\n", Bench::median(inserts));
    std::printf("Archive file: %lld MB\n", qlonglong(QFileInfo(store.DatabasePath()).size() >> 20));

    const QByteArray path = store.DatabasePath().toUtf8();
    const QByteArray tableSql = "select [sql] from sqlite_master where [type] = 'table' and lower(name) = ? ";
    std::vector<double> layer, bare;
    auto* random = QRandomGenerator::global();
    for (int round = 0; round < 600; ++round) {
        const qint64 from = random->bounded(1, cards);
        const QString sql = store.QueryNext(from);
        const QByteArray sqlBytes = sql.toUtf8();
        // Alternate the order so that neither side always finds the pages warmer.
        if (round % 2) {
            layer.push_back(Bench::timeMs([&] { store.OpenArchive(sql); }));
            bare.push_back(Bench::timeMs([&] { bareNavigationStep(path, tableSql, sqlBytes); }));
        } else {
            bare.push_back(Bench::timeMs([&] { bareNavigationStep(path, tableSql, sqlBytes); }));
            layer.push_back(Bench::timeMs([&] { store.OpenArchive(sql); }));
        }
    }
    const double layerMs = Bench::median(layer), bareMs = Bench::median(bare);
    std::printf("Navigation step (OpenArchive + QueryNext, row with photo): median %.3f ms\n", layerMs);
    std::printf("Same SQL through the bare C API:                          median %.3f ms\n", bareMs);
    std::printf("Ratio layer / bare: %.2f (target at most 1.20)\n", layerMs / bareMs);

    store.Database()->ExecuteStatement(u"DELETE FROM amici WHERE ID % 4 = 0"_s);
    std::vector<double> compacts;
    for (int i = 0; i < 3; ++i)
        compacts.push_back(Bench::timeMs([&] { store.CompactArchive(); }));
    std::printf("CompactArchive (%lld MB after): median %.0f ms\n",
                qlonglong(QFileInfo(store.DatabasePath()).size() >> 20), Bench::median(compacts));
    std::printf("Peak resident memory of the benchmark: %ld MB\n", Bench::residentKb("VmHWM:") / 1024);
    return 0;
}
