// SPDX-License-Identifier: GPL-3.0-or-later
#include "TImageArray.h"

#include <cmath>

namespace {
int roundEven(double v)
{
    return int(std::nearbyint(v)); // the default rounding mode rounds ties to even
}
} // namespace

bool TImageArray::LoadFromBitmap(const QImage& bitmap)
{
    PixelFormat format;
    if (bitmap.format() == QImage::Format_Indexed8)
        format = PixelFormat::Palette8;
    else if (bitmap.format() == QImage::Format_RGB888 || bitmap.format() == QImage::Format_BGR888)
        format = PixelFormat::Rgb24;
    else
        return false;

    m_format = format;
    m_columns = bitmap.width();
    m_rows = bitmap.height();
    m_pixels.resize(std::size_t(m_columns));
    for (auto& column : m_pixels)
        column.resize(std::size_t(m_rows));
    for (int y = 0; y < m_rows; ++y) {
        for (int x = 0; x < m_columns; ++x)
            m_pixels[std::size_t(x)][std::size_t(y)] = format == PixelFormat::Palette8
                                                           ? quint32(bitmap.pixelIndex(x, y))
                                                           : (bitmap.pixel(x, y) & 0xffffff);
    }
    m_palette = format == PixelFormat::Palette8 ? bitmap.colorTable() : QVector<QRgb>();
    m_background = m_rows > 0 && m_columns > 0 ? bitmap.pixel(0, m_rows - 1) : 0;
    return true;
}

QImage TImageArray::makeTarget(int width, int height) const
{
    if (m_format == PixelFormat::Palette8) {
        QImage image(width, height, QImage::Format_Indexed8);
        image.setColorTable(m_palette);
        return image;
    }
    return QImage(width, height, QImage::Format_RGB888);
}

void TImageArray::setPixel(QImage& target, int x, int y, quint32 value, PixelFormat format)
{
    uchar* line = target.scanLine(y);
    if (format == PixelFormat::Palette8) {
        line[x] = uchar(value);
    } else {
        line[3 * x] = uchar(value >> 16);
        line[3 * x + 1] = uchar(value >> 8);
        line[3 * x + 2] = uchar(value);
    }
}

QPoint TImageArray::RenderRotated(QImage& target, QPoint hotSpot, bool mirrored, double scale,
                                  double angle) const
{
    const int W = m_columns, H = m_rows;
    const double s = std::sin(angle), c = std::cos(angle), inv = 1.0 / scale;
    const int m = std::abs(roundEven(scale * H * s)) + std::abs(roundEven(scale * W * c));
    const int n = std::abs(roundEven(scale * W * s)) + std::abs(roundEven(scale * H * c));
    target = makeTarget(m, n);
    if (m > 0 && n > 0 && W > 0 && H > 0) {
        const quint32 background = pixel(0, H - 1);
        for (int ty = 0; ty < n; ++ty) {
            for (int tx = 0; tx < m; ++tx) {
                int sx, sy;
                if (angle != 0) {
                    const int gx = 2 * tx - (m - 1), gy = 2 * ty - (n - 1);
                    sx = (W + roundEven(inv * (c * gx - s * gy)) - 1) / 2;
                    sy = (H + roundEven(inv * (s * gx + c * gy)) - 1) / 2;
                } else {
                    sx = int(inv * tx);
                    sy = int(inv * ty);
                }
                if (mirrored)
                    sx = W - 1 - sx;
                const bool inside = sx >= 0 && sx < W && sy >= 0 && sy < H;
                setPixel(target, tx, ty, inside ? pixel(sx, sy) : background, m_format);
            }
        }
    }

    const int dX = hotSpot.x() - W / 2, dY = hotSpot.y() - H / 2;
    const double len = std::hypot(double(dY), double(dX));
    double a = 0, b = 1;
    if (len >= 1) {
        a = dY / len;
        b = dX / len;
    }
    return QPoint(roundEven(scale * len * (c * b - s * a)) + m / 2,
                  n / 2 - roundEven(scale * len * (s * b + c * a)));
}
