// SPDX-License-Identifier: GPL-3.0-or-later
// Times one navigation step of the record card on 200 cards with 12-megapixel photos, from the command to
// the preview holding the fitted picture, against its floor measured in the same run: the store's
// navigation step plus libjpeg decoding the photo at the scale the preview needs. Also follows the
// resident memory while paging.
#include "BenchJpeg.h"
#include "BenchSupport.h"

#include "app/Screens.h"
#include "card/ui/RecordCard.h"
#include "kit/CodazzurraApplication.h"
#include "kit/PictureBox.h"

#include <QTemporaryDir>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CodazzurraApplication app(argc, argv);
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    QTemporaryDir dir;
    const QByteArray photo = Bench::photoJpeg(4000, 3000, 80);
    const QString photoPath = dir.filePath(u"photo.jpg"_s);
    Bench::writeFile(photoPath, photo);
    std::printf("Archive: %d cards, each with a 4000 x 3000 photo of %.1f MB\n", cards,
                photo.size() / 1048576.0);

    const CategoryDescriptor& amici = *Categories::ByKey(u"Amici"_s);
    {
        CategoryStore store(amici, dir.path());
        store.OpenArchive(store.QueryFirst());
        CardValues values;
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = u"Valore %1"_s.arg(i);
        for (int i = 0; i < cards; ++i) {
            values[CardFields::Nome] = u"Cavallo %1"_s.arg(i);
            store.SaveCard(std::nullopt, values, photoPath);
        }
    }

    Screens screens(dir.path());
    RecordCard* card = screens.Card(amici);
    card->show();
    QCoreApplication::processEvents();
    card->ShowFirst();

    std::vector<double> steps, floor;
    std::vector<long> rss;
    CategoryStore floorStore(amici, dir.path());
    for (int pass = 0; pass < 2; ++pass) {
        card->ShowFirst();
        for (int i = 1; i < cards; ++i) {
            const qint64 from = card->CurrentCardId().toLongLong();
            steps.push_back(Bench::timeMs([&] { card->ShowNext(); }));
            floor.push_back(Bench::timeMs([&] {
                floorStore.OpenArchive(floorStore.QueryNext(from));
                TSQLiteTable& row = *floorStore.Cursor();
                Bench::bareDecode(*row.BlobStream(row.ColumnIndexOf(u"Picture"_s)), 8);
            }));
            if (i % 50 == 0)
                rss.push_back(Bench::residentKb());
        }
    }
    if (card->Preview()->FittedRect().size() != QSize(316, 237))
        std::printf("unexpected preview size\n");
    const double stepMs = Bench::median(steps), floorMs = Bench::median(floor);
    std::printf("Record card navigation step (command to fitted preview): median %.2f ms\n", stepMs);
    std::printf("Floor (store step + libjpeg decode at 1/8):               median %.2f ms\n", floorMs);
    std::printf("Ratio card / floor: %.2f (target at most 1.30)\n", stepMs / floorMs);
    std::printf("Resident memory while paging (every 50 steps, MB):");
    for (long kb : rss)
        std::printf(" %ld", kb / 1024);
    std::printf("\n");
    return 0;
}
