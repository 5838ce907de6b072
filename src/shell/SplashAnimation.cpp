// SPDX-License-Identifier: GPL-3.0-or-later
#include "SplashAnimation.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace {
constexpr float TwoPi = float(2 * std::numbers::pi);
}

SplashAnimation::SplashAnimation(const QImage& background, const QImage& sprite, SplashRandom& random)
    : m_background(background.convertToFormat(QImage::Format_RGB888))
    , m_random(random)
{
    m_spriteLoaded = m_sprite.LoadFromBitmap(sprite);
    const int W = m_background.width(), H = m_background.height();
    const int w = m_sprite.ColumnCount(), h = m_sprite.RowCount();
    for (int i = 0; i < SpriteCount; ++i) {
        SplashSprite& s = m_sprites[std::size_t(i)];
        s.x = w + m_random.Below(qMax(1, W - 2 * w));
        s.y = h + m_random.Below(qMax(1, H - 2 * h));
        s.depth = 50 + m_random.Below(qMax(1, H - 50));
        s.dx = (i + 1) * (m_random.Below(2) * 2 - 1);
        s.dy = (i + 1) * (m_random.Below(2) * 2 - 1);
        s.ddepth = (i + 1) * (m_random.Below(2) * 2 - 1);
        s.angle = m_random.Unit() * TwoPi;
        s.spin = newSpin();
        s.scale = float(i + 1) / 4;
        s.mirrored = i % 2 == 0;
    }
    m_buffer = m_background.copy();
}

float SplashAnimation::newSpin()
{
    return m_random.Unit() * 0.4f - 0.2f;
}

int SplashAnimation::radius(float scale) const
{
    return int(std::hypot(double(m_sprite.ColumnCount()), double(m_sprite.RowCount())) * scale / 2);
}

void SplashAnimation::Tick()
{
    if (!m_spriteLoaded)
        return;
    const int W = m_background.width(), H = m_background.height();
    QPainter painter(&m_buffer);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const SplashSprite& s : m_sprites) {
        const int r = radius(s.scale);
        if (r != 0) {
            const QRect square(s.x - r, s.y - r, 2 * r, 2 * r);
            painter.drawImage(square.topLeft(), m_background, square);
        }
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    for (SplashSprite& s : m_sprites) {
        s.scale = 100.0f / float(s.depth);
        const int r = radius(s.scale);
        // Moves one coordinate; past either edge (by more than the margin) it bounces with a new spin.
        auto move = [&](int& position, int& delta, int size) {
            position += delta;
            if (position > size - r + Margin) {
                delta = -delta;
                s.spin = newSpin();
                position = size - r + Margin;
            }
            if (position < r - Margin) {
                delta = -delta;
                s.spin = newSpin();
                position = r - Margin;
            }
        };
        move(s.x, s.dx, W);
        move(s.y, s.dy, H);
        s.depth += s.ddepth;
        if (s.depth > H || s.depth < 50) {
            s.ddepth = -s.ddepth;
            s.spin = newSpin();
        }
        s.angle += s.spin;
        if (s.angle > TwoPi)
            s.angle -= TwoPi;
        if (s.angle < 0)
            s.angle += TwoPi;
        if (r != 0) {
            const QPoint offset =
                m_sprite.RenderRotated(m_render, QPoint(m_sprite.ColumnCount() / 2, m_sprite.RowCount() / 2),
                                       s.mirrored, s.scale, s.angle);
            // The sprite's background colour is transparent.
            QImage sprite = m_render.convertToFormat(QImage::Format_ARGB32);
            const QRgb key = m_sprite.BackgroundColour() | 0xff000000u;
            for (int y = 0; y < sprite.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(sprite.scanLine(y));
                for (int x = 0; x < sprite.width(); ++x) {
                    if (line[x] == key)
                        line[x] = 0;
                }
            }
            painter.drawImage(QPoint(s.x - offset.x(), s.y - offset.y()), sprite);
        }
    }
}
