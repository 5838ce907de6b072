// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

// A stock picture shown where a card has no photo: its JPEG bytes (what "save to disk" writes) and the
// decoded image.
struct PlaceholderPicture
{
    QByteArray bytes;
    QImage image;
};

// The placeholders of the program, each read and decoded once, at its first use.
namespace Placeholders {

// 320 x 237: the record card's preview.
const PlaceholderPicture& Card();
// 715 x 539: the photo viewer and the slideshow.
const PlaceholderPicture& Viewer();

} // namespace Placeholders
