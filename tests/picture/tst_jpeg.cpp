// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/FitPicture.h"
#include "picture/JpegDecoder.h"
#include "support/JpegCorpus.h"
#include "support/TestFiles.h"

#include <QtTest>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {
bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 12 && qAbs(qGreen(a) - qGreen(b)) < 12 && qAbs(qBlue(a) - qBlue(b)) < 12;
}

// The box sizes the screens decode for: full size, the card's preview, the viewer, the zoom screen.
const QList<QSize> Boxes = {QSize(), QSize(320, 237), QSize(715, 539), QSize(1276, 1020)};

// A field of /proc/self/status, in kB.
long statusKb(const char* key)
{
    const QByteArray status = TestFiles::ReadFile(u"/proc/self/status"_s);
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

long peakResidentMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// The child side of decodeUnderLimit: decodes the file at full size once the data segment may grow by no
// more than headroomMb, and prints "ok" or "error: " and the error.
int decodeChild(const char* path, long headroomMb)
{
    const QByteArray bytes = TestFiles::ReadFile(QString::fromLocal8Bit(path));
    const long inUseKb = statusKb("VmData:");
    if (bytes.isEmpty() || inUseKb < 0)
        return 2;
    const rlimit limit{rlim_t(inUseKb + headroomMb * 1024) * 1024, RLIM_INFINITY};
    if (setrlimit(RLIMIT_DATA, &limit) != 0)
        return 3;
    // Some kernels are told to ignore the limit: then nothing here would mean anything.
    if (void* beyond = std::malloc(std::size_t(headroomMb + 64) * 1024 * 1024)) {
        std::free(beyond);
        std::printf("limit not enforced\n");
        return 0;
    }
    const JpegPicture picture = Jpeg::Decode(bytes);
    if (picture.ok())
        std::printf("ok\n");
    else
        std::printf("error: %s\n", qPrintable(picture.error));
    std::fflush(stdout);
    return 0;
}

// Decodes jpeg in a child process of this test whose memory may grow by headroomMb only: its answer, or
// "crashed".
QString decodeUnderLimit(const QByteArray& jpeg, int headroomMb)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"photo.jpg"_s);
    if (!TestFiles::WriteFile(path, jpeg))
        return u"not written"_s;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ASAN_OPTIONS"_s, u"allocator_may_return_null=1"_s); // failed allocations return null
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {u"--decode-under-limit"_s, path, QString::number(headroomMb)});
    if (!child.waitForFinished(60000))
        return u"timed out"_s;
    if (child.exitStatus() != QProcess::NormalExit)
        return u"crashed"_s;
    if (child.exitCode() != 0)
        return u"exit code %1"_s.arg(child.exitCode());
    return QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
}

QString jpegDataFolder()
{
    return QStringLiteral(JPEG_TEST_DATA);
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

    void decode_turnsEveryOrientationUpright_data()
    {
        // Which corners of the stored picture end up at the top left and the top right.
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<QRgb>("topLeft");
        QTest::addColumn<QRgb>("topRight");
        const QRgb tl = qRgb(230, 20, 20), tr = qRgb(20, 200, 20), bl = qRgb(20, 20, 230),
                   br = qRgb(240, 240, 240);
        const QList<std::pair<QRgb, QRgb>> corners = {{tl, tr}, {tr, tl}, {br, bl}, {bl, br},
                                                      {tl, bl}, {bl, tl}, {br, tr}, {tr, br}};
        for (const bool big : {true, false}) {
            for (int o = 1; o <= 8; ++o)
                QTest::addRow("%s %d", big ? "MM" : "II", o)
                    << o << big << corners[o - 1].first << corners[o - 1].second;
        }
    }

    void decode_turnsEveryOrientationUpright()
    {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        QFETCH(QRgb, topLeft);
        QFETCH(QRgb, topRight);
        QImage stored(64, 32, QImage::Format_RGB32);
        const QRgb quadrants[2][2] = {{qRgb(230, 20, 20), qRgb(20, 200, 20)},
                                      {qRgb(20, 20, 230), qRgb(240, 240, 240)}};
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x)
                stored.setPixel(x, y, quadrants[y / 16][x / 32]);
        }
        const QByteArray jpeg = TestFiles::WithApp1(TestFiles::Encode(stored, "JPG", 95),
                                                    TestFiles::ExifPayload(orientation, bigEndian));
        QCOMPARE(Jpeg::ExifOrientation(TestFiles::ExifPayload(orientation, bigEndian)), orientation);
        const JpegPicture p = Jpeg::Decode(jpeg, QSize(320, 237));
        QVERIFY(p.clean());
        const QSize upright = orientation >= 5 ? QSize(32, 64) : QSize(64, 32);
        QCOMPARE(p.size, upright);
        QCOMPARE(p.image.size(), upright);
        const int w = upright.width(), h = upright.height();
        QVERIFY2(near(p.image.pixel(w / 4, h / 4), topLeft),
                 qPrintable(QString::number(p.image.pixel(w / 4, h / 4), 16)));
        QVERIFY(near(p.image.pixel(3 * w / 4, h / 4), topRight));
    }

    void exifOrientation_readsOnlyInsideTheBlock_data()
    {
        QTest::addColumn<QByteArray>("app1");
        QTest::addColumn<int>("orientation");
        for (const bool big : {true, false}) {
            const char* order = big ? "MM" : "II";
            const QByteArray good = TestFiles::ExifPayload(6, big);
            auto withOffset = [&](quint32 offset) {
                QByteArray exif = good;
                TestFiles::PutUnsigned(exif, 6 + 4, offset, big, 4);
                return exif;
            };
            auto withCount = [&](quint32 count) {
                QByteArray exif = good;
                TestFiles::PutUnsigned(exif, 6 + 8, count, big, 2);
                TestFiles::PutUnsigned(exif, 6 + 10, 0x010f, big, 2); // the maker's name, not the orientation
                return exif;
            };
            QTest::addRow("%s well formed", order) << good << 6;
            // Offsets near 2^32: "offset + 2" wraps to a small number in 32 bits.
            for (const quint32 offset : {0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFF4u, 0x80000000u})
                QTest::addRow("%s directory at %x", order, offset) << withOffset(offset) << 1;
            const quint32 tiffSize = quint32(good.size() - 6);
            QTest::addRow("%s directory at the last byte", order) << withOffset(tiffSize - 1) << 1;
            QTest::addRow("%s directory count at the end", order) << withOffset(tiffSize - 2) << 1;
            QTest::addRow("%s 65535 entries announced", order) << withCount(0xFFFF) << 1;
            // The entry cut short, then ending exactly at the end of the block.
            QTest::addRow("%s entry cut short", order) << good.left(6 + 8 + 2 + 11) << 1;
            QTest::addRow("%s entry ending at the end", order) << good.left(6 + 8 + 2 + 12) << 6;
            QTest::addRow("%s header cut short", order) << good.left(6 + 7) << 1;
        }
        QTest::addRow("no byte order") << QByteArray("Exif\0\0XX\0\x2a\0\0\0\x08", 14) << 1;
        QTest::addRow("empty") << QByteArray() << 1;
    }

    void exifOrientation_readsOnlyInsideTheBlock()
    {
        QFETCH(QByteArray, app1);
        QFETCH(int, orientation);
        // A heap copy of exactly the block's size: a read past it is a read past the buffer.
        std::vector<char> exact(app1.begin(), app1.end());
        QCOMPARE(Jpeg::ExifOrientation(QByteArray::fromRawData(exact.data(), qsizetype(exact.size()))),
                 orientation);
        // The same block in a photo: shown, upright as far as the block says.
        const JpegPicture p = Jpeg::Decode(TestFiles::WithApp1(TestFiles::MakeJpeg(QSize(40, 20)), app1));
        QVERIFY(p.clean());
        QCOMPARE(p.size, orientation == 6 ? QSize(20, 40) : QSize(40, 20));
    }

    void decode_failsWithoutEndingTheProcess()
    {
        // The reasons are the screens' words, never libjpeg's English.
        QCOMPARE(Jpeg::Decode({}).error, u"file incompleto"_s);
        const JpegPicture notJpeg = Jpeg::Decode(TestFiles::MakePicture(QSize(20, 20), "PNG"));
        QVERIFY(!notJpeg.ok());
        QCOMPARE(notJpeg.error, u"non \u00e8 un file JPEG"_s);
        QCOMPARE(Jpeg::Decode(QByteArray(5000, '\xff')).error, u"non \u00e8 un file JPEG"_s);
        // A truncated file decodes with grey fill and warnings: never clean.
        const QByteArray whole = TestFiles::MakeJpeg(QSize(200, 200));
        const JpegPicture truncated = Jpeg::Decode(whole.left(whole.size() / 2));
        QVERIFY(!truncated.clean());
        QCOMPARE(Jpeg::Decode(whole.left(20)).error, u"file incompleto"_s);
        QByteArray twelveBit = TestFiles::MakeJpeg(QSize(16, 16));
        const qsizetype frame = twelveBit.indexOf("\xff\xc0");
        twelveBit[frame + 4] = 12; // the sample precision
        QCOMPARE(Jpeg::Decode(twelveBit).error, u"formato non supportato"_s);
    }

    void decode_refusesHostileFiles_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<QString>("error");
        for (const JpegCorpus::Sample& s : JpegCorpus::Hostile())
            QTest::newRow(qPrintable(s.name)) << s.bytes << s.error;
    }

    void decode_refusesHostileFiles()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(QString, error);
        for (const QSize box : Boxes) {
            const JpegPicture p = Jpeg::Decode(jpeg, box);
            if (error.isEmpty()) {
                QVERIFY2(p.ok(), qPrintable(p.error));
            } else {
                QVERIFY(!p.ok());
                QVERIFY2(p.error.contains(error), qPrintable(p.error));
            }
        }
        // Nothing came near a gigabyte; the whole test process included.
        QVERIFY2(peakResidentMb() < 1024, qPrintable(u"%1 MB"_s.arg(peakResidentMb())));
    }

    void decode_letsLargePhotosThrough()
    {
        // The bounds leave room for ordinary progressive photos and for the largest camera pictures.
        const QByteArray progressive = TestFiles::MakeJpegWith(QSize(4000, 3000), {.progressive = true});
        for (const QSize box : Boxes)
            QVERIFY(Jpeg::Decode(progressive, box).clean());
        const QByteArray huge =
            TestFiles::WithJpegSize(TestFiles::MakeJpegWith(QSize(16, 16), {}), 16320, 12240);
        const JpegPicture p = Jpeg::Decode(huge, QSize(320, 237));
        QVERIFY2(p.ok(), qPrintable(p.error)); // grey fill where the data ends
        QCOMPARE(p.image.size(), QSize(2040, 1530));
        QCOMPARE(Jpeg::Decode(huge).error, u"foto troppo grande"_s); // at full size it would take 800 MB
    }

    void decode_failsCleanlyWithoutMemory_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<int>("headroomMb");
        QTest::addColumn<QString>("answer");
        // 4000 x 4000 pixels take 61 MB; the data ends after a few blocks, the rest is grey fill.
        auto large = [](const TestFiles::JpegOptions& options) {
            return TestFiles::WithJpegSize(TestFiles::MakeJpegWith(QSize(16, 16), options), 4000, 4000);
        };
        QTest::newRow("CMYK converted in place") << large({.cmyk = true}) << 80 << u"ok"_s;
        QTest::newRow("CMYK, no room to turn it")
            << large({.cmyk = true, .exifOrientation = 6}) << 80 << u"error: memoria insufficiente"_s;
        QTest::newRow("no room to turn it")
            << large({.exifOrientation = 8}) << 80 << u"error: memoria insufficiente"_s;
        QTest::newRow("no room to mirror it") << large({.exifOrientation = 2}) << 80 << u"ok"_s;
        QTest::newRow("no room for the pixels") << large({}) << 30 << u"error: memoria insufficiente"_s;
    }

    void decode_failsCleanlyWithoutMemory()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(int, headroomMb);
        QFETCH(QString, answer);
        const QString result = decodeUnderLimit(jpeg, headroomMb);
        if (result == u"limit not enforced"_s)
            QSKIP("this kernel does not enforce RLIMIT_DATA");
        QCOMPARE(result, answer);
    }

    void decode_readsTheCommittedCorpus()
    {
        // The seeds the fuzzer starts from all decode cleanly.
        const QDir seeds(jpegDataFolder() + u"/seeds"_s);
        for (const JpegCorpus::Sample& s : JpegCorpus::Seeds()) {
            const QByteArray bytes = TestFiles::ReadFile(seeds.filePath(s.name));
            QVERIFY2(!bytes.isEmpty(), qPrintable(s.name));
            for (const QSize box : Boxes)
                QVERIFY2(Jpeg::Decode(bytes, box).clean(), qPrintable(s.name));
        }
        QCOMPARE(seeds.entryList(QDir::Files).size(), JpegCorpus::Seeds().size());
    }

    void decode_survivesEveryRecordedRegression()
    {
        // Every file that ever crashed or stalled the decoder, the fuzzer's finds included: an answer, within
        // the work budget. The work is counted, so this holds on a busy machine too; what a unit of it costs
        // in time is bench_jpeg's to measure.
        const QDir folder(jpegDataFolder() + u"/regressions"_s);
        const QStringList names = folder.entryList({u"*.jpg"_s}, QDir::Files);
        for (const JpegCorpus::Sample& s : JpegCorpus::Hostile())
            QVERIFY2(names.contains(s.name), qPrintable(s.name));
        // Files that cost far more than a photo: the budget refuses them at every box.
        const QStringList overBudget = {u"fuzz-slow-arithmetic-progressive-3376x15611.jpg"_s,
                                        u"fuzz-slow-cmyk-progressive-3328x7712-c.jpg"_s,
                                        u"scans-last-repeated-1000-progressive-4000x3000.jpg"_s};
        for (const QString& name : names) {
            const QByteArray bytes = TestFiles::ReadFile(folder.filePath(name));
            for (const QSize box : Boxes) {
                const JpegPicture p = Jpeg::Decode(bytes, box);
                const QString where =
                    u"%1 at %2 x %3: %4 units"_s.arg(name).arg(box.width()).arg(box.height()).arg(p.work);
                QVERIFY2(p.ok() != !p.error.isEmpty(), qPrintable(where)); // an answer either way
                QVERIFY2(!p.ok() || (p.work > 0 && p.work <= Jpeg::WorkBudget(box)), qPrintable(where));
                if (overBudget.contains(name)) {
                    QCOMPARE(p.error, u"foto troppo grande"_s);
                    QVERIFY2(p.work > Jpeg::WorkBudget(box), qPrintable(where));
                }
                if (p.ok() && box.isValid()) {
                    const QSize drawn = FitPicture(p.size, box).size();
                    QVERIFY2(p.image.width() >= drawn.width() && p.image.height() >= drawn.height(),
                             qPrintable(name));
                }
            }
        }
        QVERIFY2(peakResidentMb() < 1024, qPrintable(u"%1 MB"_s.arg(peakResidentMb())));
    }
};

int main(int argc, char* argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--decode-under-limit") == 0)
        return decodeChild(argv[2], std::atol(argv[3]));
    QCoreApplication app(argc, argv);
    TestJpeg test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_jpeg.moc"
