// SPDX-License-Identifier: GPL-3.0-or-later
#include "Placeholders.h"

#include "picture/JpegDecoder.h"

#include <QFile>

namespace {

PlaceholderPicture load(const QString& resource)
{
    PlaceholderPicture picture;
    QFile file(resource);
    if (file.open(QIODevice::ReadOnly))
        picture.bytes = file.readAll();
    picture.image = Jpeg::Decode(picture.bytes).image;
    return picture;
}

} // namespace

namespace Placeholders {

const PlaceholderPicture& Card()
{
    static const PlaceholderPicture picture = load(QStringLiteral(":/art/placeholder.jpg"));
    return picture;
}

const PlaceholderPicture& Viewer()
{
    static const PlaceholderPicture picture = load(QStringLiteral(":/art/viewer_placeholder.jpg"));
    return picture;
}

} // namespace Placeholders
