// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodazzurraApplication.h"

#include "Desktop.h"
#include "MakerInfo.h"
#include "storage/ESQLiteException.h"

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
    try {
        return QApplication::notify(receiver, event);
    } catch (const ESQLiteException& e) {
        desktop().Error(nullptr, e.message());
    } catch (const std::exception& e) {
        desktop().Error(nullptr, QString::fromLocal8Bit(e.what()));
    }
    return false;
}
