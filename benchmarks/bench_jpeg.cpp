// SPDX-License-Identifier: GPL-3.0-or-later
// Times the photo decoder: 12-megapixel photos, baseline and progressive, at full size and at the card
// preview's scale, against their floor measured in the same run (bare libjpeg decoding the same bytes at
// the same scale into the same kind of buffer), then every recorded hostile file in
// tests/data/jpeg/regressions at full size and at the preview's box, with the work the decoder counted for
// it and the time a unit of it took, and last the slowest of those files at either size. Minimum, median and
// maximum of 11 runs, in processor time: decoding only computes, and a busy machine would add its waits.
#include "BenchJpeg.h"
#include "BenchSupport.h"

#include "picture/JpegDecoder.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Runs = 11;
const QSize Preview(320, 237);

// The same picture written as a progressive JPEG, losslessly (its coefficients copied), as jpegtran does.
QByteArray progressive(const QByteArray& baseline)
{
    jpeg_decompress_struct in;
    jpeg_compress_struct out;
    jpeg_error_mgr inErr, outErr;
    in.err = jpeg_std_error(&inErr);
    out.err = jpeg_std_error(&outErr);
    jpeg_create_decompress(&in);
    jpeg_create_compress(&out);
    jpeg_mem_src(&in, reinterpret_cast<const unsigned char*>(baseline.constData()), baseline.size());
    jpeg_read_header(&in, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&in);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&out, &buffer, &length);
    jpeg_copy_critical_parameters(&in, &out);
    jpeg_simple_progression(&out);
    jpeg_write_coefficients(&out, coefficients);
    jpeg_finish_compress(&out);
    jpeg_finish_decompress(&in);
    jpeg_destroy_compress(&out);
    jpeg_destroy_decompress(&in);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(length));
    std::free(buffer);
    return bytes;
}

struct Figures
{
    double min, median, max;
};

template <typename F> Figures measure(F&& f)
{
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i)
        ms.push_back(Bench::processorMs(f));
    std::sort(ms.begin(), ms.end());
    return {ms.front(), Bench::median(ms), ms.back()};
}

void print(const char* what, const Figures& f)
{
    std::printf("  %-62s %8.1f %8.1f %8.1f\n", what, f.min, f.median, f.max);
}

} // namespace

int main(int argc, char* argv[])
{
    const QString regressions = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(JPEG_REGRESSIONS);
    const QByteArray baseline = Bench::photoJpeg(4000, 3000, 80);
    const QByteArray progressivePhoto = progressive(baseline);
    std::printf("Photo decoder, ms of processor time (%d runs)                    min   median      max\n",
                Runs);
    for (const auto& [name, bytes] :
         {std::pair{"12 MP baseline", baseline}, std::pair{"12 MP progressive", progressivePhoto}}) {
        for (const auto& [scale, box, denominator] :
             {std::tuple{"full size", QSize(), 1u}, std::tuple{"preview (1/8)", Preview, 8u}}) {
            const Figures decode = measure([&] { Jpeg::Decode(bytes, box); });
            const Figures floor = measure([&] { Bench::bareDecode(bytes, denominator); });
            print(qPrintable(u"%1, %2: Jpeg::Decode"_s.arg(name, scale)), decode);
            print(qPrintable(u"%1, %2: floor, bare libjpeg"_s.arg(name, scale)), floor);
            std::printf("  %-62s %8.2f\n", "  ratio of the medians", decode.median / floor.median);
        }
    }

    std::printf("\nRecorded hostile files (%s), full size and preview box\n", qPrintable(regressions));
    const QDir folder(regressions);
    struct Worst
    {
        QString name;
        Figures figures{0, 0, 0};
    } worst[2];
    for (const QString& name : folder.entryList({u"*.jpg"_s}, QDir::Files)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        for (const bool preview : {false, true}) {
            const QSize box = preview ? Preview : QSize();
            JpegPicture last;
            const Figures f = measure([&] { last = Jpeg::Decode(bytes, box); });
            print(qPrintable(u"%1 %2"_s.arg(name.left(50), preview ? u"preview"_s : u"full"_s)), f);
            // The time a unit of counted work took: the budget bounds the time while this stays near or
            // below 1 ns.
            std::printf("  %-62s %s, %.0f M units of %.0f M", "",
                        last.ok() ? "decoded" : qPrintable(u"refused ("_s + last.error + u")"_s),
                        last.work / 1e6, Jpeg::WorkBudget(box) / 1e6);
            if (last.work >= 1e6 && last.work <= Jpeg::WorkBudget(box))
                std::printf(", %.2f ns a unit", f.median * 1e6 / last.work);
            std::printf("\n");
            if (f.median > worst[preview].figures.median)
                worst[preview] = {name, f};
        }
    }
    std::printf("\nSlowest recorded file, ms of processor time\n");
    for (const bool preview : {false, true})
        print(qPrintable(
                  u"%1: %2"_s.arg(preview ? u"preview"_s : u"full size"_s, worst[preview].name.left(48))),
              worst[preview].figures);
    return 0;
}
