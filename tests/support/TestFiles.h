// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

namespace TestFiles {

// An image encoded by Qt in a format ("PNG", "JPG").
QByteArray Encode(const QImage& image, const char* format, int quality = -1);
// A picture of the given size, one colour, in a format.
QByteArray MakePicture(QSize size, const char* format);
// A JPEG of the given size with a colour gradient, encoded by Qt.
QByteArray MakeJpeg(QSize size, int quality = 85);
// Writes bytes to path; fails the calling test's QVERIFY through the return value.
bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// Runs the sqlite3 command-line tool on a database and returns its standard output, trimmed.
QString RunSqliteTool(const QString& database, const QString& sql);
// While it lives, no file of this process can grow beyond maxBytes: writes past it fail (with EFBIG, as
// on a full disk), whoever runs the tests, the superuser included. Reading is not affected.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long long maxBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    long long m_previous;
};

} // namespace TestFiles

namespace TestFiles {

struct JpegOptions
{
    bool progressive = false;
    bool cmyk = false;             // Adobe-style inverted CMYK of the colour
    bool grayscale = false;        // one component, the colour's green
    bool arithmetic = false;       // arithmetic instead of Huffman coding
    bool textured = false;         // a deterministic pattern with fine detail instead of one flat colour
    int exifOrientation = 0;       // 0: no EXIF block
    bool exifLittleEndian = false; // the EXIF block in Intel ("II") byte order instead of Motorola ("MM")
    int restartInterval = 0;       // MCUs between restart markers; 0: none
    QRgb colour = 0xff3366cc;
};
// A JPEG written by libjpeg itself, for the shapes Qt cannot write.
QByteArray MakeJpegWith(QSize size, const JpegOptions& options);

// The data of an EXIF APP1 marker: "Exif\0\0", a TIFF header in the given byte order whose first directory
// (at offset 8) holds one entry, the orientation (tag 0x0112, SHORT, count 1).
QByteArray ExifPayload(int orientation, bool bigEndian);
// Stores value as count (2 or 4) bytes at offset, in the given byte order.
void PutUnsigned(QByteArray& bytes, qsizetype offset, quint32 value, bool bigEndian, int count);

// Byte surgery on JPEG files, for damaged and hostile inputs.
// The file with its frame header (SOFn) declaring width x height.
QByteArray WithJpegSize(QByteArray jpeg, int width, int height);
// The file with its last scan (from the last SOS marker to the end marker) present times + 1 times.
QByteArray WithLastScanRepeated(const QByteArray& jpeg, int times);
// The file with an APP1 marker holding payload right after the start-of-image marker.
QByteArray WithApp1(const QByteArray& jpeg, const QByteArray& payload);

} // namespace TestFiles
