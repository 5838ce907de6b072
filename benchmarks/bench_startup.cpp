// SPDX-License-Identifier: GPL-3.0-or-later
// Times the program's start-up (every screen created, the password screen shown) against creating and
// showing one empty window, in the same process. Run it under a display (xvfb-run) or offscreen.
#include "BenchSupport.h"

#include "app/Screens.h"
#include "kit/CodazzurraApplication.h"
#include "shell/TfrmPassword.h"

#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

namespace {

void waitExposed(QWidget* w)
{
    QElapsedTimer t;
    t.start();
    while (!(w->windowHandle() && w->windowHandle()->isExposed()) && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer total;
    total.start();
    CodazzurraApplication app(argc, argv);
    const double appMs = double(total.nsecsElapsed()) / 1e6;
    const long rssApp = Bench::residentKb();

    QWidget empty;
    const double emptyMs = Bench::timeMs([&] {
        empty.show();
        waitExposed(&empty);
    });
    const long rssEmpty = Bench::residentKb();
    empty.hide();

    QTemporaryDir dir;
    std::unique_ptr<Screens> screens;
    const double createMs = Bench::timeMs([&] { screens = std::make_unique<Screens>(dir.path()); });
    const double showMs = Bench::timeMs([&] {
        screens->Password()->show();
        waitExposed(screens->Password());
    });
    const long rssScreens = Bench::residentKb();

    std::printf("Platform: %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("Application object: %.1f ms, resident %ld MB\n", appMs, rssApp / 1024);
    std::printf("One empty window created and shown: %.1f ms, resident %ld MB\n", emptyMs, rssEmpty / 1024);
    std::printf("Every screen created: %.1f ms; password screen shown: %.1f ms; total %.1f ms\n", createMs,
                showMs, createMs + showMs);
    std::printf("Resident memory after start-up: %ld MB (+%ld MB over the empty window)\n", rssScreens / 1024,
                (rssScreens - rssEmpty) / 1024);
    std::printf("Start-up beyond the empty window: %.1f ms (target at most 300 ms)\n",
                createMs + showMs - emptyMs);
    return 0;
}
