// SPDX-License-Identifier: GPL-3.0-or-later
// Times the finding records core on temporary archives: 2,000 cards with 300 KB photos, and 2,000 and
// 10,000 cards without photos. For each: the empty-key search (store query, result lines and one sort)
// against the same query through the bare SQLite C API in the same run, and the rise of peak resident
// memory during the search. Then one in-list find over 10,000 lines and printing 10,000 lines to a PDF,
// each against a floor measured in the same run.
#include "BenchArchive.h"
#include "BenchSupport.h"

#include "search/FindInList.h"
#include "search/ResultList.h"
#include "search/ResultListPrinter.h"
#include "storage/CategoryStore.h"
#include "storage/Win1252.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <malloc.h>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Runs = 15;

// Peak resident memory can be reset on Linux; freed heap is handed back first so that every archive
// starts alike.
void resetPeak()
{
    malloc_trim(0);
    QFile f(u"/proc/self/clear_refs"_s);
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

ResultList searchArchive(const QString& folder, const char* label)
{
    CategoryStore store(Bench::amici(), folder);
    const QByteArray path = store.DatabasePath().toUtf8();
    ResultList list;

    resetPeak();
    const long before = Bench::residentKb("VmHWM:");
    list.Fill(store.FindByField(CardFields::Nome, {}));
    const long rise = Bench::residentKb("VmHWM:") - before;
    std::printf("%s: %d cards found\n", label, list.Count());
    std::printf("  peak resident memory rise during the first search: %.1f MB\n", rise / 1024.0);

    Bench::Figures whole, query, lines, bare;
    for (int run = 0; run < Runs; ++run) {
        // Alternate the order so that neither side always finds the pages warmer.
        auto layer = [&] {
            std::vector<CardSummary> cards;
            whole.ms.push_back(Bench::timeMs([&] {
                query.ms.push_back(Bench::timeMs([&] { cards = store.FindByField(CardFields::Nome, {}); }));
                lines.ms.push_back(Bench::timeMs([&] { list.Fill(cards); }));
            }));
        };
        auto floor = [&] { bare.ms.push_back(Bench::timeMs([&] { Bench::bareSearch(path); })); };
        if (run % 2) {
            layer();
            floor();
        } else {
            floor();
            layer();
        }
    }
    whole.print("search: store query + lines + sort");
    query.print("  of which the store query");
    lines.print("  of which lines and sort");
    bare.print("floor: same query, bare C API, SQLite's LIKE");
    std::printf("  ratio whole / floor %.2f, store query / floor %.2f\n", whole.median() / bare.median(),
                query.median() / bare.median());
    return list;
}

void timeFind(const QStringList& lines)
{
    std::printf("In-list find over %lld lines\n", qlonglong(lines.size()));
    // The worst case: a new key that no line holds, so every line is tested.
    const QString key = u"zqzq"_s;
    Bench::Figures find, floor;
    for (int run = 0; run < Runs; ++run) {
        find.ms.push_back(Bench::timeMs([&] {
            if (FindInList(lines, 5, key, {}).outcome != FindInListResult::Outcome::NotFound)
                std::printf("unexpected match\n");
        }));
        floor.ms.push_back(Bench::timeMs([&] {
            int found = 0;
            for (const QString& line : lines)
                found += line.contains(key, Qt::CaseInsensitive) ? 1 : 0;
            if (found)
                std::printf("unexpected match\n");
        }));
    }
    find.print("FindInList, no line matches (target < 10 ms)");
    floor.print("floor: QString::contains ignoring case, every line");
}

void setUpWriter(QPdfWriter& writer)
{
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
}

void timePrint(const QStringList& lines, const QString& folder)
{
    std::printf("Printing %lld lines to a PDF at 600 dpi\n", qlonglong(lines.size()));
    const QString pdf = folder + u"/elenco.pdf"_s;
    const PrintedListTexts texts{QString(FindDashLine), u"Archivio anagrafico cavalli"_s, u"01/02/2024"_s,
                                 u"10:11:12"_s};
    Bench::Figures print, floor;
    const int runs = 11;
    for (int run = 0; run < runs; ++run) {
        print.ms.push_back(Bench::timeMs([&] {
            QPdfWriter writer(pdf);
            setUpWriter(writer);
            PrintResultList(writer, lines, texts);
        }));
        // The same pages and texts drawn by a bare loop: one font, fixed steps.
        floor.ms.push_back(Bench::timeMs([&] {
            QPdfWriter writer(pdf);
            setUpWriter(writer);
            QPainter painter(&writer);
            QFont font(u"Courier New"_s);
            font.setPixelSize(67);
            painter.setFont(font);
            int y = 700;
            for (const QString& line : lines) {
                if (y >= writer.height() - 201) {
                    writer.newPage();
                    y = 134;
                }
                painter.drawText(150, y, line);
                y += 134;
            }
        }));
    }
    std::printf("  PDF of %lld KB\n", qlonglong(QFileInfo(pdf).size() / 1024));
    print.print("PrintResultList (target < 5000 ms)");
    floor.print("floor: bare drawText loop on the same writer");
    std::printf("  ratio %.2f\n", print.median() / floor.median());
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString photos = dir.filePath(u"photos"_s);
    const QString small = dir.filePath(u"small"_s);
    const QString large = dir.filePath(u"large"_s);
    for (const QString& f : {photos, small, large})
        QDir().mkpath(f);

    std::printf("Building the archives...\n");
    Bench::makeArchive(photos, 2000, 300 * 1024);
    Bench::makeArchive(small, 2000, 0);
    Bench::makeArchive(large, 10000, 0);
    std::printf("Archive files: %lld MB with photos, %lld MB and %lld MB without\n",
                qlonglong(QFileInfo(photos + u"/Cavalli.db"_s).size() >> 20),
                qlonglong(QFileInfo(small + u"/Cavalli.db"_s).size() >> 20),
                qlonglong(QFileInfo(large + u"/Cavalli.db"_s).size() >> 20));

    searchArchive(photos, "2,000 cards with 300 KB photos");
    searchArchive(small, "2,000 cards without photos");
    const ResultList list = searchArchive(large, "10,000 cards without photos (target < 100 ms)");
    timeFind(list.Lines());
    timePrint(list.Lines(), dir.path());
    std::printf("Peak resident memory of the benchmark: %ld MB\n", Bench::residentKb("VmHWM:") / 1024);
    return 0;
}
