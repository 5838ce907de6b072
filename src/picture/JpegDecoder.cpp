// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegDecoder.h"

#include "FitPicture.h"

#include <QTransform>
#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace {

// Bounds that keep one decode, whatever the file declares, within its work budget and a few hundred
// megabytes: a damaged or hostile file could otherwise ask for gigabytes or minutes.
// The picture's own size: more than any camera makes.
constexpr double MaxImagePixels = 200e6;
// The pixels produced after DCT scaling (four bytes each).
constexpr double MaxOutputPixels = 64.0 * 1024 * 1024;
// libjpeg's working memory: a progressive or multi-scan file keeps every DCT coefficient of the picture
// (128 bytes per 8x8 block), so this bounds the size of such files (about 85 megapixels with the usual
// chroma subsampling, 43 without).
constexpr long MaxLibjpegMemory = 256L * 1024 * 1024;
// Scans in one file; a progressive photo has about ten. libjpeg-turbo's own tools refuse more than 500.
constexpr int MaxScans = 500;

// The work a decode does, in units of roughly a nanosecond of processor time here (bench_jpeg prints both
// for every recorded file), charged before it is done: the output pass as soon as the header is read, each
// scan as it starts. Besides the scans (see scanWork), a decode pays for
// - memory it touches for the first time, which the system hands over page by page at 2.7 to 3.5 ns a
//   byte here (more than decoding it costs): libjpeg's coefficients of a multi-scan file (128 bytes a
//   block, zeroed as the first scan reaches them), the pixels and their turned copy. It is the largest cost
//   of a file that declares a large picture and holds no data;
constexpr double FreshByteWork = 3;
// - the inverse DCT, a fixed part per block and a part per sample it produces at the chosen scale;
constexpr double BlockWork = 8;
constexpr double SampleWork = 0.6;
// - each output pixel: upsampling, colour conversion and, for CMYK or turned pictures, one more pass.
constexpr double PixelWork = 1;
constexpr double PixelPassWork = 1;
// What one decode may spend: for a box, about 0.4 s; at full size, twice that.
constexpr double BoxBudget = 400e6;
constexpr double FullSizeBudget = 800e6;

// Gives the rows libjpeg writes into, width * 4 bytes each and *stride bytes apart, owned by target; null
// when there is no memory for them.
using PixelAllocator = unsigned char* (*)(void* target, int width, int height, std::size_t* stride);

// Why a decode failed, as the screens tell the user.
enum class Failure { Incomplete, NotJpeg, TooLarge, OutOfMemory, Unsupported, Damaged };

QString failureText(Failure failure)
{
    switch (failure) {
    case Failure::Incomplete:
        return QStringLiteral("file incompleto");
    case Failure::NotJpeg:
        return QStringLiteral("non \u00e8 un file JPEG");
    case Failure::TooLarge:
        return QStringLiteral("foto troppo grande");
    case Failure::OutOfMemory:
        return QStringLiteral("memoria insufficiente");
    case Failure::Unsupported:
        return QStringLiteral("formato non supportato");
    case Failure::Damaged:
        return QStringLiteral("dati danneggiati");
    }
    return {};
}

// The reason behind one of libjpeg's errors; dataEnded when the data ran out before it.
Failure failureOf(int code, bool dataEnded)
{
    switch (code) {
    case JERR_NO_SOI:
        return Failure::NotJpeg;
    case JERR_OUT_OF_MEMORY:
        return Failure::OutOfMemory;
    // libjpeg asks for a backing store when its whole-picture buffers exceed MaxLibjpegMemory.
    case JERR_NO_BACKING_STORE:
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return Failure::TooLarge;
    case JERR_INPUT_EMPTY:
    case JERR_INPUT_EOF:
    case JERR_NO_IMAGE:
        return Failure::Incomplete;
    case JERR_ARITH_NOTIMPL:
    case JERR_BAD_PRECISION:
    case JERR_CCIR601_NOTIMPL:
    case JERR_COMPONENT_COUNT:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_EMPTY_IMAGE:
    case JERR_FRACT_SAMPLE_NOTIMPL:
    case JERR_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_SOF_UNSUPPORTED:
        return Failure::Unsupported;
    default:
        return dataEnded ? Failure::Incomplete : Failure::Damaged;
    }
}

// What the plain decoding routine hands back.
struct RawDecode
{
    PixelAllocator allocate = nullptr;
    void* target = nullptr; // handed to allocate
    unsigned char* pixels = nullptr;
    std::size_t stride = 0;
    int width = 0, height = 0;
    int fullWidth = 0, fullHeight = 0;
    int orientation = 1;
    bool cmyk = false, adobeInverted = false;
    int warnings = 0;
    bool dataEnded = false; // the data ran out: libjpeg went on with an end marker of its own
    Failure failure = Failure::Damaged;
    double budget = 0; // work units this decode may spend
    double work = 0;   // work units charged so far, the one that broke the budget included
};

struct ErrorManager
{
    jpeg_error_mgr pub;
    jmp_buf jump;
    RawDecode* out;
};

[[noreturn]] void fail(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

extern "C" void onError(j_common_ptr cinfo)
{
    RawDecode* out = reinterpret_cast<ErrorManager*>(cinfo->err)->out;
    out->failure = failureOf(cinfo->err->msg_code, out->dataEnded);
    fail(cinfo);
}

extern "C" void onMessage(j_common_ptr cinfo, int level)
{
    // Level -1 is a warning about corrupt data; positive levels are traces.
    if (level < 0) {
        RawDecode* out = reinterpret_cast<ErrorManager*>(cinfo->err)->out;
        ++out->warnings;
        if (cinfo->err->msg_code == JWRN_JPEG_EOF)
            out->dataEnded = true;
    }
}

extern "C" void silentOutput(j_common_ptr) {}

// Rough cost of the scan libjpeg has just started, from timings of repeated scans here (about a nanosecond a
// unit). Every block costs a fixed part. Refinement scans of Huffman-coded files walk the coefficients of
// their band in every block, even where the data is only a run of empty blocks; other Huffman-coded work is
// paid for by the bytes of the file. Arithmetic decoding goes on after the data ends and, in the worst
// state of its statistics, decodes every coefficient of the band from nothing: up to a microsecond a block
// was measured on a file the fuzzer made.
double scanWork(j_decompress_ptr d)
{
    double blocks = 0;
    for (int i = 0; i < d->comps_in_scan; ++i)
        blocks +=
            double(d->cur_comp_info[i]->width_in_blocks) * double(d->cur_comp_info[i]->height_in_blocks);
    const int band = d->Se >= d->Ss ? std::min(d->Se - d->Ss + 1, 64) : 1;
    double perBlock = 16;
    if (d->arith_code)
        perBlock += 24.0 * band;
    else if (d->Ah > 0)
        perBlock += band;
    return blocks * perBlock;
}

// The work of everything but the scans, once the output size is known: memory, inverse DCT, output pixels.
double outputWork(j_decompress_ptr d, int orientation, bool cmyk)
{
    double work = 0;
    const bool coefficientsKept = jpeg_has_multiple_scans(d);
    for (int i = 0; i < d->num_components; ++i) {
        const jpeg_component_info* c = &d->comp_info[i];
        const double blocks = double(c->width_in_blocks) * double(c->height_in_blocks);
        const double samples = double(c->DCT_scaled_size) * double(c->DCT_scaled_size);
        work += blocks * (BlockWork + samples * SampleWork);
        if (coefficientsKept)
            work += blocks * 128 * FreshByteWork;
    }
    const bool turned = orientation != 1 && orientation != 2 && orientation != 4; // a copy, not a mirroring
    const double passes = (cmyk ? 1 : 0) + (turned ? 1 : 0);
    const double pixels = double(d->output_width) * double(d->output_height);
    return work + pixels * (PixelWork + passes * PixelPassWork + 4 * FreshByteWork * (turned ? 2 : 1));
}

// Adds work to the decode's account: false when it breaks the budget.
bool charge(RawDecode* out, double work)
{
    out->work += work;
    if (out->work <= out->budget)
        return true;
    out->failure = Failure::TooLarge;
    return false;
}

struct Progress
{
    jpeg_progress_mgr pub;
    int scan = 0; // the last scan seen
};

// Called by libjpeg before each row it decodes: refuses a file before it starts a scan too many.
extern "C" void onProgress(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* progress = reinterpret_cast<Progress*>(cinfo->progress);
    if (d->input_scan_number == progress->scan)
        return;
    progress->scan = d->input_scan_number;
    RawDecode* out = reinterpret_cast<ErrorManager*>(cinfo->err)->out;
    // No encoder writes that many scans.
    if (progress->scan > MaxScans) {
        out->failure = Failure::Unsupported;
        fail(cinfo);
    }
    if (!charge(out, scanWork(d)))
        fail(cinfo);
}

// Chooses the DCT scale from the stored size and the size the picture will be drawn at.
using ScaleChooser = int (*)(int width, int height, int orientation, int boxWidth, int boxHeight);

// Plain libjpeg calls only: no object with a destructor lives across setjmp/longjmp here.
bool decodeRaw(const unsigned char* data, unsigned long size, int boxWidth, int boxHeight,
               ScaleChooser choose, int (*orientationOf)(const unsigned char*, unsigned), RawDecode* out)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.pub.output_message = silentOutput;
    err.out = out;
    Progress progress;
    progress.pub.progress_monitor = onProgress;
    JSAMPROW row = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = MaxLibjpegMemory;
    cinfo.progress = &progress.pub;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    if (double(cinfo.image_width) * double(cinfo.image_height) > MaxImagePixels) {
        out->failure = Failure::TooLarge;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            out->orientation = orientationOf(m->data, m->data_length);
            break;
        }
    }
    out->fullWidth = int(cinfo.image_width);
    out->fullHeight = int(cinfo.image_height);
    cinfo.scale_num = 1;
    cinfo.scale_denom =
        unsigned(choose(out->fullWidth, out->fullHeight, out->orientation, boxWidth, boxHeight));

    // Four bytes a pixel either way: CMYK is turned into RGBX in place afterwards.
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        cinfo.out_color_space = JCS_CMYK;
        out->cmyk = true;
        out->adobeInverted = cinfo.saw_Adobe_marker;
    } else {
        cinfo.out_color_space = JCS_EXT_RGBX;
    }
    // Block smoothing only softens the blocks of a progressive file whose later scans are missing, a damaged
    // file, and it copies and filters every block of the picture once more.
    cinfo.do_block_smoothing = FALSE;
    jpeg_calc_output_dimensions(&cinfo);
    if (double(cinfo.output_width) * double(cinfo.output_height) > MaxOutputPixels ||
        !charge(out, outputWork(&cinfo, out->orientation, out->cmyk))) {
        out->failure = Failure::TooLarge;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    out->width = int(cinfo.output_width);
    out->height = int(cinfo.output_height);
    out->pixels = out->allocate(out->target, out->width, out->height, &out->stride);
    if (!out->pixels) {
        out->failure = Failure::OutOfMemory;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        row = out->pixels + out->stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

quint32 readUnsigned(const unsigned char* p, bool bigEndian, int bytes)
{
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= quint32(p[bigEndian ? i : bytes - 1 - i]) << (8 * (bytes - 1 - i));
    return v;
}

int orientationFromExif(const unsigned char* app1, unsigned length)
{
    // "Exif\0\0", then a TIFF header: byte order, 42, offset of the first directory. The offsets are the
    // file's own: every one is checked against the size in 64 bits, where no sum can wrap.
    if (length < 6 + 8)
        return 1;
    const unsigned char* tiff = app1 + 6;
    const quint64 size = length - 6;
    bool big;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        big = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        big = false;
    else
        return 1;
    const quint64 ifd = readUnsigned(tiff + 4, big, 4);
    if (ifd + 2 > size)
        return 1;
    // A directory: a count of 12-byte entries (tag, type, count, value), read only as far as they are there.
    const quint64 count = readUnsigned(tiff + ifd, big, 2);
    for (quint64 i = 0; i < count; ++i) {
        const quint64 entry = ifd + 2 + i * 12;
        if (entry + 12 > size)
            break;
        if (readUnsigned(tiff + entry, big, 2) == 0x0112) {
            const quint32 value = readUnsigned(tiff + entry + 8, big, 2);
            return value >= 1 && value <= 8 ? int(value) : 1;
        }
    }
    return 1;
}

bool swapsSides(int orientation)
{
    return orientation >= 5;
}

int chooseScale(int width, int height, int orientation, int boxWidth, int boxHeight)
{
    if (boxWidth <= 0 || boxHeight <= 0)
        return 1;
    const QSize upright = swapsSides(orientation) ? QSize(height, width) : QSize(width, height);
    const QSize fitted = FitPicture(upright, QSize(boxWidth, boxHeight)).size();
    const QSize needed = swapsSides(orientation) ? fitted.transposed() : fitted;
    int denom = 8;
    // libjpeg rounds scaled sizes up.
    while (denom > 1 &&
           ((width + denom - 1) / denom < needed.width() || (height + denom - 1) / denom < needed.height()))
        denom /= 2;
    return denom;
}

unsigned char* allocateImage(void* target, int width, int height, std::size_t* stride)
{
    auto* image = static_cast<QImage*>(target);
    *image = QImage(width, height, QImage::Format_RGBX8888);
    if (image->isNull())
        return nullptr;
    *stride = std::size_t(image->bytesPerLine());
    return image->bits();
}

// The picture turned upright; null when there was no memory for it. The mirrorings work in place.
QImage upright(QImage image, int orientation)
{
    QTransform t;
    switch (orientation) {
    case 2:
        return std::move(image).mirrored(true, false);
    case 3:
        t.rotate(180);
        break;
    case 4:
        return std::move(image).mirrored(false, true);
    case 5:
        t.rotate(90);
        return image.transformed(t).mirrored(true, false);
    case 6:
        t.rotate(90);
        break;
    case 7:
        t.rotate(-90);
        return image.transformed(t).mirrored(true, false);
    case 8:
        t.rotate(-90);
        break;
    default:
        return image;
    }
    return image.transformed(t);
}

// CMYK to RGBX, each pixel in its own four bytes.
void cmykToRgbx(unsigned char* row, int width, bool adobeInverted)
{
    // Adobe files store the inks inverted: the values are already 255 - ink. Others are inverted here, by
    // an exclusive or that needs no branch in the loop.
    const unsigned invert = adobeInverted ? 0 : 255;
    for (unsigned char* p = row; p != row + std::size_t(width) * 4; p += 4) {
        const unsigned k = p[3] ^ invert;
        p[0] = static_cast<unsigned char>((p[0] ^ invert) * k / 255);
        p[1] = static_cast<unsigned char>((p[1] ^ invert) * k / 255);
        p[2] = static_cast<unsigned char>((p[2] ^ invert) * k / 255);
        p[3] = 255;
    }
}

} // namespace

namespace Jpeg {

double WorkBudget(QSize box)
{
    return box.isValid() ? BoxBudget : FullSizeBudget;
}

int ExifOrientation(const QByteArray& app1)
{
    return orientationFromExif(reinterpret_cast<const unsigned char*>(app1.constData()),
                               unsigned(app1.size()));
}

JpegPicture Decode(const QByteArray& bytes, QSize box)
{
    JpegPicture picture;
    if (bytes.isEmpty()) {
        picture.error = failureText(Failure::Incomplete);
        return picture;
    }
    // libjpeg writes straight into the image, which then owns its pixels: mirroring needs no copy.
    QImage image;
    RawDecode raw;
    raw.allocate = allocateImage;
    raw.target = &image;
    raw.budget = WorkBudget(box);
    const bool decoded = decodeRaw(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                   static_cast<unsigned long>(bytes.size()), box.width(), box.height(),
                                   chooseScale, orientationFromExif, &raw);
    picture.warnings = raw.warnings;
    picture.work = raw.work;
    if (!decoded) {
        picture.error = failureText(raw.failure);
        return picture;
    }
    if (raw.cmyk) {
        for (int y = 0; y < raw.height; ++y)
            cmykToRgbx(image.scanLine(y), raw.width, raw.adobeInverted);
    }
    image = upright(std::move(image), raw.orientation);
    if (image.isNull()) {
        picture.error = failureText(Failure::OutOfMemory);
        return picture;
    }
    picture.image = std::move(image);
    const QSize full(raw.fullWidth, raw.fullHeight);
    picture.size = swapsSides(raw.orientation) ? full.transposed() : full;
    return picture;
}

} // namespace Jpeg
