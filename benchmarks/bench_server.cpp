// SPDX-License-Identifier: GPL-3.0-or-later
// Times the store on both engines in the same run: the archive file beside the program and a PostgreSQL
// server started for the run (tests/support/PgTestServer, over its Unix socket). Each archive holds 10,000
// cards; one has a 12-megapixel photo. Measured: the navigation step onto that card (the card read whole),
// the empty-key search, and a save with the conflict check. The floor is reading the photo's file.
#include "BenchSupport.h"

#include "server/ServerArchiveStore.h"
#include "server/ServerLink.h"
#include "storage/FileArchiveStore.h"
#include "support/PgTestServer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Runs = 11;

// Cards 1 to count, with the texts a card usually has; card photoId with the photo.
void fill(ArchiveStore& store, int count, qint64 photoId, const QByteArray& photo)
{
    int next = 1;
    store.ReplaceAll([&]() -> std::optional<ArchiveRow> {
        if (next > count)
            return std::nullopt;
        ArchiveRow row;
        row.id = next;
        for (int f = 0; f < CardFields::EditableCount; ++f)
            row.texts[std::size_t(f)] =
                QByteArray("Testo ") + QByteArray::number(f) + ' ' + QByteArray::number(next);
        if (next == photoId)
            row.picture = photo;
        row.ext = "JPG";
        ++next;
        return row;
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    PgTestServer server(true); // flushing to disk as a real server does, and as the file archive does
    if (!server.Error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.Error()));
        return 1;
    }
    QTemporaryDir dir;
    const CategoryDescriptor& amici = *Categories::ByKey(u"Amici"_s);
    FileArchiveStore file(amici, dir.path());
    ServerArchiveStore onServer(amici, std::make_shared<ServerLink>(server.ConnectionString()));
    const QByteArray photo = Bench::photoJpeg(4000, 3000, 90);
    const QString photoPath = dir.filePath(u"photo.jpg"_s);
    Bench::writeFile(photoPath, photo);
    const qint64 photoId = cards / 2;
    fill(file, cards, photoId, photo);
    fill(onServer, cards, photoId, photo);
    std::printf("%d cards; one photo of 12 megapixels, %.1f MB\n", cards, double(photo.size()) / 1e6);

    Bench::Figures floor, stepFile, stepServer, findFile, findServer, saveFile, saveServer;
    std::size_t sink = 0;
    for (int run = 0; run < Runs; ++run) {
        floor.ms.push_back(Bench::timeMs([&] {
            QFile f(photoPath);
            f.open(QIODevice::ReadOnly);
            sink += std::size_t(f.readAll().size());
        }));
        for (auto [store, figures] : {std::pair{static_cast<ArchiveStore*>(&file), &stepFile},
                                      std::pair{static_cast<ArchiveStore*>(&onServer), &stepServer}}) {
            figures->ms.push_back(Bench::timeMs([&] {
                sink += std::size_t(
                    store->Position(ArchiveStore::Step::Next, photoId - 1)->stored.picture.size());
            }));
        }
        for (auto [store, figures] : {std::pair{static_cast<ArchiveStore*>(&file), &findFile},
                                      std::pair{static_cast<ArchiveStore*>(&onServer), &findServer}}) {
            figures->ms.push_back(
                Bench::timeMs([&] { sink += store->FindByField(CardFields::Nome, QString()).size(); }));
        }
        for (auto [store, figures] : {std::pair{static_cast<ArchiveStore*>(&file), &saveFile},
                                      std::pair{static_cast<ArchiveStore*>(&onServer), &saveServer}}) {
            const qint64 id = photoId + 1;
            const StoredCard read = store->Read(id)->stored;
            CardValues values;
            values[CardFields::Nome] = u"Salvata %1"_s.arg(run);
            figures->ms.push_back(Bench::timeMs([&] { store->SaveCard(id, values, {}, &read); }));
        }
    }
    floor.print("floor: reading the photo's file");
    stepFile.print("navigation step onto the photo, file");
    stepServer.print("navigation step onto the photo, server");
    findFile.print("empty-key search, file");
    findServer.print("empty-key search, server");
    saveFile.print("save with the conflict check, file");
    saveServer.print("save with the conflict check, server");
    std::printf("  server / file (medians): step %.2f, search %.2f, save %.2f  (%zu)\n",
                stepServer.median() / stepFile.median(), findServer.median() / findFile.median(),
                saveServer.median() / saveFile.median(), sink % 10);
    return 0;
}
