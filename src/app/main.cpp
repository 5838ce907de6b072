// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Codazzurra"));
    StartWindow w;
    w.show();
    return app.exec();
}
