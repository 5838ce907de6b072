// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the office servers of this platform ask of the desktop: whether some program opens a kind of
// document, and to open a finished one. The program's desktop adapts to it; tests answer with a fake.
class DocumentDesk
{
public:
    virtual ~DocumentDesk() = default;

    // Whether the desktop has a default program for the MIME type (as `xdg-mime query default` answers;
    // opening a file reports success even when nothing opens it, so this is asked first). Never waits:
    // false only when the desktop is known to have none; not knowing yet is no reason to fail.
    virtual bool HasDefaultHandler(const QString& mimeType) = 0;
    // Opens the file with its default program, without waiting for it. False when it cannot be started.
    virtual bool OpenFile(const QString& path) = 0;
};
