// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the password file with the first password into a program folder that has none.
#include "shell/PasswordFile.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_password_file PROGRAM_FOLDER\n");
        return 2;
    }
    try {
        PasswordFile::WriteFirst(QString::fromLocal8Bit(argv[1]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
