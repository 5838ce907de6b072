// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the password file with the first password into a program folder that has none.
#include "shell/Crypt.h"
#include "shell/PasswordFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_password_file PROGRAM_FOLDER\n");
        return 2;
    }
    const QString path =
        QDir(QString::fromLocal8Bit(argv[1])).filePath(QString::fromLatin1(PasswordFile::FileName));
    if (QFileInfo::exists(path))
        return 0;
    try {
        PasswordFile(path).WriteValue(
            Crypt::Scramble(*PasswordFile::Normalise(QStringLiteral("riconoscimento"))));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
