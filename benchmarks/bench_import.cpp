// SPDX-License-Identifier: GPL-3.0-or-later
// Times the import, every figure beside its floor measured in the same run:
//  - 10,000 CSV rows imported into an empty archive (after the dry run, which is not timed), against the
//    same rows' bytes inserted through the bare SQLite C API with one prepared statement in one
//    transaction;
//  - the program's own .xlsx export of 10,000 cards read back row by row, against the same file unzipped
//    with libzip and parsed by the bare XML stream reader (the shared strings and the sheet).
// The dry run of the CSV file and of the workbook are printed too.
#include "BenchSupport.h"

#include "automation/AutomationRegistry.h"
#include "automation/DocumentDesk.h"
#include "automation/OfficeServers.h"
#include "export/ExcelTransfer.h"
#include "export/ExportGrid.h"
#include "import/CardImport.h"
#include "import/ColumnMapping.h"
#include "import/TableCardSource.h"
#include "import/TableSource.h"
#include "storage/CardFields.h"
#include "storage/CategoryStore.h"
#include "storage/FileArchiveStore.h"
#include "storage/Win1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <sqlite3.h>
#include <zip.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Runs = 11;
constexpr int Cards = 10000;

class QuietDesk final : public DocumentDesk
{
public:
    bool HasDefaultHandler(const QString&) override { return true; }
    bool OpenFile(const QString&) override { return true; }
};

const CategoryDescriptor& dogs()
{
    return Categories::All[0];
}

// The 25 exported texts of card n.
QStringList cardTexts(int n)
{
    QStringList texts;
    for (const int f : ExportGrid::Fields)
        texts.append(f == 15 ? u"3802600%1"_s.arg(n, 8, 10, QChar(u'0'))
                             : u"Valore %1 del campo %2 \u00e8 citt\u00e0"_s.arg(n).arg(f));
    return texts;
}

QString csvFile(const QString& folder)
{
    QStringList headers = ExportGrid::Headers(dogs()).mid(1);
    for (QString& h : headers)
        h = h.trimmed();
    QByteArray bytes = headers.join(u';').toUtf8() + "\r\n";
    for (int n = 0; n < Cards; ++n)
        bytes += cardTexts(n).join(u';').toUtf8() + "\r\n";
    const QString path = QDir(folder).filePath(u"schede.csv"_s);
    Bench::writeFile(path, bytes);
    return path;
}

// The floor of the CSV import: the same rows, already as the archive's bytes, through one prepared insert
// in one transaction on an empty archive.
double bareInsert(const QString& folder, const std::vector<QList<QByteArray>>& rows)
{
    CategoryStore store(dogs(), folder);
    const QString create = store.CreateTableSql();
    QString columns, params;
    for (const CardField& f : CardFields::All) {
        columns += f.column + u',';
        params += u"?,"_s;
    }
    const QByteArray insert = (u"INSERT INTO "_s + dogs().tableName + u'(' + columns +
                               u"Picture,Ext) VALUES ("_s + params + u"NULL,'JPG')"_s)
                                  .toUtf8();
    return Bench::timeMs([&] {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(store.DatabasePath()).constData(), &db);
        sqlite3_exec(db, create.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, insert.constData(), -1, &stmt, nullptr);
        for (const QList<QByteArray>& row : rows) {
            for (int i = 0; i < CardFields::Count; ++i)
                sqlite3_bind_text(stmt, i + 1, row[i].constData(), int(row[i].size()), SQLITE_STATIC);
            if (sqlite3_step(stmt) != SQLITE_DONE)
                std::fprintf(stderr, "bare insert failed\n");
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
}

ImportReport importFile(const QString& file, const QString& folder, bool write)
{
    TableCardSource source(TableFile::ForPath(file));
    source.SetMapping(ColumnMapping::FromHeaders(source.Headers(), dogs()));
    return RunImport(source, dogs(), folder, {}, write);
}

// The floor of reading the workbook back: its shared strings and its sheet unzipped and parsed.
double bareParse(const QString& workbook)
{
    return Bench::timeMs([&] {
        int error = 0;
        zip_t* z = zip_open(QFile::encodeName(workbook).constData(), ZIP_RDONLY, &error);
        if (!z) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(workbook));
            return;
        }
        qint64 elements = 0;
        for (const char* member : {"xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"}) {
            zip_stat_t st;
            if (zip_stat(z, member, 0, &st) != 0) {
                std::fprintf(stderr, "no %s in %s\n", member, qPrintable(workbook));
                continue;
            }
            QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
            zip_file_t* f = zip_fopen(z, member, 0);
            zip_fread(f, bytes.data(), st.size);
            zip_fclose(f);
            QXmlStreamReader xml(bytes);
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement)
                    ++elements;
            }
        }
        zip_discard(z);
        if (elements == 0)
            std::fprintf(stderr, "nothing parsed\n");
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString csv = csvFile(dir.path());

    // The same rows as the archive's bytes, for the floor.
    std::vector<QList<QByteArray>> rows;
    for (int n = 0; n < Cards; ++n) {
        CardValues values{};
        const QStringList texts = cardTexts(n);
        for (std::size_t i = 0; i < ExportGrid::Fields.size(); ++i)
            values[std::size_t(ExportGrid::Fields[i])] = texts[qsizetype(i)];
        QList<QByteArray> bytes;
        for (const QString& v : values)
            bytes.append(*Win1252::Encode(v));
        rows.push_back(bytes);
    }

    std::printf("bench_import: %d cards, %d runs\n", Cards, Runs);
    Bench::Figures floorInsert, csvImport, csvDryRun;
    for (int run = 0; run < Runs; ++run) {
        QTemporaryDir bare, target;
        floorInsert.ms.push_back(bareInsert(bare.path(), rows));
        csvDryRun.ms.push_back(Bench::timeMs([&] {
            if (importFile(csv, target.path(), false).accepted != Cards)
                std::fprintf(stderr, "dry run incomplete\n");
        }));
        csvImport.ms.push_back(Bench::timeMs([&] {
            if (importFile(csv, target.path(), true).accepted != Cards)
                std::fprintf(stderr, "import incomplete\n");
        }));
    }
    floorInsert.print("floor: bare SQLite prepared insert, one transaction");
    csvImport.print("CSV import (after the dry run)");
    csvDryRun.print("CSV dry run");
    std::printf("  ratio import / floor: %.2f (at most 3)\n", csvImport.median() / floorInsert.median());

    // The program's own export of 10,000 cards.
    const QString source = dir.filePath(u"source"_s);
    QDir().mkpath(source);
    {
        FileArchiveStore store(dogs(), source);
        bareInsert(source, rows);
        TextGrid grid = ExportGrid::DesignedEmpty();
        ExportGrid::LoadExportGrid(store, grid);
        QuietDesk desk;
        Automation::Registry registry;
        Automation::RegisterOfficeServers(registry, desk, source);
        if (ExportGridToExcel(grid, Categories::SheetName(dogs()), registry).outcome !=
            ExcelExportResult::Outcome::Done)
            std::fprintf(stderr, "export failed\n");
    }
    const QString workbook = QDir(source).filePath(u"Archivio cani.xlsx"_s);
    Bench::Figures floorParse, readBack, xlsxDryRun;
    for (int run = 0; run < Runs; ++run) {
        floorParse.ms.push_back(bareParse(workbook));
        readBack.ms.push_back(Bench::timeMs([&] {
            const auto table = OpenTable(TableFile::ForPath(workbook));
            TableRow row;
            int n = 0;
            while (table->Next(row))
                ++n;
            if (n != Cards + 1)
                std::fprintf(stderr, "read %d rows\n", n);
        }));
        QTemporaryDir target;
        xlsxDryRun.ms.push_back(Bench::timeMs([&] { importFile(workbook, target.path(), false); }));
    }
    floorParse.print("floor: libzip + bare XML stream reader");
    readBack.print(".xlsx export read back, row by row");
    xlsxDryRun.print(".xlsx dry run");
    std::printf("  ratio read back / floor: %.2f (at most 2)\n", readBack.median() / floorParse.median());
    return 0;
}
