// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodazzurraApplication.h"

#include "FieldConventions.h"
#include "Guard.h"
#include "program/MakerInfo.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QStyleFactory>
#include <QTranslator>

CodazzurraApplication::CodazzurraApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(MakerInfo::ApplicationTitle());
    // The desktop matches the windows to the menu entry and its icon.
    setDesktopFileName(MakerInfo::ApplicationId());
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The style's disabled texts are as pale as the silver of the windows: a disabled choice would lose
    // its words. They stay readable, visibly greyed.
    QPalette disabledReadable = palette();
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        disabledReadable.setColor(QPalette::Disabled, role, QColor(112, 112, 112));
    setPalette(disabledReadable);
    // The program ends through its own exit commands, not when its last window hides.
    setQuitOnLastWindowClosed(false);
    // The message boxes' buttons and the file choosers speak Italian, like the rest of the program.
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(translator);
        m_italianQtTexts = true;
    }
    installEventFilter(Kit::MakeEnterPressesButtons(this));
}

bool CodazzurraApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    bool completed = false;
    Kit::Guarded(nullptr, [&] {
        handled = QApplication::notify(receiver, event);
        completed = true;
    });
    if (!completed)
        ++m_lastResortFailures;
    return handled;
}
