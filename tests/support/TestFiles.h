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
    bool cmyk = false;       // Adobe-style inverted CMYK of the colour
    int exifOrientation = 0; // 0: no EXIF block
    QRgb colour = 0xff3366cc;
};
// A JPEG written by libjpeg itself, for the shapes Qt cannot write.
QByteArray MakeJpegWith(QSize size, const JpegOptions& options);

} // namespace TestFiles
