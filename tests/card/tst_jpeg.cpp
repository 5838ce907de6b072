// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/JpegDecoder.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {
bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 12 && qAbs(qGreen(a) - qGreen(b)) < 12 && qAbs(qBlue(a) - qBlue(b)) < 12;
}
} // namespace

class TestJpeg : public QObject
{
    Q_OBJECT
private slots:
    void decode_scalesToWhatTheBoxNeeds()
    {
        const QByteArray bytes = TestFiles::MakeJpeg(QSize(4000, 3000), 70);
        const JpegPicture full = Jpeg::Decode(bytes);
        QVERIFY(full.clean());
        QCOMPARE(full.image.size(), QSize(4000, 3000));
        const JpegPicture preview = Jpeg::Decode(bytes, QSize(320, 237));
        QVERIFY(preview.clean());
        QCOMPARE(preview.size, QSize(4000, 3000));
        QCOMPARE(preview.image.size(), QSize(500, 375)); // one eighth still covers 316 x 237
        const JpegPicture zoom = Jpeg::Decode(bytes, QSize(1276, 1020));
        QCOMPARE(zoom.image.size(), QSize(2000, 1500));
        const JpegPicture small = Jpeg::Decode(TestFiles::MakeJpeg(QSize(300, 200)), QSize(320, 237));
        QCOMPARE(small.image.size(), QSize(300, 200)); // never decoded smaller than it is drawn
    }

    void decode_readsEveryKindOfJpeg()
    {
        const JpegPicture progressive =
            Jpeg::Decode(TestFiles::MakeJpegWith(QSize(64, 48), {.progressive = true, .colour = 0xff20c040}));
        QVERIFY(progressive.clean());
        QVERIFY(near(progressive.image.pixel(10, 10), 0xff20c040));
        const JpegPicture cmyk =
            Jpeg::Decode(TestFiles::MakeJpegWith(QSize(64, 48), {.cmyk = true, .colour = 0xffe03010}));
        QVERIFY(cmyk.clean());
        QVERIFY2(near(cmyk.image.pixel(10, 10), 0xffe03010),
                 qPrintable(QString::number(cmyk.image.pixel(10, 10), 16)));
        QImage grey(40, 30, QImage::Format_Grayscale8);
        grey.fill(128);
        const JpegPicture g = Jpeg::Decode(TestFiles::Encode(grey, "JPG"));
        QVERIFY(g.clean());
        QVERIFY(near(g.image.pixel(5, 5), qRgb(128, 128, 128)));
        QCOMPARE(Jpeg::Decode(TestFiles::MakeJpeg(QSize(1, 1))).image.size(), QSize(1, 1));
        QCOMPARE(Jpeg::Decode(TestFiles::MakeJpeg(QSize(10000, 100)), QSize(320, 237)).size,
                 QSize(10000, 100));
    }

    void decode_turnsPhonePhotosUpright()
    {
        const QByteArray sideways = TestFiles::MakeJpegWith(QSize(64, 32), {.exifOrientation = 6});
        const JpegPicture p = Jpeg::Decode(sideways, QSize(320, 237));
        QVERIFY(p.clean());
        QCOMPARE(p.size, QSize(32, 64));
        QCOMPARE(p.image.size(), QSize(32, 64));
        QCOMPARE(Jpeg::Decode(TestFiles::MakeJpegWith(QSize(64, 32), {.exifOrientation = 3})).size,
                 QSize(64, 32));
    }

    void decode_failsWithoutEndingTheProcess()
    {
        QVERIFY(!Jpeg::Decode({}).ok());
        const JpegPicture notJpeg = Jpeg::Decode(TestFiles::MakePicture(QSize(20, 20), "PNG"));
        QVERIFY(!notJpeg.ok());
        QVERIFY(notJpeg.error.contains(u"Not a JPEG"_s));
        // A truncated file decodes with grey fill and warnings: never clean.
        const QByteArray whole = TestFiles::MakeJpeg(QSize(200, 200));
        const JpegPicture truncated = Jpeg::Decode(whole.left(whole.size() / 2));
        QVERIFY(!truncated.clean());
        QVERIFY(!Jpeg::Decode(whole.left(20)).ok());
        QVERIFY(!Jpeg::Decode(QByteArray(5000, '\xff')).ok());
        // A header claiming 60000 x 60000 pixels is refused before any memory is taken for it.
        QByteArray huge = TestFiles::MakeJpeg(QSize(8, 8));
        const qsizetype sof = huge.indexOf("\xff\xc0");
        QVERIFY(sof > 0);
        huge[sof + 5] = char(0xEA);
        huge[sof + 6] = char(0x60);
        huge[sof + 7] = char(0xEA);
        huge[sof + 8] = char(0x60);
        const JpegPicture bomb = Jpeg::Decode(huge);
        QVERIFY(!bomb.ok());
        QVERIFY(bomb.error.contains(u"too large"_s));
    }
};

QTEST_GUILESS_MAIN(TestJpeg)
#include "tst_jpeg.moc"
