// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The JPEG files the decoder's tests and its fuzz target start from, built by libjpeg and byte surgery so
// that they can be made again: make_jpeg_corpus writes them into tests/data/jpeg/.
namespace JpegCorpus {

struct Sample
{
    QString name; // file name
    QByteArray bytes;
    QString error; // part of the error Decode must give at every box size; empty: it decodes
};

// Small files of every kind the decoder reads: baseline, progressive, grayscale, Adobe CMYK, arithmetic
// coding, restart markers, and EXIF orientations 1 to 8 in both byte orders. A few kilobytes each.
QList<Sample> Seeds();

// Files that crashed or stalled the decoder: EXIF offsets that wrap, decompression bombs, scans without end.
QList<Sample> Hostile();

} // namespace JpegCorpus
