// SPDX-License-Identifier: GPL-3.0-or-later
// Times the find dialog as the user works it, on temporary archives of 10,000 cards without photos and
// 2,000 cards with 300 KB photos: "Cerca in archivio" with an empty key, from the click to the sorted list
// painted, against the same query through the bare SQLite C API in the same run, with the rise of peak
// resident memory during the first search; then "Trova" over 10,000 lines (no line matches, so every line
// is tested) and "Stampa" of 10,000 lines to a PDF file, with the cursor seen while printing.
#include "BenchArchive.h"
#include "BenchSupport.h"

#include "app/Screens.h"
#include "kit/CodazzurraApplication.h"
#include "kit/Desktop.h"
#include "search/ui/AdvancedSearch.h"
#include "search/ui/FindDialog.h"
#include "storage/FileArchiveStore.h"

#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPushButton>
#include <QTemporaryDir>
#include <malloc.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Runs = 15;

// A desktop that answers Yes and prints to a PDF file at 600 dpi, A4 landscape.
class BenchDesktop final : public Desktop
{
public:
    void Message(QWidget*, Icon, const QString&, const QString& text) override
    {
        std::printf("  message: %s\n", qPrintable(text));
    }
    bool Question(QWidget*, const QString&, const QString&) override { return true; }
    bool Ask(QWidget*, Icon, const QString&, const QString&) override { return true; }
    int Choose(QWidget*, Icon, const QString&, const QString&, const QStringList&) override { return 0; }
    QString ChooseFileToOpen(QWidget*, const QString&, const QString&) override { return {}; }
    QString ChooseFileToSave(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString ChooseFolder(QWidget*, const QString&) override { return {}; }
    bool Open(const QUrl&) override { return false; }
    void InhibitScreenSaver(QWidget*, bool) override {}
    bool HasDefaultHandler(const QString&) override { return false; }
    void Quit() override {}
    QDateTime Now() override { return QDateTime::currentDateTime(); }
    bool HasPrinter() override { return true; }
    std::unique_ptr<QPagedPaintDevice> OpenPrintJob() override
    {
        busyWhilePrinting =
            QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        auto writer = std::make_unique<QPdfWriter>(pdf);
        writer->setResolution(600);
        writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
        return writer;
    }
    std::unique_ptr<QPagedPaintDevice> OpenPdfFile(const QString&, QIODevice&) override
    {
        return OpenPrintJob();
    }

    QString pdf;
    bool busyWhilePrinting = false;
};

void resetPeak()
{
    malloc_trim(0);
    QFile f(u"/proc/self/clear_refs"_s);
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

FindDialog* findDialog(const Screens& screens)
{
    for (QWidget* w : screens.All()) {
        if (w->objectName() == u"TfrmTrovaAmici"_s)
            return qobject_cast<FindDialog*>(w);
    }
    return nullptr;
}

// "Cerca in archivio" with an empty key, until the list is laid out and painted.
void searchAndPaint(FindDialog* dialog)
{
    dialog->findChild<QPushButton*>(u"btnPopola"_s)->click();
    QCoreApplication::processEvents(); // the list lays out its rows and paints
    dialog->List()->viewport()->repaint();
}

FindDialog* openOn(const QString& folder, std::unique_ptr<Screens>& screens)
{
    screens = std::make_unique<Screens>(folder);
    FindDialog* dialog = findDialog(*screens);
    dialog->show();
    QCoreApplication::processEvents();
    // Choosing the criterion enables the search with the key left empty.
    auto* criterion = dialog->findChild<QComboBox*>(u"cboCriterio"_s);
    emit criterion->activated(0);
    return dialog;
}

void timeSearch(const QString& folder, const char* label)
{
    std::unique_ptr<Screens> screens;
    FindDialog* dialog = openOn(folder, screens);
    const QByteArray path = dynamic_cast<FileArchiveStore&>(dialog->Store()).Location().toUtf8();

    resetPeak();
    const long before = Bench::residentKb("VmHWM:");
    searchAndPaint(dialog);
    const long rise = Bench::residentKb("VmHWM:") - before;
    std::printf("%s: %d lines listed\n", label, dialog->Results().Count());
    std::printf("  peak resident memory rise during the first search: %.1f MB\n", rise / 1024.0);

    Bench::Figures whole, bare;
    for (int run = 0; run < Runs; ++run) {
        auto dialogSide = [&] { whole.ms.push_back(Bench::timeMs([&] { searchAndPaint(dialog); })); };
        auto floor = [&] { bare.ms.push_back(Bench::timeMs([&] { Bench::bareSearch(path); })); };
        if (run % 2) {
            dialogSide();
            floor();
        } else {
            floor();
            dialogSide();
        }
    }
    whole.print("click to sorted list painted (target < 100 ms)");
    bare.print("floor: same query, bare C API, SQLite's LIKE");
    std::printf("  ratio %.2f\n", whole.median() / bare.median());
    dialog->hide();
}

void timeFindAndPrint(const QString& folder, BenchDesktop& desk)
{
    std::unique_ptr<Screens> screens;
    FindDialog* dialog = openOn(folder, screens);
    searchAndPaint(dialog);
    const int lines = dialog->Results().Count();

    std::printf("\"Trova\" over %d lines, no line matching\n", lines);
    auto* key = dialog->findChild<QLineEdit*>(u"txtTrova"_s);
    auto* find = dialog->findChild<QPushButton*>(u"btnTrova"_s);
    Bench::Figures trova, floor;
    for (int run = 0; run < Runs; ++run) {
        key->setText(u"zqzq%1"_s.arg(run)); // a new key each time: the search starts from the top
        trova.ms.push_back(Bench::timeMs([&] {
            find->click();
            dialog->List()->viewport()->repaint();
        }));
        floor.ms.push_back(Bench::timeMs([&] {
            int found = 0;
            for (const QString& line : dialog->Results().Lines())
                found += line.contains(u"zqzq"_s, Qt::CaseInsensitive) ? 1 : 0;
            if (found)
                std::printf("unexpected match\n");
        }));
    }
    trova.print("click to selection painted (target < 10 ms)");
    floor.print("floor: QString::contains ignoring case, every line");

    std::printf("\"Stampa\" of %d lines to a PDF at 600 dpi\n", lines);
    auto* print = dialog->findChild<QPushButton*>(u"btnStampa"_s);
    Bench::Figures stampa;
    for (int run = 0; run < 11; ++run)
        stampa.ms.push_back(Bench::timeMs([&] { print->click(); }));
    stampa.print("click to PDF file written (target < 5000 ms)");
    std::printf("  PDF of %lld KB; busy cursor while printing: %s\n",
                qlonglong(QFileInfo(desk.pdf).size() / 1024), desk.busyWhilePrinting ? "yes" : "no");
    dialog->hide();
}

// What each dialog adds to the program's start-up: its construction (the program makes twenty).
void timeConstruction(const QString& folder)
{
    Screens host(folder);
    const CategoryDescriptor& category = Bench::amici();
    Bench::Figures find, search, floor;
    for (int run = 0; run < Runs; ++run) {
        find.ms.push_back(Bench::timeMs([&] { FindDialog dialog(host, category); }));
        search.ms.push_back(Bench::timeMs([&] { AdvancedSearch dialog(host, category); }));
        floor.ms.push_back(Bench::timeMs([&] {
            QDialog dialog;
            dialog.setFixedSize(783, 505);
        }));
    }
    std::printf("Constructing and destroying one dialog\n");
    find.print("FindDialog");
    search.print("AdvancedSearch");
    floor.print("floor: an empty QDialog of the same size");
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CodazzurraApplication app(argc, argv);
    BenchDesktop desk;
    SetDesktop(&desk);
    QTemporaryDir dir;
    desk.pdf = dir.filePath(u"elenco.pdf"_s);
    const QString photos = dir.filePath(u"photos"_s);
    const QString large = dir.filePath(u"large"_s);
    for (const QString& f : {photos, large})
        QDir().mkpath(f);

    std::printf("Building the archives...\n");
    Bench::makeArchive(photos, 2000, 300 * 1024);
    Bench::makeArchive(large, 10000, 0);
    std::printf("Archive files: %lld MB with photos, %lld MB without\n",
                qlonglong(QFileInfo(photos + u"/Cavalli.db"_s).size() >> 20),
                qlonglong(QFileInfo(large + u"/Cavalli.db"_s).size() >> 20));

    timeConstruction(large);
    timeSearch(photos, "2,000 cards with 300 KB photos");
    timeSearch(large, "10,000 cards without photos");
    timeFindAndPrint(large, desk);
    std::printf("Peak resident memory of the benchmark: %ld MB\n", Bench::residentKb("VmHWM:") / 1024);
    SetDesktop(nullptr);
    return 0;
}
