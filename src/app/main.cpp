// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/Screens.h"
#include "kit/CodazzurraApplication.h"
#include "kit/Desktop.h"
#include "program/MakerInfo.h"
#include "shell/ProgramFolder.h"
#include "shell/ui/TfrmPassword.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <stdexcept>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::AsksForMode(arguments)) {
        // A mode without a window: no display is needed, and none is opened.
        QCoreApplication core(argc, argv);
        QTextStream out(stdout), err(stderr);
        const int code =
            CommandLine::Run(arguments, ProgramFolder::Locate(ProgramFolder::FromProcess()), out, err);
        out.flush();
        err.flush();
        return code;
    }
    CodazzurraApplication app(argc, argv);
    const ProgramFolder folders = ProgramFolder::Locate(ProgramFolder::FromProcess());
    try {
        folders.Prepare();
    } catch (const std::runtime_error& e) {
        // Before any screen: the program does not start without a folder it can write.
        std::fprintf(stderr, "%s\n", e.what());
        desktop().Message(nullptr, Desktop::Icon::Stop, MakerInfo::ApplicationTitle(),
                          QString::fromStdString(e.what()));
        return 1;
    }
    Screens screens(folders);
    if (!screens.ReachArchives())
        return 1;
    screens.Password()->show();
    return app.exec();
}
