// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the JPEG decoder's seed corpus and its built hostile files:
//     make_jpeg_corpus tests/data/jpeg
// into seeds/ and regressions/ of that folder. Files found by the fuzzer are added to regressions/ by hand.
#include "support/JpegCorpus.h"
#include "support/TestFiles.h"

#include <QDir>
#include <cstdio>

namespace {
bool writeAll(const QString& folder, const QList<JpegCorpus::Sample>& samples)
{
    if (!QDir().mkpath(folder))
        return false;
    for (const JpegCorpus::Sample& s : samples) {
        if (!TestFiles::WriteFile(folder + u'/' + s.name, s.bytes)) {
            std::fprintf(stderr, "cannot write %s/%s\n", qPrintable(folder), qPrintable(s.name));
            return false;
        }
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    return writeAll(folder + QStringLiteral("/seeds"), JpegCorpus::Seeds()) &&
                   writeAll(folder + QStringLiteral("/regressions"), JpegCorpus::Hostile())
               ? 0
               : 1;
}
