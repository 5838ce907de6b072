// SPDX-License-Identifier: GPL-3.0-or-later
// Times the photo screens on 200 cards with 12-megapixel photos:
// - the photo viewer's step, from the command to the fitted picture painted, against its floor measured in
//   the same run (the store's step plus libjpeg decoding the photo at the viewer's scale);
// - the slideshow's step, from the tick to the new picture painted, with the next card prepared during the
//   interval as the show does it (and, for comparison, without);
// - resident memory every 50 steps over 1,000 steps of each.
// Run it under a display at 1280 x 1024: xvfb-run -a -s "-screen 0 1280x1024x24" bench_viewer
#include "BenchGui.h"
#include "BenchJpeg.h"
#include "BenchSupport.h"

#include "app/Screens.h"
#include "kit/CodazzurraApplication.h"
#include "kit/PictureBox.h"
#include "kit/Ticker.h"
#include "viewer/SlidePreparer.h"
#include "viewer/ui/PhotoViewer.h"
#include "viewer/ui/Slideshow.h"

#include <QMap>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace {

// A ticker that ticks only when the benchmark says so: the show's interval is simulated, not waited.
class ManualTicker final : public Ticker
{
public:
    using Ticker::Ticker;
    void Start(int intervalMs) override
    {
        m_interval = intervalMs;
        m_active = true;
    }
    void Stop() override { m_active = false; }
    bool IsActive() const override { return m_active; }
    int Interval() const override { return m_interval; }
    void Fire() { emit Tick(); }

private:
    int m_interval = 0;
    bool m_active = false;
};

void report(const char* what, const std::vector<double>& v)
{
    std::printf("%-58s runs %4zu  min %7.2f  median %7.2f  max %7.2f ms\n", what, v.size(),
                *std::min_element(v.begin(), v.end()), Bench::median(v),
                *std::max_element(v.begin(), v.end()));
}

void reportMemory(const char* what, const std::vector<long>& rss)
{
    if (rss.empty())
        return;
    std::printf("%s (MB, every 50 steps):", what);
    for (long kb : rss)
        std::printf(" %.1f", kb / 1024.0);
    const auto [lo, hi] = std::minmax_element(rss.begin(), rss.end());
    // A decoding buffer that the allocator keeps or gives back moves the figure by its size (12 MB for a
    // 12-megapixel photo at half scale) without anything growing: the trend tells a leak.
    std::printf("\n  spread %.1f MB (target within 10 MB), last minus first %+.1f MB\n", (*hi - *lo) / 1024.0,
                (rss.back() - rss.front()) / 1024.0);
}

template <typename T> T* screenNamed(const Screens& screens, const QString& name)
{
    for (QWidget* w : screens.All()) {
        if (w->objectName() == name)
            return qobject_cast<T*>(w);
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    CodazzurraApplication app(argc, argv);
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    const int memorySteps = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;

    QMap<QString, ManualTicker*> tickers;
    Kit::SetTickerMaker([&](QObject* owner, const QString& name) -> Ticker* {
        auto* t = new ManualTicker(owner);
        if (owner->objectName() == u"TfrmSlideAmici"_s)
            tickers[name] = t;
        return t;
    });

    QTemporaryDir dir;
    // Two different photos, alternating, so that consecutive cards never share their bytes.
    const QByteArray photos[2] = {Bench::photoJpeg(4000, 3000, 80, 1), Bench::photoJpeg(4000, 3000, 80, 2)};
    std::printf("Platform %s, screen %d x %d\n", qPrintable(QGuiApplication::platformName()),
                QGuiApplication::primaryScreen()->size().width(),
                QGuiApplication::primaryScreen()->size().height());
    std::printf("Archive: %d cards, each with a 4000 x 3000 photo of %.1f MB\n", cards,
                photos[0].size() / 1048576.0);

    const CategoryDescriptor& amici = *Categories::ByKey(u"Amici"_s);
    {
        CategoryStore store(amici, dir.path());
        store.OpenArchive(store.QueryFirst());
        const QString paths[2] = {dir.filePath(u"a.jpg"_s), dir.filePath(u"b.jpg"_s)};
        Bench::writeFile(paths[0], photos[0]);
        Bench::writeFile(paths[1], photos[1]);
        CardValues values;
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = u"Valore %1"_s.arg(i);
        for (int i = 0; i < cards; ++i) {
            values[CardFields::Nome] = u"Cavallo %1"_s.arg(i);
            store.SaveCard(std::nullopt, values, paths[i % 2]);
        }
    }

    Screens screens(dir.path());
    auto* viewer = screenNamed<PhotoViewer>(screens, u"TfrmBrowseAmici"_s);
    auto* show = screenNamed<Slideshow>(screens, u"TfrmSlideAmici"_s);

    // The viewer: a step from the command to the fitted picture painted.
    viewer->show();
    Bench::waitExposed(viewer);
    std::vector<double> steps, floor;
    CategoryStore floorStore(amici, dir.path());
    for (int pass = 0; pass < 2; ++pass) {
        viewer->ShowFirst();
        for (int i = 1; i < cards; ++i) {
            const qint64 from = viewer->CurrentCardId().toLongLong();
            // What changes lies in the container (the photo, the name and the caption): it is painted
            // at once, as the event loop would paint it.
            steps.push_back(Bench::timeMs([&] {
                viewer->ShowNext();
                viewer->Container()->repaint();
            }));
            floor.push_back(Bench::timeMs([&] {
                floorStore.OpenArchive(floorStore.QueryNext(from));
                TSQLiteTable& row = *floorStore.Cursor();
                Bench::bareDecode(*row.BlobStream(row.ColumnIndexOf(u"Picture"_s)), 4);
            }));
        }
    }
    if (viewer->Photo()->FittedRect() != QRect(0, 1, 715, 536))
        std::printf("unexpected fitted picture in the viewer\n");
    report("Viewer step (command to fitted picture painted)", steps);
    report("Floor (store step + libjpeg decode at 1/4)", floor);
    std::printf("Ratio of medians viewer / floor: %.2f (target at most 1.30)\n\n",
                Bench::median(steps) / Bench::median(floor));

    std::vector<long> rss;
    viewer->ShowFirst();
    for (int i = 1; i <= memorySteps; ++i) {
        if (viewer->CurrentCardId().toInt() >= cards)
            viewer->ShowFirst();
        else
            viewer->ShowNext();
        viewer->repaint();
        if (i % 50 == 0)
            rss.push_back(Bench::residentKb());
    }
    reportMemory("Viewer, resident memory over the steps", rss);
    viewer->hide();
    std::printf("\n");

    // The slideshow: the tick, then, during the interval, the next card prepared.
    show->show();
    Bench::waitExposed(show);
    ManualTicker* tick = tickers.value(u"Timer"_s);
    ManualTicker* prepare = tickers.value(u"PrepareTimer"_s);
    auto interval = [&] {
        prepare->Fire();
        QElapsedTimer t;
        t.start();
        while (show->Preparer().Busy() && t.elapsed() < 6000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    };
    std::vector<double> prepared, cold, coldFloor;
    interval();
    for (int i = 0; i < cards; ++i) {
        prepared.push_back(Bench::timeMs([&] {
            tick->Fire();
            show->repaint();
        }));
        interval();
    }
    const int preparedShown = show->PreparedSlidesShown();
    for (int i = 0; i < 40; ++i) {
        const qint64 from = show->CurrentCardId().toLongLong();
        show->Preparer().Forget();
        cold.push_back(Bench::timeMs([&] {
            tick->Fire();
            show->repaint();
        }));
        if (from > 0) {
            coldFloor.push_back(Bench::timeMs([&] {
                floorStore.OpenArchive(floorStore.QueryNext(from));
                TSQLiteTable& row = *floorStore.Cursor();
                if (row.RowCount() > 0)
                    Bench::bareDecode(*row.BlobStream(row.ColumnIndexOf(u"Picture"_s)), 2);
            }));
        }
    }
    std::printf("Slideshow picture area %d x %d, last photo drawn at %d x %d\n", show->Picture()->width(),
                show->Picture()->height(), show->Picture()->FittedRect().width(),
                show->Picture()->FittedRect().height());
    report("Slideshow tick to picture painted, next card prepared", prepared);
    std::printf("  (%d of %zu ticks used the prepared picture; target under 16 ms)\n", preparedShown,
                prepared.size());
    report("Slideshow tick to picture painted, nothing prepared", cold);
    report("  its floor (store step + libjpeg decode at 1/2)", coldFloor);

    rss.clear();
    for (int i = 1; i <= memorySteps; ++i) {
        tick->Fire();
        show->repaint();
        interval();
        if (i % 50 == 0)
            rss.push_back(Bench::residentKb());
    }
    reportMemory("Slideshow, resident memory over the steps", rss);
    show->hide();
    return 0;
}
