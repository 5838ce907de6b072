// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Screens.h"
#include "kit/CodazzurraApplication.h"
#include "shell/ui/TfrmPassword.h"

int main(int argc, char* argv[])
{
    CodazzurraApplication app(argc, argv);
    Screens screens(QCoreApplication::applicationDirPath());
    screens.Password()->show();
    return app.exec();
}
