// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/Screens.h"
#include "kit/CodazzurraApplication.h"
#include "shell/ui/TfrmPassword.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::AsksForMode(arguments)) {
        // A mode without a window: no display is needed, and none is opened.
        QCoreApplication core(argc, argv);
        QTextStream out(stdout), err(stderr);
        const int code = CommandLine::Run(arguments, QCoreApplication::applicationDirPath(), out, err);
        out.flush();
        err.flush();
        return code;
    }
    CodazzurraApplication app(argc, argv);
    Screens screens(QCoreApplication::applicationDirPath());
    screens.Password()->show();
    return app.exec();
}
