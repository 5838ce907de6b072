// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// What a command-line mode is given: the program folder it works on, its arguments (after the option that
// names it) and where it writes. Modes print Italian text and return the process's exit code.
struct Console
{
    QString folder;
    QStringList arguments;
    QTextStream& out;
    QTextStream& err;
};
