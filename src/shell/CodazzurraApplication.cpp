// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodazzurraApplication.h"

#include "MakerInfo.h"
#include "ScreenKit.h"

#include <QStyleFactory>

CodazzurraApplication::CodazzurraApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(MakerInfo::ApplicationTitle());
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The program ends through its own exit commands, not when its last window hides.
    setQuitOnLastWindowClosed(false);
}

bool CodazzurraApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    ScreenKit::Guarded(nullptr, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
