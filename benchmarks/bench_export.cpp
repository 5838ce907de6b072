// SPDX-License-Identifier: GPL-3.0-or-later
// Times the export of a whole archive: loading the grid (only the shown columns, against every column
// with the photos) and the transfer of a 10,000-row grid through the spreadsheet server into an .xlsx
// file, against the same cells written through the bare libxlsxwriter C API in the same process.
#include "BenchSupport.h"

#include "automation/AutomationRegistry.h"
#include "automation/DocumentDesk.h"
#include "automation/OfficeServers.h"
#include "export/ExcelTransfer.h"
#include "export/ExportGrid.h"
#include "storage/CategoryStore.h"
#include "storage/Win1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <xlsxwriter.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class QuietDesk final : public DocumentDesk
{
public:
    bool HasDefaultHandler(const QString&) override { return true; }
    bool OpenFile(const QString&) override { return true; }
};

// The floor: the same cells, each a string in text format, header bold, one call each, bare C API.
void bareWorkbook(const QByteArray& path, const TextGrid& grid)
{
    lxw_workbook* book = workbook_new(path.constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Archivio cani");
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, "@");
    lxw_format* bold = workbook_add_format(book);
    format_set_num_format(bold, "@");
    format_set_bold(bold);
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColumnCount(); ++c)
            worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                                   Win1252::Trimmed(grid.Text(r, c)).toUtf8().constData(),
                                   r == 0 && c > 0 ? bold : text);
    }
    workbook_close(book);
}

void report(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-58s min %8.1f  median %8.1f  max %8.1f ms\n", what, times.front(), Bench::median(times),
                times.back());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    const int gridRows = argc > 2 ? QByteArray(argv[2]).toInt() : 10000;
    constexpr int Runs = 11;
    QTemporaryDir dir;

    // Loading the grid from an archive with photos.
    const CategoryDescriptor& cani = *Categories::ByKey(u"Infanzia"_s);
    CategoryStore store(cani, dir.path());
    store.OpenArchive(store.QueryFirst());
    const QByteArray photo = Bench::photoJpeg(640, 480, 97);
    const QString photoPath = dir.filePath(u"photo.jpg"_s);
    Bench::writeFile(photoPath, photo);
    CardValues values;
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = u"Valore del campo %1"_s.arg(i);
    for (int i = 0; i < cards; ++i)
        store.SaveCard({}, values, photoPath);
    std::printf("Archive: %d cards, photo of %lld KB each\n", cards, qlonglong(photo.size() / 1024));

    std::vector<double> shown, all;
    for (int run = 0; run < Runs; ++run) {
        TextGrid grid = ExportGrid::DesignedEmpty();
        shown.push_back(Bench::timeMs([&] { ExportGrid::LoadExportGrid(store, grid); }));
        const long shownKb = Bench::residentKb();
        all.push_back(Bench::timeMs([&] { store.OpenArchive(store.QueryAll()); }));
        if (run == 0)
            std::printf("Resident memory: %ld MB with the shown columns, %ld MB with every column\n",
                        shownKb / 1024, Bench::residentKb() / 1024);
        store.OpenArchive(store.QueryFirst());
    }
    report("Grid loaded, the 25 shown columns only:", shown);
    report("For comparison, every column (SELECT *, with the photos):", all);

    // The transfer into a workbook.
    TextGrid grid(gridRows + 1, ExportGrid::ColumnCount);
    const QStringList headers = ExportGrid::Headers(cani);
    for (int c = 0; c < grid.ColumnCount(); ++c)
        grid.SetText(0, c, headers.at(c));
    for (int r = 1; r <= gridRows; ++r) {
        grid.SetText(r, 0, QString::number(r));
        for (int c = 1; c < grid.ColumnCount(); ++c)
            grid.SetText(r, c, u"Valore %1 della colonna %2"_s.arg(r).arg(c));
    }
    QuietDesk desk;
    Automation::Registry registry;
    Automation::RegisterOfficeServers(registry, desk, dir.path());
    std::vector<double> transfer, bare;
    for (int run = 0; run < Runs; ++run) {
        // Alternate the order so that neither side always finds the caches warmer.
        const auto viaServer = [&] {
            transfer.push_back(Bench::timeMs([&] { ExportGridToExcel(grid, u"Archivio cani"_s, registry); }));
        };
        const auto direct = [&] {
            bare.push_back(
                Bench::timeMs([&] { bareWorkbook(QFile::encodeName(dir.filePath(u"bare.xlsx"_s)), grid); }));
        };
        if (run % 2) {
            viaServer();
            direct();
        } else {
            direct();
            viaServer();
        }
        for (const QString& f : QDir(dir.filePath(u"Esportazioni"_s)).entryList(QDir::Files))
            QFile::remove(dir.filePath(u"Esportazioni/"_s + f));
    }
    std::printf("Grid of %d rows x 26 columns:\n", gridRows);
    report("Transfer through the spreadsheet server to .xlsx:", transfer);
    report("Floor: the same cells through the bare libxlsxwriter API:", bare);
    std::printf("Ratio of medians transfer / floor: %.2f\n", Bench::median(transfer) / Bench::median(bare));
    std::printf("Peak resident memory of the benchmark: %ld MB\n", Bench::residentKb("VmHWM:") / 1024);
    return 0;
}
