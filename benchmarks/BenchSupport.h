// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace Bench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The times of one measurement over its runs, printed as minimum, median and maximum.
struct Figures
{
    std::vector<double> ms;
    void print(const char* what) const
    {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        std::printf("  %-58s min %8.2f  median %8.2f  max %8.2f ms\n", what, v.front(), Bench::median(v),
                    v.back());
    }
    double median() const { return Bench::median(ms); }
};

// Milliseconds taken by f.
template <typename F> double timeMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// Milliseconds of processor time this process spent in f: for work that only computes, its duration on an
// idle machine, which the time other programs take from a busy one does not add to.
template <typename F> double processorMs(F&& f)
{
    timespec start{}, end{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
    f();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
    return double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
}

// Resident memory of this process in kB.
inline long residentKb(const char* key = "VmRSS:")
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A photo-like JPEG (smooth shapes plus grain) of the given size and quality.
inline QByteArray photoJpeg(int width, int height, int quality, unsigned seed = 1)
{
    QImage image(width, height, QImage::Format_RGB32);
    unsigned state = seed * 2654435761u + 12345u;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const int grain = int((state >> 16) & 31) - 16;
            const int r = std::clamp(((x * 255) / width) + grain, 0, 255);
            const int g = std::clamp(((y * 255) / height) + grain, 0, 255);
            const int b = std::clamp(128 + int(60 * ((x / 37 + y / 29) % 3)) - 60 + grain, 0, 255);
            line[x] = qRgb(r, g, b);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return bytes;
}

} // namespace Bench
