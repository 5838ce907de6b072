// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Screens.h"
#include "kit/CodazzurraApplication.h"
#include "support/FakeDesktop.h"
#include "support/TestArchive.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

// What a test of the program's screens starts from: a new temporary program folder, the fake desktop
// installed (its printer prints into the folder's stampante.pdf), the horses' archive of that folder, and
// every screen, made by Screens as the program makes them. A test class derives from it beside QObject,
// starts the program in its init() and stops it in its cleanup().
class ProgramFixture
{
protected:
    // A new folder, desktop, archive and screens, in that order: the screens find the desktop installed.
    void startProgram();
    // The screens go first, while the desktop they may still ask is installed; the folder goes last.
    void stopProgram();

    // The top-level screen of that object name; nullptr when there is none.
    template <typename T> T* screenNamed(const QString& objectName) const
    {
        for (QWidget* w : m_screens->All()) {
            if (w->objectName() == objectName)
                return qobject_cast<T*>(w);
        }
        return nullptr;
    }
    // The control of that object name in parent. A name no control has is a fault of the test: it ends
    // the test program.
    template <typename T = QWidget> static T* child(const QWidget* parent, const QString& name)
    {
        auto* w = parent->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    // Shows the screen and waits until the window system has drawn it.
    static void showExposed(QWidget* screen)
    {
        screen->show();
        QVERIFY(QTest::qWaitForWindowExposed(screen));
    }
    // Puts text into the edit field, the combo box's edit field or the text area of that name, as the user
    // leaves it there.
    static void enterText(const QWidget* parent, const QString& field, const QString& text);
    // Whether the hourglass is shown.
    static bool busyCursorShown();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDesktop> m_desktop;
    std::unique_ptr<TestArchive> m_archive;
    std::unique_ptr<Screens> m_screens;
};

// The main function of a test of the program's screens: it runs under the program's own application.
#define PROGRAM_TEST_MAIN(TestClass)                                                                         \
    int main(int argc, char* argv[])                                                                         \
    {                                                                                                        \
        CodazzurraApplication app(argc, argv);                                                               \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
