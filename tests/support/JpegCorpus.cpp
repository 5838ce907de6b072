// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegCorpus.h"

#include "TestFiles.h"

using TestFiles::JpegOptions;
using TestFiles::MakeJpegWith;

namespace JpegCorpus {

QList<Sample> Seeds()
{
    const QSize size(48, 32);
    QList<Sample> seeds = {
        {"baseline.jpg", MakeJpegWith(size, {.textured = true}), {}},
        {"progressive.jpg", MakeJpegWith(size, {.progressive = true, .textured = true}), {}},
        {"grayscale.jpg", MakeJpegWith(size, {.grayscale = true, .textured = true}), {}},
        {"grayscale-progressive.jpg",
         MakeJpegWith(size, {.progressive = true, .grayscale = true, .textured = true}),
         {}},
        {"cmyk-adobe.jpg", MakeJpegWith(size, {.cmyk = true, .textured = true}), {}},
        {"cmyk-adobe-progressive.jpg",
         MakeJpegWith(size, {.progressive = true, .cmyk = true, .textured = true}),
         {}},
        {"arithmetic.jpg", MakeJpegWith(size, {.arithmetic = true, .textured = true}), {}},
        {"arithmetic-progressive.jpg",
         MakeJpegWith(size, {.progressive = true, .arithmetic = true, .textured = true}),
         {}},
        {"restart-markers.jpg", MakeJpegWith(size, {.textured = true, .restartInterval = 2}), {}},
    };
    for (const bool little : {false, true}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            seeds.append(
                {QStringLiteral("exif-%1-%2.jpg").arg(little ? "ii" : "mm").arg(orientation),
                 MakeJpegWith(QSize(24, 16),
                              {.textured = true, .exifOrientation = orientation, .exifLittleEndian = little}),
                 {}});
        }
    }
    return seeds;
}

namespace {
// An EXIF block whose first directory lies at offset, or whose directory counts count entries.
QByteArray exifWith(bool bigEndian, quint32 offset, quint32 count = 1)
{
    QByteArray exif = TestFiles::ExifPayload(6, bigEndian);
    TestFiles::PutUnsigned(exif, 6 + 4, offset, bigEndian, 4);
    TestFiles::PutUnsigned(exif, 6 + 8, count, bigEndian, 2);
    TestFiles::PutUnsigned(exif, 6 + 10, 0x0110, bigEndian,
                           2); // the entry is the camera model, not orientation
    return exif;
}
} // namespace

QList<Sample> Hostile()
{
    const QByteArray small = MakeJpegWith(QSize(8, 8), {});
    const QByteArray smallProgressive = MakeJpegWith(QSize(8, 8), {.progressive = true});
    const QByteArray photo = MakeJpegWith(QSize(4000, 3000), {.progressive = true});
    const QByteArray arithmeticPhoto =
        MakeJpegWith(QSize(4000, 3000), {.progressive = true, .arithmetic = true});
    const QString tooLarge = QStringLiteral("foto troppo grande"),
                  tooManyScans = QStringLiteral("formato non supportato");
    // Scans beyond the work budget read as a picture too large to decode; beyond 500, as a format no
    // encoder writes.
    using TestFiles::WithApp1;
    using TestFiles::WithJpegSize;
    using TestFiles::WithLastScanRepeated;
    return {
        // The directory offset wrapped around 32 bits and the reader jumped 4 GB past the block.
        {"exif-offset-ffffffff-mm.jpg", WithApp1(small, exifWith(true, 0xFFFFFFFF)), {}},
        {"exif-offset-fffffffe-ii.jpg", WithApp1(small, exifWith(false, 0xFFFFFFFE)), {}},
        {"exif-offset-fffffff8-mm.jpg", WithApp1(small, exifWith(true, 0xFFFFFFF8)), {}},
        {"exif-count-65535-ii.jpg", WithApp1(small, exifWith(false, 8, 0xFFFF)), {}},
        // Headers declaring gigapixels over a few hundred bytes of data.
        {"bomb-progressive-65500x65500.jpg", WithJpegSize(smallProgressive, 65500, 65500), tooLarge},
        {"bomb-baseline-65500x65500.jpg", WithJpegSize(small, 65500, 65500), tooLarge},
        {"bomb-progressive-14000x14000.jpg", WithJpegSize(smallProgressive, 14000, 14000), tooLarge},
        // Scans repeated without end: each one costs a pass over the whole picture.
        {"scans-last-repeated-1000-progressive-4000x3000.jpg", WithLastScanRepeated(photo, 1000), tooLarge},
        {"scans-last-repeated-1000-arithmetic-4000x3000.jpg", WithLastScanRepeated(arithmeticPhoto, 1000),
         tooLarge},
        {"scans-5000-progressive-8x8.jpg", WithLastScanRepeated(smallProgressive, 5000), tooManyScans},
    };
}

} // namespace JpegCorpus
