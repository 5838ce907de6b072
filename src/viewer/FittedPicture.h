// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// A photo decoded and scaled to the very size it is drawn at in an area (by FitPicture), ready to be
// shown without further work.
struct FittedPicture
{
    QImage image; // FitPicture(size, area).size(); null when the photo could not be decoded
    QSize size;   // the photo's own size, upright
    QString error;

    bool ok() const { return !image.isNull(); }
};

// Decodes JPEG bytes at the scale the area needs, EXIF orientation applied, and scales the result
// smoothly to its fitted size. Safe to run on any thread.
FittedPicture DecodeFitted(const QByteArray& bytes, QSize area);
