// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QVector>
#include <vector>

// A small sprite renderer: one picture held as columns of pixels, drawn rotated, scaled and mirrored.
class TImageArray
{
public:
    enum class PixelFormat { Palette8, Rgb24 };
    static constexpr const char* UnsupportedFormatMessage = "only 8 bit and 24 bit bitmaps are allowed";

    int ColumnCount() const noexcept { return m_columns; }
    int RowCount() const noexcept { return m_rows; }
    PixelFormat Format() const noexcept { return m_format; }
    QRgb BackgroundColour() const noexcept { return m_background; }

    // Copies an 8-bit palette (Format_Indexed8) or 24-bit (Format_RGB888 / Format_BGR888) picture.
    // Any other format is refused: the array keeps its content and the caller shows
    // UnsupportedFormatMessage.
    bool LoadFromBitmap(const QImage& bitmap);

    // Draws the picture rotated by angle (radians), scaled and optionally mirrored into target, which
    // is resized and given the array's format. Returns where hotSpot lands in the target.
    QPoint RenderRotated(QImage& target, QPoint hotSpot, bool mirrored, double scale, double angle) const;

private:
    // Pixel (column, row) as stored: a palette index, or 0xRRGGBB.
    quint32 pixel(int column, int row) const { return m_pixels[std::size_t(column)][std::size_t(row)]; }
    QImage makeTarget(int width, int height) const;
    static void setPixel(QImage& target, int x, int y, quint32 value, PixelFormat format);

    int m_columns = 0;
    int m_rows = 0;
    PixelFormat m_format = PixelFormat::Rgb24;
    QRgb m_background = 0;
    std::vector<std::vector<quint32>> m_pixels; // per column, row 0 at the top
    QVector<QRgb> m_palette;
};
