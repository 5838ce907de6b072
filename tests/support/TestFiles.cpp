// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <csignal>
#include <sys/resource.h>

namespace TestFiles {

QByteArray Encode(const QImage& image, const char* format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

QByteArray MakePicture(QSize size, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return Encode(image, format);
}

QByteArray MakeJpeg(QSize size, int quality)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] =
                qRgb((x * 255) / qMax(1, size.width()), (y * 255) / qMax(1, size.height()), (x ^ y) & 0xff);
    }
    return Encode(image, "JPG", quality);
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString RunSqliteTool(const QString& database, const QString& sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {database, sql});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

FileSizeLimit::FileSizeLimit(long long maxBytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_previous = static_cast<long long>(limit.rlim_cur);
    // A write beyond the limit raises SIGXFSZ, which would end the process; ignored, the write fails.
    std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(maxBytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_previous);
    setrlimit(RLIMIT_FSIZE, &limit);
}

} // namespace TestFiles

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace TestFiles {

QByteArray ExifPayload(int orientation, bool bigEndian)
{
    // "Exif\0\0"; TIFF header: byte order, 42, first directory at 8; one entry: tag, type, count, value;
    // the offset of the next directory (none).
    QByteArray app1("Exif\0\0", 6);
    app1 += bigEndian ? "MM" : "II";
    app1.resize(6 + 8 + 2 + 12 + 4, '\0');
    PutUnsigned(app1, 6 + 2, 42, bigEndian, 2);
    PutUnsigned(app1, 6 + 4, 8, bigEndian, 4);
    PutUnsigned(app1, 6 + 8, 1, bigEndian, 2);
    PutUnsigned(app1, 6 + 10, 0x0112, bigEndian, 2);
    PutUnsigned(app1, 6 + 12, 3, bigEndian, 2);
    PutUnsigned(app1, 6 + 14, 1, bigEndian, 4);
    PutUnsigned(app1, 6 + 18, quint32(orientation), bigEndian, 2);
    return app1;
}

void PutUnsigned(QByteArray& bytes, qsizetype offset, quint32 value, bool bigEndian, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[offset + (bigEndian ? count - 1 - i : i)] = char((value >> (8 * i)) & 0xff);
}

QByteArray MakeJpegWith(QSize size, const JpegOptions& options)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&cinfo, &buffer, &length);
    cinfo.image_width = JDIMENSION(size.width());
    cinfo.image_height = JDIMENSION(size.height());
    cinfo.input_components = options.cmyk ? 4 : options.grayscale ? 1 : 3;
    cinfo.in_color_space = options.cmyk ? JCS_CMYK : options.grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
    cinfo.restart_interval = unsigned(options.restartInterval);
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    if (options.exifOrientation) {
        const QByteArray exif = ExifPayload(options.exifOrientation, !options.exifLittleEndian);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.constData()),
                          unsigned(exif.size()));
    }
    const int components = cinfo.input_components;
    std::vector<unsigned char> row(std::size_t(size.width()) * std::size_t(components));
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            unsigned char* p = &row[std::size_t(x) * std::size_t(components)];
            int r = qRed(options.colour), g = qGreen(options.colour), b = qBlue(options.colour);
            if (options.textured) {
                // Stripes, a checkerboard and a little grain: every frequency gets some energy.
                const unsigned grain = (unsigned(x) * 2654435761u ^ unsigned(y) * 40503u) >> 28;
                r = (r + x * 5 + int(grain)) & 0xff;
                g = (g + y * 3 + (((x / 4) ^ (y / 4)) & 1) * 60) & 0xff;
                b = (b + (x + y) * 2 - int(grain)) & 0xff;
            }
            if (options.grayscale) {
                p[0] = static_cast<unsigned char>(g);
                continue;
            }
            // For CMYK: inverted inks with no black, so the stored values equal the RGB components.
            p[0] = static_cast<unsigned char>(r);
            p[1] = static_cast<unsigned char>(g);
            p[2] = static_cast<unsigned char>(b);
            if (options.cmyk)
                p[3] = 255;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(length));
    std::free(buffer);
    return bytes;
}

namespace {
int markerLength(const QByteArray& jpeg, qsizetype at)
{
    return (uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]);
}
} // namespace

QByteArray WithJpegSize(QByteArray jpeg, int width, int height)
{
    // Walks the marker segments that precede the first scan.
    qsizetype at = 2;
    while (at + 9 <= jpeg.size() && uchar(jpeg[at]) == 0xff) {
        const uchar marker = uchar(jpeg[at + 1]);
        if (marker == 0xda)
            break;
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc) {
            PutUnsigned(jpeg, at + 5, quint32(height), true, 2);
            PutUnsigned(jpeg, at + 7, quint32(width), true, 2);
            break;
        }
        at += 2 + markerLength(jpeg, at);
    }
    return jpeg;
}

QByteArray WithLastScanRepeated(const QByteArray& jpeg, int times)
{
    // Entropy-coded data never holds 0xFF followed by a marker code, so the last 0xFF 0xDA starts the scan.
    const qsizetype scan = jpeg.lastIndexOf("\xff\xda");
    const qsizetype end = jpeg.lastIndexOf("\xff\xd9");
    if (scan < 0 || end < scan)
        return jpeg;
    return jpeg.left(end) + jpeg.mid(scan, end - scan).repeated(times) + jpeg.mid(end);
}

QByteArray WithApp1(const QByteArray& jpeg, const QByteArray& payload)
{
    QByteArray marker("\xff\xe1\0\0", 4);
    PutUnsigned(marker, 2, quint32(payload.size() + 2), true, 2);
    return jpeg.left(2) + marker + payload + jpeg.mid(2);
}

} // namespace TestFiles
