// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's artwork: archive tiles and captions, logos, icons, the background pattern, command
// pictures, placeholders, the credits pictures and the frames of the start menu's strip animation.
// Everything is drawn from shapes here; nothing is copied from elsewhere.
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor Ink(27, 58, 107);    // outlines and dark text
const QColor Azure(46, 134, 222); // the program's colour
const QColor DeepAzure(27, 95, 168);
const QColor Sky(214, 234, 248);
const QColor Orange(243, 156, 18);
const QColor Green(58, 142, 86);
const QColor Red(200, 48, 48);

QString g_out;

QFont font(int pixels, bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void save(const QImage& image, const QString& name, const char* format = nullptr, int quality = -1)
{
    const QString path = QDir(g_out).filePath(name);
    if (!image.save(path, format, quality))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QImage canvas(int w, int h, const QColor& fill = Qt::transparent)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

// Painter on an image, antialiased, with a 100x100 design space mapped onto rect.
struct Pen
{
    QPainter p;
    Pen(QImage& image)
        : p(&image)
    {
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    void design(const QRectF& rect)
    {
        p.translate(rect.topLeft());
        p.scale(rect.width() / 100.0, rect.height() / 100.0);
    }
    void fill(const QPainterPath& path, const QColor& colour, qreal outline = 2.2)
    {
        p.setBrush(colour);
        p.setPen(outline > 0 ? QPen(Ink, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                             : QPen(Qt::NoPen));
        p.drawPath(path);
    }
    void ellipse(const QRectF& r, const QColor& colour, qreal outline = 2.2)
    {
        QPainterPath path;
        path.addEllipse(r);
        fill(path, colour, outline);
    }
    void line(QPointF a, QPointF b, const QColor& colour, qreal width)
    {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(a, b);
    }
    void eye(QPointF c, qreal r)
    {
        ellipse(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Ink, 0);
        ellipse(QRectF(c.x() - r * 0.2, c.y() - r * 0.75, r * 0.6, r * 0.6), Qt::white, 0);
    }
};

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& pt : points) {
        if (first)
            path.moveTo(pt);
        else
            path.lineTo(pt);
        first = false;
    }
    path.closeSubpath();
    return path;
}

QPainterPath rotatedEllipse(QPointF centre, qreal rx, qreal ry, qreal degrees)
{
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), rx, ry);
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotate(degrees);
    return t.map(path);
}

// ---- the ten animals, each in a 100x100 design space ----

void drawDog(Pen& d)
{
    d.fill(rotatedEllipse({22, 46}, 10, 22, 18), QColor(139, 90, 43));
    d.fill(rotatedEllipse({78, 46}, 10, 22, -18), QColor(139, 90, 43));
    d.ellipse(QRectF(26, 22, 48, 58), QColor(217, 160, 102));
    d.ellipse(QRectF(36, 52, 28, 26), QColor(250, 230, 200), 1.6);
    d.eye({41, 45}, 3.6);
    d.eye({59, 45}, 3.6);
    d.ellipse(QRectF(44, 53, 12, 8), Ink, 0);
    QPainterPath mouth;
    mouth.moveTo(50, 61);
    mouth.lineTo(50, 66);
    mouth.moveTo(43, 66);
    mouth.quadTo(50, 72, 57, 66);
    d.p.setBrush(Qt::NoBrush);
    d.p.setPen(QPen(Ink, 1.8, Qt::SolidLine, Qt::RoundCap));
    d.p.drawPath(mouth);
    d.ellipse(QRectF(47, 68, 6, 7), QColor(236, 112, 140), 1.2);
}

void drawCat(Pen& d)
{
    const QColor fur(154, 165, 177);
    d.fill(polygon({{24, 46}, {27, 12}, {48, 30}}), fur);
    d.fill(polygon({{76, 46}, {73, 12}, {52, 30}}), fur);
    d.fill(polygon({{29, 36}, {30, 20}, {41, 30}}), QColor(246, 178, 190), 0);
    d.fill(polygon({{71, 36}, {70, 20}, {59, 30}}), QColor(246, 178, 190), 0);
    d.ellipse(QRectF(20, 26, 60, 56), fur);
    d.ellipse(QRectF(34, 56, 32, 22), QColor(236, 240, 244), 0);
    for (qreal x : {39.0, 61.0}) {
        d.fill(rotatedEllipse({x, 48}, 6.5, 4.6, 0), QColor(150, 200, 90), 1.4);
        d.fill(rotatedEllipse({x, 48}, 1.6, 4.2, 0), Ink, 0);
    }
    d.fill(polygon({{46, 58}, {54, 58}, {50, 63}}), QColor(236, 112, 140), 1.2);
    QPainterPath mouth;
    mouth.moveTo(50, 63);
    mouth.quadTo(46, 68, 42, 66);
    mouth.moveTo(50, 63);
    mouth.quadTo(54, 68, 58, 66);
    d.p.setBrush(Qt::NoBrush);
    d.p.setPen(QPen(Ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    d.p.drawPath(mouth);
    for (int side : {-1, 1}) {
        for (int k = 0; k < 3; ++k)
            d.line({50 + side * 12.0, 61.0 + k * 3}, {50 + side * 30.0, 57.0 + k * 5}, Ink, 1.0);
    }
}

void drawHorse(Pen& d)
{
    const QColor coat(160, 82, 45);
    d.fill(polygon({{36, 26}, {31, 6}, {44, 20}}), coat);
    d.fill(polygon({{64, 26}, {69, 6}, {56, 20}}), coat);
    QPainterPath head;
    head.moveTo(34, 22);
    head.cubicTo(30, 40, 34, 66, 38, 86);
    head.lineTo(62, 86);
    head.cubicTo(66, 66, 70, 40, 66, 22);
    head.cubicTo(58, 14, 42, 14, 34, 22);
    d.fill(head, coat);
    d.fill(polygon({{46, 24}, {54, 24}, {52, 60}, {48, 60}}), QColor(250, 245, 235), 0);
    d.ellipse(QRectF(35, 68, 30, 24), QColor(107, 58, 30));
    d.ellipse(QRectF(41, 77, 5, 6), Ink, 0);
    d.ellipse(QRectF(54, 77, 5, 6), Ink, 0);
    d.eye({37, 42}, 3.4);
    d.eye({63, 42}, 3.4);
    QPainterPath mane;
    mane.moveTo(40, 20);
    mane.cubicTo(44, 10, 56, 10, 60, 20);
    mane.cubicTo(54, 28, 46, 28, 40, 20);
    d.fill(mane, QColor(70, 40, 20), 1.4);
}

void drawBird(Pen& d)
{
    d.line({16, 86}, {86, 86}, QColor(120, 80, 40), 5);
    d.line({46, 76}, {44, 86}, Orange, 2.2);
    d.line({56, 76}, {56, 86}, Orange, 2.2);
    QPainterPath tail;
    tail.moveTo(34, 64);
    tail.lineTo(10, 80);
    tail.lineTo(16, 70);
    tail.lineTo(8, 70);
    tail.lineTo(30, 58);
    d.fill(tail, QColor(230, 190, 40));
    d.ellipse(QRectF(26, 40, 46, 40), QColor(244, 208, 63));
    d.ellipse(QRectF(50, 20, 30, 30), QColor(244, 208, 63));
    d.fill(rotatedEllipse({44, 60}, 16, 9, -20), QColor(226, 178, 30), 1.8);
    d.fill(polygon({{78, 31}, {92, 36}, {78, 41}}), Orange, 1.6);
    d.eye({68, 32}, 3.2);
    d.ellipse(QRectF(58, 38, 8, 6), QColor(250, 160, 120, 160), 0);
}

void drawTurtle(Pen& d)
{
    const QColor skin(154, 205, 107);
    d.fill(rotatedEllipse({34, 76}, 6, 8, 10), skin);
    d.fill(rotatedEllipse({64, 76}, 6, 8, -10), skin);
    d.fill(polygon({{18, 66}, {8, 70}, {20, 72}}), skin, 1.6);
    d.ellipse(QRectF(72, 48, 20, 18), skin);
    d.eye({84, 55}, 2.4);
    QPainterPath shell;
    shell.moveTo(16, 70);
    shell.cubicTo(16, 30, 84, 30, 84, 70);
    shell.closeSubpath();
    d.fill(shell, QColor(78, 154, 78));
    d.p.setPen(QPen(QColor(40, 100, 50), 1.8));
    d.p.setBrush(Qt::NoBrush);
    QPainterPath hex = polygon({{42, 48}, {58, 48}, {64, 58}, {58, 68}, {42, 68}, {36, 58}});
    d.p.drawPath(hex);
    d.p.drawLine(QPointF(42, 48), QPointF(34, 40));
    d.p.drawLine(QPointF(58, 48), QPointF(66, 40));
    d.p.drawLine(QPointF(36, 58), QPointF(20, 60));
    d.p.drawLine(QPointF(64, 58), QPointF(80, 60));
    d.fill(QPainterPath([] {
               QPainterPath r;
               r.addRoundedRect(QRectF(13, 67, 74, 8), 4, 4);
               return r;
           }()),
           QColor(120, 180, 90), 1.8);
}

void drawFish(Pen& d)
{
    const QColor body(243, 140, 70);
    d.fill(polygon({{28, 52}, {8, 34}, {14, 52}, {8, 70}}), QColor(232, 110, 50));
    d.fill(polygon({{40, 34}, {54, 18}, {62, 34}}), QColor(232, 110, 50));
    d.ellipse(QRectF(22, 30, 56, 44), body);
    d.p.setPen(QPen(QColor(255, 225, 200), 3, Qt::SolidLine, Qt::RoundCap));
    d.p.setBrush(Qt::NoBrush);
    QPainterPath stripes;
    stripes.moveTo(44, 36);
    stripes.quadTo(38, 52, 44, 68);
    stripes.moveTo(54, 34);
    stripes.quadTo(48, 52, 54, 70);
    d.p.drawPath(stripes);
    d.ellipse(QRectF(60, 40, 10, 10), Qt::white, 1.4);
    d.ellipse(QRectF(63, 43, 5, 5), Ink, 0);
    d.line({70, 60}, {74, 58}, Ink, 1.6);
    d.ellipse(QRectF(80, 24, 7, 7), QColor(190, 225, 250), 1.2);
    d.ellipse(QRectF(86, 12, 5, 5), QColor(190, 225, 250), 1.2);
}

void drawHamster(Pen& d)
{
    const QColor fur(229, 169, 91);
    d.ellipse(QRectF(20, 20, 18, 18), fur);
    d.ellipse(QRectF(62, 20, 18, 18), fur);
    d.ellipse(QRectF(24, 24, 10, 10), QColor(246, 178, 190), 0);
    d.ellipse(QRectF(66, 24, 10, 10), QColor(246, 178, 190), 0);
    d.ellipse(QRectF(16, 26, 68, 62), fur);
    d.ellipse(QRectF(28, 50, 44, 38), QColor(255, 243, 224), 0);
    d.ellipse(QRectF(20, 54, 16, 12), QColor(250, 160, 140, 140), 0);
    d.ellipse(QRectF(64, 54, 16, 12), QColor(250, 160, 140, 140), 0);
    d.eye({38, 48}, 4);
    d.eye({62, 48}, 4);
    d.ellipse(QRectF(46, 55, 8, 6), QColor(236, 112, 140), 1.2);
    d.ellipse(QRectF(38, 78, 9, 8), QColor(246, 178, 190), 1.4);
    d.ellipse(QRectF(53, 78, 9, 8), QColor(246, 178, 190), 1.4);
}

void drawRabbit(Pen& d)
{
    const QColor fur(236, 236, 240);
    d.fill(rotatedEllipse({38, 28}, 8, 24, -8), fur);
    d.fill(rotatedEllipse({62, 28}, 8, 24, 8), fur);
    d.fill(rotatedEllipse({38, 28}, 4, 17, -8), QColor(246, 178, 190), 0);
    d.fill(rotatedEllipse({62, 28}, 4, 17, 8), QColor(246, 178, 190), 0);
    d.ellipse(QRectF(26, 42, 48, 46), fur);
    d.eye({41, 60}, 3.6);
    d.eye({59, 60}, 3.6);
    d.fill(polygon({{46, 68}, {54, 68}, {50, 72}}), QColor(236, 112, 140), 1.2);
    d.fill(QPainterPath([] {
               QPainterPath r;
               r.addRoundedRect(QRectF(46.5, 74, 7, 6), 1, 1);
               return r;
           }()),
           Qt::white, 1.2);
    for (int side : {-1, 1}) {
        d.line({50 + side * 8.0, 71}, {50 + side * 24.0, 67}, Ink, 1.0);
        d.line({50 + side * 8.0, 73}, {50 + side * 24.0, 75}, Ink, 1.0);
    }
}

void drawLizard(Pen& d)
{
    const QColor skin(93, 187, 99);
    QPainterPath tail;
    tail.moveTo(40, 62);
    tail.cubicTo(30, 80, 50, 92, 70, 86);
    d.p.setBrush(Qt::NoBrush);
    d.p.setPen(QPen(Ink, 9, Qt::SolidLine, Qt::RoundCap));
    d.p.drawPath(tail);
    d.p.setPen(QPen(skin, 5.4, Qt::SolidLine, Qt::RoundCap));
    d.p.drawPath(tail);
    for (auto [a, b] : {std::pair<QPointF, QPointF>{{44, 38}, {30, 30}},
                        {{56, 44}, {70, 36}},
                        {{38, 56}, {26, 64}},
                        {{50, 62}, {62, 70}}}) {
        d.line(a, b, Ink, 7);
        d.line(a, b, skin, 3.6);
        d.ellipse(QRectF(b.x() - 3, b.y() - 3, 6, 6), skin, 1.2);
    }
    d.fill(rotatedEllipse({47, 50}, 10, 18, 35), skin);
    d.fill(rotatedEllipse({60, 26}, 9, 12, 35), skin);
    d.eye({56, 24}, 2.4);
    d.eye({65, 29}, 2.4);
    for (QPointF spot : {QPointF(45, 46), QPointF(50, 54), QPointF(42, 55), QPointF(52, 44)})
        d.ellipse(QRectF(spot.x() - 2, spot.y() - 2, 4, 4), QColor(50, 130, 60), 0);
}

// The paw's pad and four toes, in a 100x100 design space.
QList<QPainterPath> pawShapes()
{
    QPainterPath pad;
    pad.moveTo(50, 48);
    pad.cubicTo(70, 48, 80, 76, 66, 82);
    pad.cubicTo(58, 86, 42, 86, 34, 82);
    pad.cubicTo(20, 76, 30, 48, 50, 48);
    return {pad, rotatedEllipse({24, 44}, 8, 11, -25), rotatedEllipse({40, 28}, 8, 12, -8),
            rotatedEllipse({60, 28}, 8, 12, 8), rotatedEllipse({76, 44}, 8, 11, 25)};
}

void drawPaw(Pen& d, const QColor& colour, qreal outline = 2.2)
{
    for (const QPainterPath& shape : pawShapes())
        d.fill(shape, colour, outline);
}

void drawOthers(Pen& d)
{
    drawPaw(d, Azure);
    d.p.setBrush(QColor(236, 112, 140));
    d.p.setPen(QPen(Ink, 1.6));
    QPainterPath heart;
    heart.moveTo(50, 76);
    heart.cubicTo(38, 68, 40, 58, 46, 58);
    heart.cubicTo(49, 58, 50, 61, 50, 62);
    heart.cubicTo(50, 61, 51, 58, 54, 58);
    heart.cubicTo(60, 58, 62, 68, 50, 76);
    d.p.drawPath(heart);
}

struct Animal
{
    const char* table;
    const char* title;
    QColor top, bottom;
    std::function<void(Pen&)> draw;
};

const std::vector<Animal>& animals()
{
    static const std::vector<Animal> list = {
        {"infanzia", "Cani", QColor(255, 236, 210), QColor(250, 205, 150), drawDog},
        {"famiglia", "Gatti", QColor(232, 236, 250), QColor(196, 206, 240), drawCat},
        {"amici", "Cavalli", QColor(240, 250, 225), QColor(200, 230, 170), drawHorse},
        {"ricorrenze", "Uccelli", QColor(222, 242, 255), QColor(170, 215, 245), drawBird},
        {"scuola", "Tartarughe", QColor(230, 248, 236), QColor(180, 226, 196), drawTurtle},
        {"sposi", "Pesci", QColor(215, 240, 250), QColor(140, 200, 235), drawFish},
        {"lavoro", "Criceti", QColor(255, 244, 220), QColor(245, 215, 160), drawHamster},
        {"vacanze", "Conigli", QColor(248, 232, 245), QColor(230, 196, 225), drawRabbit},
        {"celebrazioni", "Rettili", QColor(245, 250, 215), QColor(215, 230, 150), drawLizard},
        {"hobby", "Altri animali", QColor(236, 240, 248), QColor(205, 215, 235), drawOthers},
    };
    return list;
}

void drawTile(const Animal& a)
{
    QImage image = canvas(185, 157);
    Pen d(image);
    QLinearGradient g(0, 0, 0, 157);
    g.setColorAt(0, a.top);
    g.setColorAt(1, a.bottom);
    d.p.setBrush(g);
    d.p.setPen(QPen(QColor(255, 255, 255), 3));
    d.p.drawRoundedRect(QRectF(2.5, 2.5, 180, 152), 18, 18);
    d.p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    d.p.setBrush(Qt::NoBrush);
    d.p.drawRoundedRect(QRectF(1, 1, 183, 155), 19, 19);
    QRadialGradient glow(92.5, 79, 70);
    glow.setColorAt(0, QColor(255, 255, 255, 235));
    glow.setColorAt(0.85, QColor(255, 255, 255, 200));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    d.p.setPen(Qt::NoPen);
    d.p.setBrush(glow);
    d.p.drawEllipse(QPointF(92.5, 79), 70, 70);
    d.p.save();
    d.design(QRectF(30.5, 17, 124, 124));
    a.draw(d);
    d.p.restore();
    save(image, QStringLiteral("tile_%1.png").arg(QLatin1String(a.table)));
}

void drawCaption(const Animal& a)
{
    QImage image = canvas(180, 36);
    Pen d(image);
    QLinearGradient g(0, 0, 0, 36);
    g.setColorAt(0, Azure);
    g.setColorAt(1, DeepAzure);
    d.p.setBrush(g);
    d.p.setPen(QPen(QColor(255, 255, 255), 2));
    d.p.drawRoundedRect(QRectF(1, 1, 178, 34), 17, 17);
    d.p.setFont(font(17));
    d.p.setPen(QColor(0, 0, 0, 70));
    d.p.drawText(QRectF(1, 2, 180, 36), Qt::AlignCenter, QString::fromUtf8(a.title));
    d.p.setPen(Qt::white);
    d.p.drawText(QRectF(0, 0, 180, 36), Qt::AlignCenter, QString::fromUtf8(a.title));
    save(image, QStringLiteral("caption_%1.png").arg(QLatin1String(a.table)));
}

// The word mark: a paw and "Codazzurra" with a sweeping azure tail under it.
void drawWordMark(QPainter& p, const QRectF& r, bool light)
{
    Pen* unused = nullptr;
    Q_UNUSED(unused);
    const qreal h = r.height();
    QImage paw = canvas(int(h * 0.8), int(h * 0.8));
    {
        Pen d(paw);
        d.design(QRectF(0, 0, paw.width(), paw.height()));
        drawPaw(d, light ? Qt::white : Azure, light ? 0 : 2.2);
    }
    p.drawImage(QPointF(r.left(), r.top() + h * 0.06), paw);
    QFont f = font(int(h * 0.52));
    p.setFont(f);
    const qreal textLeft = r.left() + h * 0.9;
    const QString first = QStringLiteral("Coda"), second = QStringLiteral("zzurra");
    const qreal firstWidth = QFontMetricsF(f).horizontalAdvance(first);
    const qreal baseline = r.top() + h * 0.58;
    p.setPen(light ? QColor(255, 255, 255) : Ink);
    p.drawText(QPointF(textLeft, baseline), first);
    p.setPen(light ? QColor(160, 210, 255) : Azure);
    p.drawText(QPointF(textLeft + firstWidth, baseline), second);
    const qreal textWidth = firstWidth + QFontMetricsF(f).horizontalAdvance(second);
    QPainterPath tail;
    tail.moveTo(textLeft + 4, baseline + h * 0.13);
    tail.cubicTo(textLeft + textWidth * 0.4, baseline + h * 0.24, textLeft + textWidth * 0.8,
                 baseline + h * 0.14, textLeft + textWidth + h * 0.16, baseline - h * 0.02);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(light ? QColor(160, 210, 255) : Azure, h * 0.06, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(tail);
    p.setFont(font(int(h * 0.14), false));
    p.setPen(light ? QColor(220, 235, 255) : QColor(80, 100, 130));
    p.drawText(QPointF(textLeft + 2, r.top() + h * 0.97),
               QStringLiteral("archivio fotografico degli animali domestici"));
}

void drawLogos()
{
    QImage logo = canvas(420, 90);
    {
        Pen d(logo);
        drawWordMark(d.p, QRectF(8, 2, 404, 86), false);
    }
    save(logo, QStringLiteral("logo.png"));

    QImage help = canvas(561, 70, QColor(0, 0, 128));
    {
        Pen d(help);
        QLinearGradient g(0, 0, 561, 0);
        g.setColorAt(0, QColor(10, 30, 110));
        g.setColorAt(1, QColor(30, 90, 180));
        d.p.fillRect(help.rect(), g);
        drawWordMark(d.p, QRectF(16, 4, 330, 64), true);
        d.p.setFont(font(15));
        d.p.setPen(QColor(220, 235, 255));
        d.p.drawText(QRectF(330, 0, 215, 70), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Guida in linea"));
    }
    save(help, QStringLiteral("help_logo.png"));
}

void drawPattern()
{
    QImage image = canvas(72, 72, Qt::white);
    Pen d(image);
    for (auto [x, y, angle] : {std::tuple{6.0, 6.0, -20.0}, std::tuple{42.0, 40.0, 25.0}}) {
        d.p.save();
        d.p.translate(x + 12, y + 12);
        d.p.rotate(angle);
        d.p.translate(-12, -12);
        d.design(QRectF(0, 0, 24, 24));
        drawPaw(d, QColor(234, 242, 251), 0);
        d.p.restore();
    }
    save(image.convertToFormat(QImage::Format_RGB32), QStringLiteral("pattern.png"));
}

// A round badge with a glyph drawn by glyph() in a 100x100 space.
void drawBadge(const QString& name, int size, const QColor& colour, const std::function<void(Pen&)>& glyph)
{
    QImage image = canvas(size, size);
    Pen d(image);
    d.design(QRectF(0, 0, size, size));
    QRadialGradient g(40, 32, 70);
    g.setColorAt(0, colour.lighter(135));
    g.setColorAt(1, colour.darker(110));
    d.p.setBrush(g);
    d.p.setPen(QPen(Qt::white, 4));
    d.p.drawEllipse(QRectF(4, 4, 92, 92));
    glyph(d);
    save(image, name + QStringLiteral(".png"));
}

void drawText(Pen& d, const QString& text, int pixels, const QRectF& r, const QColor& colour = Qt::white)
{
    d.p.setFont(font(pixels));
    d.p.setPen(colour);
    d.p.drawText(r, Qt::AlignCenter, text);
}

void drawStar(Pen& d, QPointF c, qreal outer, qreal inner, const QColor& colour)
{
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 ? inner : outer;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        i ? star.lineTo(pt) : star.moveTo(pt);
    }
    star.closeSubpath();
    d.fill(star, colour, 0);
}

void drawMagnifier(Pen& d, QPointF c, qreal r, const QColor& colour, qreal width)
{
    d.p.setBrush(QColor(255, 255, 255, 90));
    d.p.setPen(QPen(colour, width));
    d.p.drawEllipse(c, r, r);
    d.line(c + QPointF(r * 0.72, r * 0.72), c + QPointF(r * 1.9, r * 1.9), colour, width * 1.5);
}

void drawPage(Pen& d, const QRectF& r, const QColor& fill = Qt::white)
{
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - r.width() * 0.28, r.top());
    page.lineTo(r.right(), r.top() + r.width() * 0.28);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    d.fill(page, fill, 3);
    d.fill(polygon({{r.right() - r.width() * 0.28, r.top()},
                    {r.right() - r.width() * 0.28, r.top() + r.width() * 0.28},
                    {r.right(), r.top() + r.width() * 0.28}}),
           QColor(210, 225, 240), 3);
}

// The program's icon: a white paw on an azure rounded square, in a 100x100 design space.
const QRectF AppIconSquare(2, 2, 96, 96);
constexpr qreal AppIconRadius = 22;
const QRectF AppIconPaw(16, 14, 68, 68);

QImage appIcon(int size)
{
    QImage app = canvas(size, size);
    Pen d(app);
    d.design(QRectF(0, 0, size, size));
    QLinearGradient g(0, 0, 0, 100);
    g.setColorAt(0, Azure.lighter(120));
    g.setColorAt(1, DeepAzure);
    d.p.setBrush(g);
    d.p.setPen(Qt::NoPen);
    d.p.drawRoundedRect(AppIconSquare, AppIconRadius, AppIconRadius);
    d.p.save();
    d.design(AppIconPaw);
    drawPaw(d, Qt::white, 0);
    d.p.restore();
    return app;
}

// The same icon as SVG text: the same square, gradient and paw shapes, written as paths.
QString appIconSvg()
{
    const auto number = [](qreal v) { return QString::number(v, 'f', 3); };
    // The paw's shapes, placed as appIcon() places them.
    QTransform place;
    place.translate(AppIconPaw.x(), AppIconPaw.y());
    place.scale(AppIconPaw.width() / 100.0, AppIconPaw.height() / 100.0);
    QList<QPainterPath> shapes = pawShapes();
    for (QPainterPath& shape : shapes)
        shape = place.map(shape);
    QString svg =
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                       "viewBox=\"0 0 100 100\">\n"
                       "  <defs>\n"
                       "    <linearGradient id=\"azure\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"0\" "
                       "x2=\"0\" y2=\"100\">\n"
                       "      <stop offset=\"0\" stop-color=\"%1\"/>\n"
                       "      <stop offset=\"1\" stop-color=\"%2\"/>\n"
                       "    </linearGradient>\n"
                       "  </defs>\n"
                       "  <rect x=\"%3\" y=\"%4\" width=\"%5\" height=\"%6\" rx=\"%7\" ry=\"%7\" "
                       "fill=\"url(#azure)\"/>\n")
            .arg(Azure.lighter(120).name(), DeepAzure.name(), number(AppIconSquare.x()),
                 number(AppIconSquare.y()), number(AppIconSquare.width()), number(AppIconSquare.height()),
                 number(AppIconRadius));
    for (const QPainterPath& shape : shapes) {
        QString data;
        for (int i = 0; i < shape.elementCount(); ++i) {
            const QPainterPath::Element e = shape.elementAt(i);
            if (e.isMoveTo()) {
                data += (i ? QStringLiteral("Z M") : QStringLiteral("M"));
            } else if (e.isLineTo()) {
                data += QStringLiteral(" L");
            } else if (e.isCurveTo()) {
                data += QStringLiteral(" C");
            }
            data += QStringLiteral(" %1 %2").arg(number(e.x), number(e.y));
        }
        svg += QStringLiteral("  <path fill=\"#ffffff\" d=\"%1 Z\"/>\n").arg(data);
    }
    return svg + QStringLiteral("</svg>\n");
}

// The icons of the desktop's menu entry, from 16 to 256 pixels, and the scalable one.
void drawDesktopIcons(const QString& folder)
{
    QDir().mkpath(folder);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = QDir(folder).filePath(QStringLiteral("%1.png").arg(size));
        if (!appIcon(size).save(path))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
    QFile svg(QDir(folder).filePath(QStringLiteral("scalable.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(appIconSvg().toUtf8()) < 0)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
}

void drawIcons()
{
    drawBadge(QStringLiteral("icon_info"), 48, Azure, [](Pen& d) {
        d.ellipse(QRectF(43, 20, 14, 14), Qt::white, 0);
        d.line({50, 44}, {50, 76}, Qt::white, 13);
    });
    drawBadge(QStringLiteral("icon_guide"), 48, Green,
              [](Pen& d) { drawText(d, QStringLiteral("?"), 62, QRectF(0, 2, 100, 100)); });
    drawBadge(QStringLiteral("icon_credits"), 48, Orange, [](Pen& d) {
        drawStar(d, {50, 53}, 32, 14, Qt::white);
    });
    drawBadge(QStringLiteral("icon_exit"), 48, Red, [](Pen& d) {
        d.p.setBrush(Qt::NoBrush);
        d.p.setPen(QPen(Qt::white, 10, Qt::SolidLine, Qt::RoundCap));
        d.p.drawArc(QRectF(26, 28, 48, 48), 120 * 16, 300 * 16);
        d.line({50, 22}, {50, 50}, Qt::white, 10);
    });

    QImage email = canvas(32, 32);
    {
        Pen d(email);
        d.design(QRectF(0, 0, 32, 32));
        QPainterPath env;
        env.addRoundedRect(QRectF(8, 22, 84, 58), 8, 8);
        d.fill(env, QColor(255, 248, 225), 5);
        d.p.setBrush(Qt::NoBrush);
        d.p.setPen(QPen(Ink, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        d.p.drawPolyline(QPolygonF({QPointF(12, 28), QPointF(50, 56), QPointF(88, 28)}));
    }
    save(email, QStringLiteral("icon_email.png"));

    QImage web = canvas(32, 32);
    {
        Pen d(web);
        d.design(QRectF(0, 0, 32, 32));
        d.ellipse(QRectF(8, 8, 84, 84), QColor(120, 190, 240), 5);
        d.p.setBrush(Qt::NoBrush);
        d.p.setPen(QPen(Ink, 4));
        d.p.drawEllipse(QRectF(30, 8, 40, 84));
        d.p.drawLine(QPointF(50, 8), QPointF(50, 92));
        d.p.drawLine(QPointF(10, 50), QPointF(90, 50));
        d.p.drawArc(QRectF(14, 20, 72, 30), 0, 180 * 16);
        d.p.drawArc(QRectF(14, 50, 72, 30), 180 * 16, 180 * 16);
    }
    save(web, QStringLiteral("icon_web.png"));

    QImage pdf = canvas(32, 32);
    {
        Pen d(pdf);
        d.design(QRectF(0, 0, 32, 32));
        drawPage(d, QRectF(18, 6, 64, 88));
        d.p.fillRect(QRectF(10, 48, 72, 28), Red);
        drawText(d, QStringLiteral("PDF"), 24, QRectF(10, 48, 72, 28));
    }
    save(pdf, QStringLiteral("icon_pdf.png"));

    QImage zoom = canvas(25, 26);
    {
        Pen d(zoom);
        d.design(QRectF(0, 0, 25, 26));
        d.p.setBrush(QColor(255, 255, 255, 220));
        d.p.setPen(Qt::NoPen);
        d.p.drawRoundedRect(QRectF(0, 0, 100, 100), 18, 18);
        drawMagnifier(d, {40, 40}, 24, Ink, 10);
        d.line({30, 40}, {50, 40}, Azure, 8);
        d.line({40, 30}, {40, 50}, Azure, 8);
    }
    save(zoom, QStringLiteral("zoom.png"));

    QImage lock = canvas(72, 72);
    {
        Pen d(lock);
        d.design(QRectF(0, 0, 72, 72));
        d.p.setBrush(Qt::NoBrush);
        d.p.setPen(QPen(Ink, 12, Qt::SolidLine, Qt::RoundCap));
        d.p.drawArc(QRectF(28, 8, 44, 50), 0, 180 * 16);
        d.line({28, 33}, {28, 46}, Ink, 12);
        d.line({72, 33}, {72, 46}, Ink, 12);
        QPainterPath body;
        body.addRoundedRect(QRectF(16, 44, 68, 50), 10, 10);
        QLinearGradient g(0, 44, 0, 94);
        g.setColorAt(0, QColor(250, 200, 80));
        g.setColorAt(1, Orange);
        d.p.setBrush(g);
        d.p.setPen(QPen(Ink, 4));
        d.p.drawPath(body);
        d.ellipse(QRectF(43, 58, 14, 14), Ink, 0);
        d.line({50, 66}, {50, 82}, Ink, 7);
    }
    save(lock, QStringLiteral("password.png"));

    save(appIcon(64), QStringLiteral("app_icon.png"));
}

// The record card's command pictures: white glyphs on an azure rounded square, 40 x 40.
void drawCommand(const QString& name, const QColor& colour, const std::function<void(Pen&)>& glyph)
{
    QImage image = canvas(40, 40);
    Pen d(image);
    d.design(QRectF(0, 0, 40, 40));
    QLinearGradient g(0, 0, 0, 100);
    g.setColorAt(0, colour.lighter(125));
    g.setColorAt(1, colour.darker(115));
    d.p.setBrush(g);
    d.p.setPen(QPen(QColor(255, 255, 255, 200), 3));
    d.p.drawRoundedRect(QRectF(3, 3, 94, 94), 20, 20);
    glyph(d);
    save(image, QStringLiteral("cmd_%1.png").arg(name));
}

void drawCommands()
{
    const QColor w = Qt::white;
    drawCommand(QStringLiteral("nuovo"), Azure, [&](Pen& d) {
        drawPage(d, QRectF(24, 16, 48, 66));
        d.line({62, 62}, {62, 86}, Green, 9);
        d.line({50, 74}, {74, 74}, Green, 9);
    });
    drawCommand(QStringLiteral("duplica"), Azure, [&](Pen& d) {
        drawPage(d, QRectF(18, 14, 44, 58), QColor(220, 232, 245));
        drawPage(d, QRectF(38, 30, 44, 58));
    });
    drawCommand(QStringLiteral("salva"), Azure, [&](Pen& d) {
        QPainterPath disk;
        disk.addRoundedRect(QRectF(20, 20, 60, 60), 6, 6);
        d.fill(disk, QColor(40, 60, 100), 3);
        d.p.fillRect(QRectF(32, 22, 36, 20), w);
        d.p.fillRect(QRectF(56, 25, 7, 14), QColor(40, 60, 100));
        d.p.fillRect(QRectF(28, 52, 44, 26), QColor(230, 236, 245));
    });
    drawCommand(QStringLiteral("trova"), Azure, [&](Pen& d) { drawMagnifier(d, {42, 42}, 20, w, 8); });
    drawCommand(QStringLiteral("ricerca"), Azure, [&](Pen& d) {
        for (int i = 0; i < 3; ++i)
            d.line({20, 24.0 + i * 14}, {48, 24.0 + i * 14}, w, 6);
        drawMagnifier(d, {58, 54}, 16, w, 7);
    });
    drawCommand(QStringLiteral("word"), QColor(43, 87, 154), [&](Pen& d) {
        drawPage(d, QRectF(24, 14, 52, 72));
        drawText(d, QStringLiteral("W"), 34, QRectF(24, 30, 52, 50), QColor(43, 87, 154));
    });
    drawCommand(QStringLiteral("excel"), QColor(33, 115, 70), [&](Pen& d) {
        QPainterPath grid;
        grid.addRoundedRect(QRectF(20, 20, 60, 60), 4, 4);
        d.fill(grid, w, 3);
        d.p.setPen(QPen(QColor(33, 115, 70), 3));
        for (int i = 1; i < 3; ++i) {
            d.p.drawLine(QPointF(20 + i * 20, 20), QPointF(20 + i * 20, 80));
            d.p.drawLine(QPointF(20, 20 + i * 20), QPointF(80, 20 + i * 20));
        }
        drawText(d, QStringLiteral("X"), 30, QRectF(40, 40, 40, 40), QColor(33, 115, 70));
    });
    drawCommand(QStringLiteral("allega"), Azure, [&](Pen& d) {
        QPainterPath clip;
        clip.moveTo(60, 30);
        clip.lineTo(60, 66);
        clip.cubicTo(60, 80, 38, 80, 38, 66);
        clip.lineTo(38, 26);
        clip.cubicTo(38, 16, 52, 16, 52, 26);
        clip.lineTo(52, 64);
        clip.cubicTo(52, 70, 46, 70, 46, 64);
        clip.lineTo(46, 34);
        d.p.setBrush(Qt::NoBrush);
        d.p.setPen(QPen(w, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        d.p.drawPath(clip);
    });
    drawCommand(QStringLiteral("associa"), Azure, [&](Pen& d) {
        QPainterPath folder;
        folder.moveTo(16, 30);
        folder.lineTo(40, 30);
        folder.lineTo(46, 38);
        folder.lineTo(84, 38);
        folder.lineTo(84, 78);
        folder.lineTo(16, 78);
        folder.closeSubpath();
        d.fill(folder, QColor(250, 205, 90), 3);
        d.fill(polygon({{16, 46}, {84, 46}, {84, 78}, {16, 78}}), QColor(252, 220, 120), 3);
    });
    drawCommand(QStringLiteral("ottimizza"), QColor(120, 90, 200), [&](Pen& d) {
        d.p.setBrush(Qt::NoBrush);
        d.p.setPen(QPen(w, 8, Qt::SolidLine, Qt::RoundCap));
        d.p.drawArc(QRectF(20, 26, 60, 60), 0, 180 * 16);
        d.line({50, 56}, {68, 36}, Orange, 7);
        d.ellipse(QRectF(44, 50, 12, 12), w, 0);
    });
    drawCommand(QStringLiteral("sfogliafoto"), QColor(0, 150, 160), [&](Pen& d) {
        for (int i = 1; i >= 0; --i) {
            d.p.save();
            d.p.translate(50, 50);
            d.p.rotate(i ? -12 : 6);
            d.p.setBrush(w);
            d.p.setPen(QPen(Ink, 3));
            d.p.drawRect(QRectF(-28, -22, 56, 44));
            if (!i) {
                d.p.fillRect(QRectF(-22, -16, 44, 28), QColor(150, 210, 240));
                d.fill(polygon({{-22, 12}, {-6, -6}, {8, 12}}), Green, 0);
                d.ellipse(QRectF(8, -12, 9, 9), Orange, 0);
            }
            d.p.restore();
        }
    });
    drawCommand(QStringLiteral("slideshow"), QColor(214, 90, 60), [&](Pen& d) {
        QPainterPath screen;
        screen.addRoundedRect(QRectF(16, 22, 68, 48), 4, 4);
        d.fill(screen, QColor(40, 50, 70), 3);
        d.fill(polygon({{44, 34}, {44, 58}, {62, 46}}), w, 0);
        d.line({50, 72}, {50, 82}, w, 5);
        d.line({36, 82}, {64, 82}, w, 5);
    });
    drawCommand(QStringLiteral("guida"), Green,
                [&](Pen& d) { drawText(d, QStringLiteral("?"), 62, QRectF(0, 2, 100, 100)); });
    drawCommand(QStringLiteral("elimina"), Red, [&](Pen& d) {
        d.fill(polygon({{28, 34}, {72, 34}, {66, 84}, {34, 84}}), w, 3);
        d.line({22, 28}, {78, 28}, w, 7);
        d.line({42, 20}, {58, 20}, w, 6);
        for (qreal x : {42.0, 50.0, 58.0})
            d.line({x, 44}, {x, 76}, QColor(200, 48, 48), 3.5);
    });
    drawCommand(QStringLiteral("esci"), QColor(100, 110, 130), [&](Pen& d) {
        d.fill(polygon({{26, 18}, {60, 18}, {60, 82}, {26, 82}}), QColor(180, 130, 80), 3);
        d.ellipse(QRectF(50, 48, 6, 6), Ink, 0);
        d.line({58, 50}, {84, 50}, w, 8);
        d.fill(polygon({{76, 38}, {90, 50}, {76, 62}}), w, 0);
    });

    // Arrows: first, previous, next, last.
    auto arrow = [&](const QString& name, bool right, bool bar, int size = 32) {
        QImage image = canvas(size, size);
        Pen d(image);
        d.design(QRectF(0, 0, size, size));
        QRadialGradient g(40, 32, 70);
        g.setColorAt(0, Azure.lighter(130));
        g.setColorAt(1, DeepAzure);
        d.p.setBrush(g);
        d.p.setPen(QPen(Qt::white, 5));
        d.p.drawEllipse(QRectF(4, 4, 92, 92));
        const qreal s = right ? 1 : -1;
        d.fill(polygon({{50 - s * 16, 28}, {50 - s * 16, 72}, {50 + s * 20, 50}}), Qt::white, 0);
        if (bar)
            d.line({50 + s * 24, 28}, {50 + s * 24, 72}, Qt::white, 9);
        save(image, name + QStringLiteral(".png"));
    };
    arrow(QStringLiteral("arrow_first"), false, true);
    arrow(QStringLiteral("arrow_prev"), false, false);
    arrow(QStringLiteral("arrow_next"), true, false);
    arrow(QStringLiteral("arrow_last"), true, true);
    // The photo viewer's, larger on its black screen.
    arrow(QStringLiteral("viewer_first"), false, true, 48);
    arrow(QStringLiteral("viewer_prev"), false, false, 48);
    arrow(QStringLiteral("viewer_next"), true, false, 48);
    arrow(QStringLiteral("viewer_last"), true, true, 48);
}

// The picture shown when a card has no photo.
QImage placeholder(int w, int h)
{
    QImage image = canvas(w, h);
    Pen d(image);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(236, 243, 250));
    g.setColorAt(1, QColor(208, 224, 242));
    d.p.fillRect(image.rect(), g);
    const qreal u = h / 237.0;
    d.p.save();
    d.design(QRectF(w / 2.0 - 55 * u, 38 * u, 110 * u, 110 * u));
    drawPaw(d, QColor(170, 195, 225), 0);
    d.p.restore();
    d.p.setFont(font(int(20 * u)));
    d.p.setPen(QColor(100, 130, 170));
    d.p.drawText(QRectF(0, 160 * u, w, 30 * u), Qt::AlignCenter, QStringLiteral("Nessuna foto"));
    d.p.setFont(font(int(12 * u), false));
    d.p.drawText(QRectF(0, 188 * u, w, 24 * u), Qt::AlignCenter,
                 QStringLiteral("Carica una foto in formato Jpeg per questa scheda"));
    return image.convertToFormat(QImage::Format_RGB32);
}

void drawCredits()
{
    // The background: a night sky over the name of the program.
    QImage bg = canvas(597, 362);
    {
        Pen d(bg);
        QLinearGradient g(0, 0, 0, 362);
        g.setColorAt(0, QColor(8, 20, 52));
        g.setColorAt(1, QColor(18, 56, 110));
        d.p.fillRect(bg.rect(), g);
        unsigned seed = 7;
        for (int i = 0; i < 90; ++i) {
            seed = seed * 1103515245u + 12345u;
            const qreal x = (seed >> 8) % 597;
            seed = seed * 1103515245u + 12345u;
            const qreal y = (seed >> 8) % 362;
            const int a = 80 + int((seed >> 4) % 150);
            d.ellipse(QRectF(x, y, 1.6, 1.6), QColor(255, 255, 255, a), 0);
        }
        drawWordMark(d.p, QRectF(100, 96, 400, 96), true);
        d.p.setFont(font(14, false));
        d.p.setPen(QColor(200, 220, 250));
        d.p.drawText(QRectF(0, 236, 597, 22), Qt::AlignCenter, QStringLiteral("\u00a9 Studio Codazzurra"));
        d.p.drawText(
            QRectF(0, 262, 597, 22), Qt::AlignCenter,
            QStringLiteral("Per allevatori, negozi di animali e per chi vive con un amico a quattro zampe"));
        d.p.setFont(font(12, false));
        d.p.setPen(QColor(150, 180, 230));
        d.p.drawText(QRectF(0, 318, 597, 20), Qt::AlignCenter,
                     QStringLiteral("Fare clic per visitare il sito Internet dell'autore"));
    }
    save(bg.convertToFormat(QImage::Format_RGB888), QStringLiteral("credits_background.bmp"), "BMP");

    // The sprite: an azure fish with a long tail, on the colour of the night sky, which is transparent.
    QImage sprite(108, 60, QImage::Format_RGB32);
    sprite.fill(QColor(10, 28, 66));
    {
        Pen d(sprite);
        d.design(QRectF(0, 0, 108, 60));
        d.p.scale(1, 1);
        QPainterPath tail;
        tail.moveTo(30, 50);
        tail.cubicTo(16, 20, 8, 14, 3, 10);
        tail.cubicTo(10, 40, 10, 60, 3, 90);
        tail.cubicTo(8, 86, 16, 80, 30, 50);
        QLinearGradient tg(0, 0, 30, 0);
        tg.setColorAt(0, QColor(120, 200, 255));
        tg.setColorAt(1, Azure);
        d.p.setBrush(tg);
        d.p.setPen(QPen(QColor(220, 240, 255), 2));
        d.p.drawPath(tail);
        QRadialGradient bg2(60, 40, 50);
        bg2.setColorAt(0, QColor(150, 210, 255));
        bg2.setColorAt(1, Azure);
        d.p.setBrush(bg2);
        d.p.drawEllipse(QRectF(24, 18, 70, 64));
        d.fill(polygon({{46, 22}, {60, 6}, {70, 22}}), QColor(120, 200, 255), 0);
        d.ellipse(QRectF(72, 36, 12, 20), Qt::white, 0);
        d.ellipse(QRectF(76, 42, 7, 11), QColor(10, 28, 66), 0);
        d.p.setPen(QPen(QColor(220, 240, 255), 2.5, Qt::SolidLine, Qt::RoundCap));
        d.p.setBrush(Qt::NoBrush);
        d.p.drawArc(QRectF(70, 58, 14, 10), 200 * 16, 140 * 16);
    }
    // Keep the transparent colour exact at the border and in the bottom-left corner.
    for (int x = 0; x < sprite.width(); ++x)
        sprite.setPixel(x, sprite.height() - 1, qRgb(10, 28, 66));
    save(sprite.convertToFormat(QImage::Format_RGB888), QStringLiteral("credits_sprite.bmp"), "BMP");
}

void drawInfoPanel()
{
    QImage panel = canvas(420, 286);
    Pen d(panel);
    QLinearGradient g(0, 0, 0, 286);
    g.setColorAt(0, QColor(250, 252, 255));
    g.setColorAt(1, QColor(226, 236, 248));
    d.p.setBrush(g);
    d.p.setPen(QPen(QColor(170, 190, 215), 1));
    d.p.drawRoundedRect(QRectF(0.5, 0.5, 419, 285), 10, 10);
    const QStringList animalsOrder = {QStringLiteral("infanzia"), QStringLiteral("famiglia"),
                                      QStringLiteral("ricorrenze"), QStringLiteral("sposi"),
                                      QStringLiteral("vacanze")};
    const auto& list = animals();
    int i = 0;
    for (const Animal& a : list) {
        if (!animalsOrder.contains(QLatin1String(a.table)))
            continue;
        d.p.save();
        d.design(QRectF(22 + i * 78, 10, 64, 64));
        a.draw(d);
        d.p.restore();
        ++i;
    }
    d.p.setFont(font(20));
    d.p.setPen(Ink);
    d.p.drawText(QRectF(0, 84, 420, 30), Qt::AlignCenter, QStringLiteral("Codazzurra 1.0"));
    d.p.setFont(font(13, false));
    d.p.setPen(QColor(60, 80, 110));
    d.p.drawText(
        QRectF(24, 118, 372, 96), Qt::AlignHCenter | Qt::TextWordWrap,
        QStringLiteral("L'archivio fotografico degli animali domestici: dieci archivi, una scheda per ogni "
                       "animale con foto, dati anagrafici, allegati e cartella associata."));
    // The maker's name and addresses are written over the panel by the information screen.
    save(panel, QStringLiteral("info_panel.png"));
}

// The search screens' decorative pictures: a magnifier, a key, and a form being searched.
void drawSearchPictures()
{
    QImage lens = canvas(48, 48);
    {
        Pen d(lens);
        d.design(QRectF(0, 0, 48, 48));
        drawMagnifier(d, {40, 40}, 26, Ink, 9);
        d.p.setBrush(Qt::NoBrush);
        d.p.setPen(QPen(QColor(255, 255, 255, 200), 5, Qt::SolidLine, Qt::RoundCap));
        d.p.drawArc(QRectF(24, 24, 32, 32), 100 * 16, 70 * 16);
    }
    save(lens, QStringLiteral("search_lens.png"));

    QImage key = canvas(48, 48);
    {
        Pen d(key);
        d.design(QRectF(0, 0, 48, 48));
        d.p.translate(50, 50);
        d.p.rotate(-40);
        d.p.translate(-50, -50);
        QPainterPath bow;
        bow.addEllipse(QRectF(6, 32, 36, 36));
        bow.addEllipse(QRectF(17, 43, 14, 14));
        bow.setFillRule(Qt::OddEvenFill);
        d.fill(bow, Orange, 4);
        QPainterPath blade;
        blade.addRect(QRectF(40, 45, 52, 10));
        blade.addRect(QRectF(72, 55, 8, 14));
        blade.addRect(QRectF(84, 55, 8, 18));
        d.fill(blade.simplified(), Orange, 4);
    }
    save(key, QStringLiteral("search_key.png"));

    QImage form = canvas(64, 64);
    {
        Pen d(form);
        d.design(QRectF(0, 0, 64, 64));
        drawPage(d, QRectF(10, 6, 62, 82));
        for (int i = 0; i < 4; ++i) {
            d.line({20, 28.0 + i * 13}, {34, 28.0 + i * 13}, Azure, 5);
            d.p.fillRect(QRectF(38, 24.0 + i * 13, 26, 8), QColor(192, 220, 192));
        }
        drawMagnifier(d, {68, 66}, 15, Ink, 6);
    }
    save(form, QStringLiteral("search_form.png"));
}

void drawStrip(const QString& framesFolder)
{
    // Marching dots: each frame moves them by a ninth of their spacing, so the loop is seamless.
    constexpr int Spacing = 18, Frames = 9;
    for (int f = 0; f < Frames; ++f) {
        QImage frame = canvas(451, 10, QColor(214, 234, 248));
        Pen d(frame);
        for (int x = -Spacing + f * (Spacing / Frames); x < 451 + Spacing; x += Spacing) {
            const qreal t = 0.5 + 0.5 * std::sin((x + 30) / 451.0 * M_PI);
            d.ellipse(QRectF(x - 3, 2, 6, 6),
                      QColor::fromRgbF(0.18 * t + 0.5 * (1 - t), 0.52 * t + 0.75 * (1 - t), 0.87), 0);
        }
        frame.convertToFormat(QImage::Format_RGB32)
            .save(QDir(framesFolder).filePath(QStringLiteral("strip_%1.png").arg(f)));
    }
}

// The start menu's import command: a sheet of rows with an arrow bringing it in, on a round badge.
void drawImportIcon()
{
    drawBadge(QStringLiteral("icon_import"), 48, QColor(96, 72, 176), [](Pen& d) {
        drawPage(d, QRectF(22, 20, 40, 52));
        for (int y = 40; y <= 60; y += 10)
            d.line({29, qreal(y)}, {54, qreal(y)}, QColor(96, 72, 176), 4);
        d.line({50, 56}, {76, 56}, Qt::white, 9);
        d.fill(polygon({{46, 42}, {46, 70}, {30, 56}}), Qt::white, 0);
    });
}

// The start menu's server command: a database server (three stacked discs) with the arrows of a copy
// both ways, on a round badge.
void drawServerIcon()
{
    const QColor colour(214, 112, 32);
    drawBadge(QStringLiteral("icon_server"), 48, colour, [colour](Pen& d) {
        for (const qreal y : {58.0, 44.0, 30.0}) {
            QPainterPath disc;
            disc.addRoundedRect(QRectF(24, y, 36, 16), 7, 7);
            d.fill(disc, Qt::white, 0);
            d.ellipse(QRectF(48, y + 5, 6, 6), colour, 0);
        }
        d.line({70, 30}, {70, 66}, Qt::white, 6);
        d.fill(polygon({{61, 38}, {79, 38}, {70, 26}}), Qt::white, 0);
        d.fill(polygon({{61, 58}, {79, 58}, {70, 70}}), Qt::white, 0);
    });
}

} // namespace

// The start menu's backup command: a safe-keeping box (a shield) with a circular arrow, on a deep azure
// badge.
void drawBackupIcon()
{
    drawBadge(QStringLiteral("icon_backup"), 48, DeepAzure, [](Pen& d) {
        QPainterPath shield;
        shield.moveTo(50, 22);
        shield.lineTo(74, 31);
        shield.cubicTo(74, 56, 66, 70, 50, 80);
        shield.cubicTo(34, 70, 26, 56, 26, 31);
        shield.closeSubpath();
        d.fill(shield, Qt::white, 0);
        d.p.setBrush(Qt::NoBrush);
        d.p.setPen(QPen(DeepAzure, 6, Qt::SolidLine, Qt::RoundCap));
        d.p.drawArc(QRectF(38, 36, 24, 24), 60 * 16, 280 * 16);
        d.fill(polygon({{57, 30}, {66, 40}, {54, 42}}), DeepAzure, 0);
    });
}

// The health schedule: a calendar page with a red cross, as a record-card command and as the start menu's
// round command.
void drawCalendarGlyph(Pen& d, const QRectF& r)
{
    QPainterPath page;
    page.addRoundedRect(r, 6, 6);
    d.fill(page, Qt::white, 3);
    d.p.fillRect(QRectF(r.left() + 1.5, r.top() + 1.5, r.width() - 3, r.height() * 0.24), Red);
    for (const qreal x : {r.left() + r.width() * 0.28, r.right() - r.width() * 0.28})
        d.line({x, r.top() - 6}, {x, r.top() + 8}, QColor(60, 60, 60), 6);
    const QPointF c(r.center().x(), r.top() + r.height() * 0.62);
    const qreal arm = r.width() * 0.2, width = r.width() * 0.16;
    d.line(c - QPointF(arm, 0), c + QPointF(arm, 0), Red, width);
    d.line(c - QPointF(0, arm), c + QPointF(0, arm), Red, width);
}

void drawSchedule()
{
    drawCommand(QStringLiteral("scadenze"), Azure,
                [](Pen& d) { drawCalendarGlyph(d, QRectF(20, 22, 60, 58)); });
    drawBadge(QStringLiteral("icon_scadenze"), 48, QColor(0, 150, 136),
              [](Pen& d) { drawCalendarGlyph(d, QRectF(25, 28, 50, 46)); });
}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: draw_artwork OUTPUT_FOLDER FRAMES_FOLDER [DESKTOP_ICONS_FOLDER]\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);
    for (const Animal& a : animals()) {
        drawTile(a);
        drawCaption(a);
    }
    drawLogos();
    drawPattern();
    drawIcons();
    drawCommands();
    drawSearchPictures();
    drawInfoPanel();
    drawCredits();
    drawBackupIcon();
    drawSchedule();
    drawImportIcon();
    drawServerIcon();
    save(placeholder(320, 237), QStringLiteral("placeholder.jpg"), "JPG", 92);
    save(placeholder(715, 539), QStringLiteral("viewer_placeholder.jpg"), "JPG", 92);
    drawStrip(QString::fromLocal8Bit(argv[2]));
    if (argc > 3)
        drawDesktopIcons(QString::fromLocal8Bit(argv[3]));
    return 0;
}
