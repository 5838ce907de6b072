// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TImageArray.h"

#include <QImage>
#include <array>
#include <functional>

// One of the five copies of the sprite on the credits screen.
struct SplashSprite
{
    int x = 0, y = 0; // centre on the background
    int depth = 100;  // scale is 100 / depth
    int dx = 0, dy = 0, ddepth = 0;
    float angle = 0; // radians, kept in [0, 2 pi]
    float spin = 0;  // change of angle per tick
    float scale = 0; // scale of the last drawing
    bool mirrored = false;
};

// The randomness of the animation, replaceable so that its rules can be checked.
class SplashRandom
{
public:
    virtual ~SplashRandom() = default;
    virtual int Below(int n) = 0; // an integer in [0, n)
    virtual float Unit() = 0;     // a number in [0, 1)
};

// Five sprites that fly, bounce, spin and change size over a background, drawn into an off-screen buffer.
// Each tick erases only the squares under the sprites, moves them and draws them again.
class SplashAnimation
{
public:
    static constexpr int SpriteCount = 5;
    static constexpr int Margin = 8; // how far a sprite may leave the picture before it bounces

    // sprite must be an 8-bit or 24-bit picture; its bottom-left pixel is its transparent colour.
    SplashAnimation(const QImage& background, const QImage& sprite, SplashRandom& random);

    void Tick();
    const QImage& Buffer() const noexcept { return m_buffer; }
    std::array<SplashSprite, SpriteCount>& Sprites() noexcept { return m_sprites; }
    bool SpriteLoaded() const noexcept { return m_spriteLoaded; }

private:
    float newSpin();
    int radius(float scale) const;

    QImage m_background;
    QImage m_buffer;
    QImage m_render;
    TImageArray m_sprite;
    bool m_spriteLoaded = false;
    SplashRandom& m_random;
    std::array<SplashSprite, SpriteCount> m_sprites;
};
