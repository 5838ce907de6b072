// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// A JPEG decoded for display.
struct JpegPicture
{
    QImage image;     // upright; smaller than size when decoded at a reduced scale
    QSize size;       // the picture's full size, upright
    int warnings = 0; // corrupt-data warnings: the image may hold grey fill
    // The work the decode counted, in the units of Jpeg::WorkBudget. A decode that was carried out stayed
    // within the budget; one refused for it counted the step that would have broken it.
    double work = 0;
    // Why nothing could be decoded, as the screens tell the user ("file incompleto", "non è un file JPEG",
    // "foto troppo grande", "memoria insufficiente", "formato non supportato", "dati danneggiati"); empty on
    // success.
    QString error;

    bool ok() const { return error.isEmpty() && !image.isNull(); }
    // Decoded without error and without any warning: fit to be stored as a new photo.
    bool clean() const { return ok() && warnings == 0; }
};

// Decoding of photos through libjpeg. Errors never end the process; EXIF orientation is applied, the
// stored bytes are never changed.
namespace Jpeg {

// Decodes bytes, using libjpeg's DCT scaling to produce only as many pixels as a picture fitted into box
// (by FitPicture) needs; an empty box decodes at full size. Whatever the file declares, one decode stays
// within its work budget and a few hundred megabytes: a picture over 200 megapixels, an output over 64,
// a multi-scan file needing more than libjpeg's 256 MB, or a decode whose memory, output and scans would
// cost more than the budget are refused as "foto troppo grande", more than 500 scans as "formato non
// supportato"; a failed allocation is "memoria insufficiente".
JpegPicture Decode(const QByteArray& bytes, QSize box = {});

// The work a decode for box may do, in units of roughly a nanosecond of processor time on this kind of
// machine: about 0.4 s for a box, 0.8 s at full size (an empty box). The work is counted, not timed, so
// the bound is the same on a busy machine.
double WorkBudget(QSize box);

// The orientation (1 to 8) recorded in the data of an EXIF APP1 marker ("Exif\0\0" and a TIFF
// header); 1 when it records none.
int ExifOrientation(const QByteArray& app1);

} // namespace Jpeg
