// SPDX-License-Identifier: GPL-3.0-or-later
// Times the program's start-up (every screen created, the password screen shown) against creating and
// showing one empty window in the same process, and the cost of one screen instance. Each run is a fresh
// process, as a start-up is; the figures are the minimum, median and maximum of the runs. Run it under a
// display (xvfb-run) or offscreen.
#include "BenchGui.h"
#include "BenchSupport.h"

#include "app/Screens.h"
#include "kit/CodazzurraApplication.h"
#include "shell/ui/TfrmPassword.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

namespace {

constexpr int Runs = 11;

// One start-up, in this process: prints "RUN empty create show screens residentKb".
int runOnce(int argc, char* argv[])
{
    CodazzurraApplication app(argc, argv);
    QWidget empty;
    const double emptyMs = Bench::timeMs([&] {
        empty.show();
        Bench::waitExposed(&empty);
    });
    const long rssEmpty = Bench::residentKb();
    empty.hide();

    QTemporaryDir dir;
    std::unique_ptr<Screens> screens;
    const double createMs = Bench::timeMs([&] { screens = std::make_unique<Screens>(dir.path()); });
    const double showMs = Bench::timeMs([&] {
        screens->Password()->show();
        Bench::waitExposed(screens->Password());
    });
    std::printf("RUN %.3f %.3f %.3f %zu %ld %s\n", emptyMs, createMs, showMs, screens->All().size(),
                Bench::residentKb() - rssEmpty, qPrintable(QGuiApplication::platformName()));
    return 0;
}

void report(const char* what, std::vector<double> values, const char* unit = "ms")
{
    std::sort(values.begin(), values.end());
    std::printf("%-52s min %7.2f  median %7.2f  max %7.2f %s\n", what, values.front(), Bench::median(values),
                values.back(), unit);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--once") == 0)
        return runOnce(argc, argv);

    std::vector<double> empty, create, show, beyond, perScreen, resident;
    std::size_t screens = 0;
    QString platform;
    for (int i = 0; i < Runs; ++i) {
        QProcess run;
        run.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--once")});
        run.waitForFinished(60000);
        const QList<QByteArray> f = run.readAllStandardOutput().trimmed().split(' ');
        if (f.size() < 7 || f[0] != "RUN") {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        empty.push_back(f[1].toDouble());
        create.push_back(f[2].toDouble());
        show.push_back(f[3].toDouble());
        screens = std::size_t(f[4].toULongLong());
        resident.push_back(f[5].toDouble() / 1024.0);
        platform = QString::fromLatin1(f[6]);
        beyond.push_back(create.back() + show.back() - empty.back());
        perScreen.push_back(create.back() / double(screens));
    }
    std::printf("Platform: %s; %d start-ups, each in a fresh process; %zu screens created\n",
                qPrintable(platform), Runs, screens);
    report("One empty window created and shown (the floor):", empty);
    report("Every screen created:", create);
    report("Password screen shown:", show);
    report("Cost of one screen instance:", perScreen);
    report("Resident memory of the screens:", resident, "MB");
    report("Start-up beyond the empty window (target 300 ms):", beyond);
    return 0;
}
