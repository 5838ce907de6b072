// SPDX-License-Identifier: GPL-3.0-or-later
// Times the export of a whole archive of 10,000 cards (each with a photo), every figure beside its floor
// measured in the same run:
//  - the store's read of the 25 shown columns, against the same query through the bare SQLite C API;
//  - the record card's cmdExcel to the export screen's painted grid, against loading the grid alone; and
//    the resident memory the filled grid takes;
//  - "Esporta in Excel" to the workbook handed to the desktop, against the same cells written through
//    the bare libxlsxwriter C API;
//  - the transfer alone through the spreadsheet server, against the same floor;
//  - the record card's cmdWord, with a 12-megapixel photo, to the document handed to the desktop, against
//    the picture work alone (decoding the photo at the detail the document keeps and encoding that);
//  - the peak resident memory of the export screen's grid of 100,000 cards, alone and with the transfer
//    to a workbook, each peak measured in a process of its own.
// Runs offscreen unless a platform is set. "bench_export --memory" measures the memory alone.
#include "BenchSupport.h"

#include <QDateTime>
#include <QPagedPaintDevice>

#include "app/Screens.h"
#include "automation/AutomationRegistry.h"
#include "automation/DocumentDesk.h"
#include "automation/DocumentServer.h"
#include "automation/OfficeServers.h"
#include "card/ui/RecordCard.h"
#include "export/ExcelTransfer.h"
#include "export/ExportGrid.h"
#include "export/ui/ExportGridView.h"
#include "export/ui/ExportScreen.h"
#include "kit/CodazzurraApplication.h"
#include "kit/Desktop.h"
#include "picture/JpegDecoder.h"
#include "storage/CategoryStore.h"
#include "storage/FileArchiveStore.h"
#include "storage/Win1252.h"

#include <QAbstractButton>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <sqlite3.h>
#include <xlsxwriter.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Runs = 11;
constexpr int MemoryCards = 100000;
constexpr int MemoryRuns = 3;

// A desktop that answers at once: every kind of document has a program, and opening a file notes when
// it was asked.
class QuietDesktop final : public Desktop
{
public:
    void Message(QWidget*, Icon, const QString&, const QString& text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool Question(QWidget*, const QString&, const QString&) override { return false; }
    QString ChooseFileToOpen(QWidget*, const QString&, const QString&) override { return fileToOpen; }
    QString ChooseFileToSave(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString ChooseFolder(QWidget*, const QString&) override { return {}; }
    bool Open(const QUrl& url) override
    {
        openedAtNs = clock.nsecsElapsed();
        opened = url.toLocalFile();
        return true;
    }
    bool HasDefaultHandler(const QString&) override { return true; }
    void InhibitScreenSaver(QWidget*, bool) override {}
    void Quit() override {}
    bool Ask(QWidget*, Icon, const QString&, const QString&) override { return false; }
    int Choose(QWidget*, Icon, const QString&, const QString&, const QStringList&) override { return -1; }
    QDateTime Now() override { return QDateTime::currentDateTime(); }
    bool HasPrinter() override { return false; }
    std::unique_ptr<QPagedPaintDevice> OpenPrintJob() override { return nullptr; }
    std::unique_ptr<QPagedPaintDevice> OpenPdfFile(const QString&, QIODevice&) override { return nullptr; }

    QElapsedTimer clock;
    qint64 openedAtNs = 0;
    QString opened;
    QString fileToOpen;
};

// The floor of the store's read: the same query, every row's 25 values copied out, bare C API.
std::size_t bareRead(const QByteArray& path, const QByteArray& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.constData(), &db);
    sqlite3_exec(db, "PRAGMA SYNCHRONOUS=NORMAL;", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA temp_store = MEMORY;", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
    std::vector<QByteArray> values;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            values.emplace_back(static_cast<const char*>(sqlite3_column_blob(st, c)),
                                sqlite3_column_bytes(st, c));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return values.size();
}

// The floor of the transfer: the same cells, each a string in text format, header bold, one call each,
// written row by row as the server writes them.
void bareWorkbook(const QByteArray& path, const TextGrid& grid)
{
    QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = folder.data();
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
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
    std::printf("  %-62s min %7.1f  median %7.1f  max %7.1f ms\n", what, times.front(), Bench::median(times),
                times.back());
}

// Runs first and second alternately, so that neither always finds the caches warmer.
template <typename A, typename B> void alternate(int run, A&& first, B&& second)
{
    if (run % 2) {
        first();
        second();
    } else {
        second();
        first();
    }
}

void removeExports(const QString& folder)
{
    for (const QString& f : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(QDir(folder).filePath(f));
}

// Adds cards new cards to the archive, every text field filled ("Valore del campo <field> della scheda
// <n>"), each with a random photo of photoBytes.
void fillArchive(CategoryStore& store, int cards, int photoBytes)
{
    QStringList columns, values;
    for (std::size_t i = 0; i < CardFields::All.size(); ++i) {
        columns << QString(CardFields::All[i].column);
        values << u"'Valore del campo %1 della scheda ' || i"_s.arg(i);
    }
    store.Database()->ExecuteStatement(
        u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO %2 (%3, picture, Ext) SELECT %4, randomblob(%5), 'JPG' FROM n"_s.arg(cards)
            .arg(QString(store.category().tableName), columns.join(u','), values.join(u','))
            .arg(photoBytes));
}

const CategoryDescriptor& dogs()
{
    return *Categories::ByKey(u"Infanzia"_s);
}

// The child process of one memory measurement: loads the export screen's grid from the archive in folder
// as the screen does, and with "transfer" also hands it to a new workbook; prints its peak resident memory
// in kB.
int measurePeak(const QString& what, const QString& folder)
{
    struct Desk final : public DocumentDesk
    {
        bool HasDefaultHandler(const QString&) override { return true; }
        bool OpenFile(const QString&) override { return true; }
    } desk;
    FileArchiveStore store(dogs(), folder);
    TextGrid grid = ExportGrid::DesignedEmpty();
    ExportGrid::LoadExportGrid(store, grid);
    if (what == u"transfer"_s) {
        Automation::Registry registry;
        Automation::RegisterOfficeServers(registry, desk, QDir(folder).filePath(u"Esportazioni"_s));
        const ExcelExportResult result = ExportGridToExcel(grid, u"Archivio cani"_s, registry);
        if (result.outcome != ExcelExportResult::Outcome::Done)
            std::fprintf(stderr, "transfer failed: %s\n", qPrintable(result.errorText));
    }
    std::printf("%ld\n", Bench::residentKb("VmHWM:"));
    return 0;
}

// The peaks of the grid alone and of the grid with the transfer, MemoryRuns processes of each.
void reportMemory()
{
    QTemporaryDir dir;
    {
        CategoryStore store(dogs(), dir.path());
        store.OpenArchive(store.QueryFirst());
        fillArchive(store, MemoryCards, 0);
    }
    const auto peakMb = [&](const QString& what) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"--peak"_s, what, dir.path()});
        child.waitForFinished(-1);
        return child.readAllStandardOutput().trimmed().toDouble() / 1024;
    };
    std::vector<double> grid, transfer;
    for (int run = 0; run < MemoryRuns; ++run) {
        alternate(
            run, [&] { grid.push_back(peakMb(u"grid"_s)); },
            [&] { transfer.push_back(peakMb(u"transfer"_s)); });
        removeExports(dir.filePath(u"Esportazioni"_s));
    }
    std::sort(grid.begin(), grid.end());
    std::sort(transfer.begin(), transfer.end());
    std::printf("Peak resident memory, %d cards x 26 columns, no photos (%d processes each):\n", MemoryCards,
                MemoryRuns);
    std::printf("  %-62s min %7.1f  median %7.1f  max %7.1f MB\n", "the export screen's grid alone",
                grid.front(), Bench::median(grid), grid.back());
    std::printf("  %-62s min %7.1f  median %7.1f  max %7.1f MB\n", "the grid and its transfer to a workbook",
                transfer.front(), Bench::median(transfer), transfer.back());
    std::printf("  ratio of medians grid and transfer / grid: %.2f (target at most 1.3)\n",
                Bench::median(transfer) / Bench::median(grid));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--peak") == 0) {
        QCoreApplication core(argc, argv);
        return measurePeak(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CodazzurraApplication app(argc, argv);
    QuietDesktop desktop;
    SetDesktop(&desktop);
    if (argc == 2 && qstrcmp(argv[1], "--memory") == 0) {
        reportMemory();
        return 0;
    }
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    const QString exports = dir.filePath(u"Esportazioni"_s);

    // An archive of the dogs: every text field filled, a photo of 20 KB on every card.
    const CategoryDescriptor& cani = dogs();
    FileArchiveStore archive(cani, dir.path());
    CategoryStore& store = archive.Store();
    store.OpenArchive(store.QueryFirst());
    fillArchive(store, cards, 20000);
    std::printf("Archive: %d cards, every field filled, a photo of 20 KB each, %lld MB on disk\n", cards,
                QFileInfo(store.DatabasePath()).size() / 1048576);

    // 1. The store's read of the shown columns against the bare C API.
    const QString shownSql = store.QueryFieldsOfAll(ExportGrid::Fields);
    const QByteArray path = QFile::encodeName(store.DatabasePath());
    std::vector<double> storeRead, bare, gridLoad, everyColumn;
    for (int run = 0; run < Runs; ++run) {
        alternate(
            run, [&] { storeRead.push_back(Bench::timeMs([&] { store.OpenArchive(shownSql); })); },
            [&] { bare.push_back(Bench::timeMs([&] { bareRead(path, shownSql.toUtf8()); })); });
        TextGrid grid = ExportGrid::DesignedEmpty();
        gridLoad.push_back(Bench::timeMs([&] { ExportGrid::LoadExportGrid(archive, grid); }));
        everyColumn.push_back(Bench::timeMs([&] { store.OpenArchive(store.QueryAll()); }));
        store.OpenArchive(store.QueryFirst());
    }
    std::printf("Reading the archive (%d runs):\n", Runs);
    report("store: the 25 shown columns (OpenArchive)", storeRead);
    report("floor: the same query, bare SQLite C API", bare);
    std::printf("  ratio of medians store / floor: %.2f (target at most 1.5)\n",
                Bench::median(storeRead) / Bench::median(bare));
    report("grid loaded (read and filled)", gridLoad);
    report("for comparison, every column with the photos (SELECT *)", everyColumn);

    // 2. From the record card's cmdExcel to the painted grid.
    Screens screens(dir.path());
    RecordCard* card = screens.Card(cani);
    ExportScreen* screen = nullptr;
    for (QWidget* w : screens.All()) {
        if (w->objectName() == u"TfrmExpInfanzia"_s)
            screen = qobject_cast<ExportScreen*>(w);
    }
    card->show();
    QCoreApplication::processEvents();
    auto* cmdExcel = card->findChild<QAbstractButton*>(u"cmdExcel"_s);
    QWidget* viewport = screen->GridView()->viewport();

    struct PaintWatch final : public QObject
    {
        QDialog* dialog = nullptr;
        QElapsedTimer* clock = nullptr;
        double paintedMs = 0;
        bool armed = false;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (armed && event->type() == QEvent::Paint) {
                armed = false;
                // Once this paint has been done and flushed, the grid is on screen.
                QTimer::singleShot(0, dialog, [this] {
                    paintedMs = double(clock->nsecsElapsed()) / 1e6;
                    dialog->reject();
                });
            }
            return false;
        }
    } watch;
    QElapsedTimer clock;
    watch.dialog = screen;
    watch.clock = &clock;
    viewport->installEventFilter(&watch);

    std::vector<double> opening, loadOnly;
    long rssBefore = 0, rssAfter = 0;
    for (int run = 0; run < Runs; ++run) {
        if (run == 0)
            rssBefore = Bench::residentKb();
        watch.armed = true;
        clock.start();
        cmdExcel->click(); // returns when the screen has been closed
        opening.push_back(watch.paintedMs);
        if (run == 0)
            rssAfter = Bench::residentKb();
        TextGrid grid = ExportGrid::DesignedEmpty();
        loadOnly.push_back(Bench::timeMs([&] { ExportGrid::LoadExportGrid(archive, grid); }));
    }
    viewport->removeEventFilter(&watch);
    std::printf("Opening the export screen on %d cards (%d runs):\n", cards, Runs);
    report("cmdExcel clicked to the grid painted (target at most 500)", opening);
    report("floor: the grid's loading alone", loadOnly);
    std::printf("  resident memory of the shown screen: +%ld MB over the card alone (grid and result set)\n",
                (rssAfter - rssBefore) / 1024);

    // 3. "Esporta in Excel" to the workbook handed to the desktop, the screen showing every card.
    screen->show();
    QCoreApplication::processEvents();
    auto* imgExcel = screen->findChild<QAbstractButton*>(u"imgExcel"_s);
    const TextGrid& shown = screen->Grid();
    std::vector<double> click, floorClick;
    for (int run = 0; run < Runs; ++run) {
        alternate(
            run,
            [&] {
                desktop.clock.start();
                desktop.openedAtNs = -1;
                imgExcel->click();
                click.push_back(double(desktop.openedAtNs) / 1e6);
            },
            [&] {
                floorClick.push_back(Bench::timeMs(
                    [&] { bareWorkbook(QFile::encodeName(dir.filePath(u"bare.xlsx"_s)), shown); }));
            });
        removeExports(exports);
    }
    std::printf("Exporting %d rows x 26 columns (%d runs), file handed to the desktop: %s\n",
                shown.RowCount(), Runs, desktop.opened.isEmpty() ? "none" : "yes");
    report("\"Esporta in Excel\" clicked to the file handed over (target 1000)", click);
    report("floor: the same cells through the bare libxlsxwriter API", floorClick);
    std::printf("  ratio of medians click / floor: %.2f\n", Bench::median(click) / Bench::median(floorClick));

    // 4. The transfer alone, through the server, without the screen.
    std::vector<double> transfer;
    for (int run = 0; run < Runs; ++run) {
        transfer.push_back(
            Bench::timeMs([&] { ExportGridToExcel(shown, u"Archivio cani"_s, screens.OfficeRegistry()); }));
        removeExports(exports);
    }
    report("transfer alone through the spreadsheet server", transfer);
    screen->close();

    // 5. The card with a 12-megapixel photo to a document.
    const QByteArray photo = Bench::photoJpeg(4000, 3000, 85);
    desktop.fileToOpen = dir.filePath(u"foto.jpg"_s);
    Bench::writeFile(desktop.fileToOpen, photo);
    card->LoadPhoto();
    auto* cmdWord = card->findChild<QAbstractButton*>(u"cmdWord"_s);
    const QSize detail(int(DocumentServer::PictureBox.width() * DocumentServer::PictureDetail),
                       int(DocumentServer::PictureBox.height() * DocumentServer::PictureDetail));
    std::vector<double> word, pictureWork;
    for (int run = 0; run < Runs; ++run) {
        alternate(
            run,
            [&] {
                desktop.clock.start();
                desktop.openedAtNs = -1;
                cmdWord->click();
                word.push_back(double(desktop.openedAtNs) / 1e6);
            },
            [&] {
                pictureWork.push_back(Bench::timeMs([&] {
                    const JpegPicture decoded = Jpeg::Decode(photo, detail);
                    QByteArray encoded;
                    QBuffer buffer(&encoded);
                    buffer.open(QIODevice::WriteOnly);
                    decoded.image.save(&buffer, "JPG", 90);
                }));
            });
        removeExports(exports);
    }
    std::printf("The card to a document, a photo of 4000 x 3000 (%.1f MB) (%d runs), handed over: %s\n",
                photo.size() / 1048576.0, Runs, QFileInfo(desktop.opened).fileName().toUtf8().constData());
    report("cmdWord clicked to the document handed over (target 1500)", word);
    report("floor: the photo decoded at the detail kept and encoded again", pictureWork);
    std::printf("  ratio of medians click / floor: %.2f\n", Bench::median(word) / Bench::median(pictureWork));

    std::printf("Peak resident memory of the benchmark: %ld MB\n", Bench::residentKb("VmHWM:") / 1024);
    reportMemory();
    SetDesktop(nullptr);
    return 0;
}
