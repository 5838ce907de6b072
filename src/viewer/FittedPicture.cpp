// SPDX-License-Identifier: GPL-3.0-or-later
#include "FittedPicture.h"

#include "picture/FitPicture.h"
#include "picture/JpegDecoder.h"

FittedPicture DecodeFitted(const QByteArray& bytes, QSize area)
{
    FittedPicture fitted;
    JpegPicture decoded = Jpeg::Decode(bytes, area);
    if (!decoded.ok()) {
        fitted.error = decoded.error;
        return fitted;
    }
    fitted.size = decoded.size;
    const QSize target = FitPicture(decoded.size, area).size();
    // RGB32 is what the screen's backing store holds: drawing it needs no conversion.
    QImage image = decoded.image.size() == target
                       ? decoded.image
                       : decoded.image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    fitted.image = image.convertToFormat(QImage::Format_RGB32);
    return fitted;
}
