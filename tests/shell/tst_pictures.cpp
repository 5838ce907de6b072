// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/FitPicture.h"
#include "shell/SplashAnimation.h"
#include "shell/TImageArray.h"

#include <QQueue>
#include <QtTest>
#include <numbers>

// Answers from scripted queues (0 when they run out).
class ScriptedRandom final : public SplashRandom
{
public:
    int Below(int n) override { return ints.isEmpty() ? 0 : qMin(ints.takeFirst(), n - 1); }
    float Unit() override { return floats.isEmpty() ? 0.5f : floats.takeFirst(); }
    QList<int> ints;
    QList<float> floats;
};

namespace {

QImage numbered(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 10, y * 10, 7));
    return image;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT
private slots:
    void fitPicture_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("wide, height limits") << QSize(500, 400) << QSize(320, 237) << QRect(12, 0, 296, 237);
        QTest::newRow("wide, width limits") << QSize(640, 320) << QSize(320, 237) << QRect(0, 38, 320, 160);
        QTest::newRow("tall") << QSize(480, 640) << QSize(320, 237) << QRect(71, 0, 177, 237);
        QTest::newRow("small, not enlarged") << QSize(200, 100) << QSize(320, 237) << QRect(60, 68, 200, 100);
        QTest::newRow("exact") << QSize(320, 237) << QSize(320, 237) << QRect(0, 0, 320, 237);
        QTest::newRow("zoom 4000x3000") << QSize(4000, 3000) << QSize(1276, 1020) << QRect(0, 31, 1276, 957);
        QTest::newRow("zoom small") << QSize(300, 200) << QSize(1276, 1020) << QRect(488, 410, 300, 200);
        QTest::newRow("viewer 1600x1200") << QSize(1600, 1200) << QSize(715, 539) << QRect(0, 1, 715, 536);
        QTest::newRow("viewer 539x1000") << QSize(539, 1000) << QSize(715, 539) << QRect(212, 0, 290, 539);
        QTest::newRow("square, too tall") << QSize(1000, 1000) << QSize(320, 237) << QRect(41, 0, 237, 237);
        QTest::newRow("1x1") << QSize(1, 1) << QSize(320, 237) << QRect(159, 118, 1, 1);
        QTest::newRow("10000x100") << QSize(10000, 100) << QSize(320, 237) << QRect(0, 117, 320, 3);
        QTest::newRow("empty") << QSize(0, 0) << QSize(320, 237) << QRect();
    }
    void fitPicture()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, area);
        QFETCH(QRect, expected);
        QCOMPARE(FitPicture(picture, area), expected);
    }

    void imageArray_identityMirrorAndQuarterTurn()
    {
        const QImage source = numbered(6, 4);
        TImageArray array;
        QCOMPARE(array.ColumnCount(), 0);
        QVERIFY(array.LoadFromBitmap(source));
        QCOMPARE(array.BackgroundColour() & 0xffffff, source.pixel(0, 3) & 0xffffff);
        QImage target;
        QCOMPARE(array.RenderRotated(target, QPoint(3, 2), false, 1.0, 0.0), QPoint(3, 2));
        QCOMPARE(target, source);
        array.RenderRotated(target, QPoint(3, 2), true, 1.0, 0.0);
        QCOMPARE(target, source.mirrored(true, false));
        // A quarter turn: the target's width is the picture's height.
        const QPoint offset = array.RenderRotated(target, QPoint(3, 2), false, 1.0, std::numbers::pi / 2);
        QCOMPARE(target.size(), QSize(4, 6));
        QCOMPARE(offset, QPoint(2, 3));
        // Half the size at angle 0 takes every other pixel.
        array.RenderRotated(target, QPoint(3, 2), false, 0.5, 0.0);
        QCOMPARE(target.size(), QSize(3, 2));
        QCOMPARE(target.pixel(1, 1), source.pixel(2, 2));
    }

    void imageArray_refusesOtherFormats()
    {
        TImageArray array;
        QVERIFY(array.LoadFromBitmap(numbered(2, 2)));
        QVERIFY(!array.LoadFromBitmap(QImage(8, 8, QImage::Format_RGB32)));
        QVERIFY(!array.LoadFromBitmap(QImage(8, 8, QImage::Format_Mono)));
        QCOMPARE(array.ColumnCount(), 2); // unchanged
        QImage indexed(3, 3, QImage::Format_Indexed8);
        indexed.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6)});
        indexed.fill(1);
        QVERIFY(array.LoadFromBitmap(indexed));
        QImage target;
        array.RenderRotated(target, QPoint(1, 1), false, 1.0, 0.0);
        QCOMPARE(target.format(), QImage::Format_Indexed8);
        QCOMPARE(target.pixel(2, 2), qRgb(4, 5, 6));
    }

    void splash_startsFromTheRandomSource()
    {
        ScriptedRandom random;
        // Sprite 0: x, y, depth, then the three signs.
        random.ints = {100, 50, 10, 1, 0, 1};
        random.floats = {0.25f, 0.75f};
        SplashAnimation a(QImage(597, 362, QImage::Format_RGB888), numbered(108, 60), random);
        const SplashSprite& s = a.Sprites()[0];
        QCOMPARE(s.x, 108 + 100);
        QCOMPARE(s.y, 60 + 50);
        QCOMPARE(s.depth, 60);
        QCOMPARE(s.dx, 1);
        QCOMPARE(s.dy, -1);
        QCOMPARE(s.ddepth, 1);
        QCOMPARE(s.angle, float(0.25 * 2 * std::numbers::pi));
        QCOMPARE(s.spin, 0.75f * 0.4f - 0.2f);
        QCOMPARE(a.Sprites()[3].scale, 1.0f);
        QVERIFY(!a.Sprites()[1].mirrored);
        QVERIFY(a.Sprites()[4].mirrored);
    }

    void splash_bouncesAtTheEdgesAndDepths()
    {
        ScriptedRandom random;
        SplashAnimation a(QImage(597, 362, QImage::Format_RGB888), numbered(108, 60), random);
        auto& sprites = a.Sprites();
        for (auto& s : sprites) {
            s = SplashSprite{};
            s.x = 300;
            s.y = 180;
            s.depth = 100;
        }
        // depth 100: scale 1, r = trunc(hypot(108, 60) / 2) = 61.
        sprites[0].x = 597 - 61 + 8 - 2;
        sprites[0].dx = 5;
        sprites[1].y = 61 - 8 + 3;
        sprites[1].dy = -4;
        sprites[2].depth = 362;
        sprites[2].ddepth = 3;
        sprites[3].angle = 6.2f;
        sprites[3].spin = 0.2f;
        random.floats = {1.0f, 0.0f, 0.5f};
        a.Tick();
        QCOMPARE(sprites[0].x, 597 - 61 + 8);
        QCOMPARE(sprites[0].dx, -5);
        QCOMPARE(sprites[0].spin, 0.2f);
        QCOMPARE(sprites[1].y, 61 - 8);
        QCOMPARE(sprites[1].dy, 4);
        QCOMPARE(sprites[1].spin, -0.2f);
        QCOMPARE(sprites[2].depth, 365); // not clamped: beyond the bound by one step
        QCOMPARE(sprites[2].ddepth, -3);
        QCOMPARE(sprites[3].angle, 6.4f - float(2 * std::numbers::pi));
        QCOMPARE(sprites[4].scale, 1.0f);
        a.Tick();
        QCOMPARE(sprites[2].depth, 362);
    }

    void splash_redrawsOnlyAroundTheSprites()
    {
        ScriptedRandom random;
        QImage background(597, 362, QImage::Format_RGB888);
        background.fill(qRgb(10, 20, 30));
        QImage sprite(108, 60, QImage::Format_RGB888);
        sprite.fill(qRgb(255, 0, 255)); // the sprite's own background: transparent
        for (int y = 20; y < 40; ++y)
            for (int x = 40; x < 70; ++x)
                sprite.setPixel(x, y, qRgb(250, 250, 250));
        SplashAnimation a(background, sprite, random);
        for (int i = 0; i < 5; ++i)
            a.Tick();
        int white = 0, magenta = 0;
        for (int y = 0; y < 362; ++y)
            for (int x = 0; x < 597; ++x) {
                const QRgb c = a.Buffer().pixel(x, y) & 0xffffff;
                white += c == 0xfafafa;
                magenta += c == 0xff00ff;
            }
        QVERIFY(white > 0);
        QCOMPARE(magenta, 0);
    }
};

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
