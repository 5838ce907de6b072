// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the photo decoder. Any file is a JPEG candidate; its length modulo 4 chooses the box
// it is decoded for (full size, the card's preview, the viewer, the zoom screen), so a seed decodes as
// itself and the fuzzer reaches every DCT scale by adding or removing a byte. Besides the sanitizers'
// findings, a broken contract of Jpeg::Decode aborts the run.
#include "picture/FitPicture.h"
#include "picture/JpegDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken contract: %s\n", what);
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QSize boxes[] = {QSize(), QSize(320, 237), QSize(715, 539), QSize(1276, 1020)};
    const QSize box = boxes[size % 4];
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    const JpegPicture picture = Jpeg::Decode(bytes, box);
    // An answer either way: a picture, or an error text the screens can show.
    require(picture.ok() == picture.error.isEmpty(), "a picture or an error");
    if (picture.ok()) {
        require(picture.image.width() <= picture.size.width() &&
                    picture.image.height() <= picture.size.height(),
                "never decoded larger than the picture");
        if (box.isValid()) {
            const QSize drawn = FitPicture(picture.size, box).size();
            require(picture.image.width() >= drawn.width() && picture.image.height() >= drawn.height(),
                    "never decoded smaller than it is drawn");
        }
    }

    // The EXIF reader on the raw bytes too: inputs starting "Exif\0\0" reach it without a JPEG around them.
    const int orientation = Jpeg::ExifOrientation(bytes);
    require(orientation >= 1 && orientation <= 8, "an orientation from 1 to 8");
    return 0;
}
