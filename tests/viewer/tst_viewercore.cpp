// SPDX-License-Identifier: GPL-3.0-or-later
// The photo screens' rules without widgets: what the viewer reads of a card, the slideshow's steps and
// look-ahead, and the pictures prepared for them. Their orders as the user sees them are tested through the
// screens (tst_viewer, tst_slideshow).
#include "picture/JpegDecoder.h"
#include "support/TestArchive.h"
#include "support/TestFiles.h"
#include "viewer/FittedPicture.h"
#include "viewer/PhotoBrowser.h"
#include "viewer/SlidePreparer.h"
#include "viewer/SlideSequence.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using Step = PhotoBrowser::Step;
using Outcome = SlideSequence::Outcome;

class TestViewerCore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestArchive> m_archive;

    // The identifiers the next steps of a sequence show; 0 for a step that ends the pass, -1 for one that
    // changes nothing.
    QList<qint64> steps(SlideSequence& sequence, int count)
    {
        QList<qint64> shown;
        for (int i = 0; i < count; ++i) {
            const SlideSequence::Step step = sequence.Advance();
            shown << (step.outcome == Outcome::Shown       ? step.card.id
                      : step.outcome == Outcome::PassEnded ? 0
                                                           : -1);
        }
        return shown;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_archive = std::make_unique<TestArchive>(m_dir->path());
    }

    void browser_readsNameCaptionAndPhoto()
    {
        const QByteArray photo = TestFiles::MakeJpeg(QSize(40, 30));
        m_archive->Add(1, " \tFulmine\r\n", photo, "  al galoppo  ");
        m_archive->Add(2, "Caf\xe8\xa0", {}, {}); // Windows-1252; the no-break space is no blank
        PhotoBrowser browser(m_archive->Store());
        const auto first = browser.Navigate(Step::First);
        QCOMPARE(first->name, u"Fulmine"_s);
        QCOMPARE(first->caption, u"al galoppo"_s);
        QCOMPARE(first->picture, photo);
        const auto second = browser.Navigate(Step::Next);
        QCOMPARE(second->name, u"Caf\u00e8\u00a0"_s);
        QCOMPARE(second->caption, QString());
        QVERIFY(second->picture.isEmpty());
    }

    void sequence_singleEmptyAndMissing()
    {
        SlideSequence sequence(m_archive->Store(), m_archive->LookAheadStore());
        QVERIFY(!QFile::exists(m_archive->Path()));
        QCOMPARE(sequence.Upcoming(), std::nullopt); // the look-ahead creates nothing
        QVERIFY(!QFile::exists(m_archive->Path()));
        QCOMPARE(steps(sequence, 3), (QList<qint64>{-1, -1, -1})); // the first step creates the table
        QVERIFY(m_archive->HasTable());
        QCOMPARE(sequence.Upcoming(), std::nullopt);

        m_archive->Add(4, "Solo");
        QCOMPARE(steps(sequence, 5), (QList<qint64>{4, 0, 4, 0, 4}));
    }

    void sequence_upcomingIsWhatTheStepsShowNext()
    {
        for (qint64 id : {2, 5, 9})
            m_archive->Add(id, "C");
        SlideSequence sequence(m_archive->Store(), m_archive->LookAheadStore());
        for (int i = 0; i < 8; ++i) {
            const auto upcoming = sequence.Upcoming();
            // The next card shown, skipping the step that only ends the pass.
            SlideSequence::Step step = sequence.Advance();
            if (step.outcome == Outcome::PassEnded)
                step = sequence.Advance();
            QCOMPARE(upcoming->id, step.card.id);
            QCOMPARE(upcoming->picture, step.card.picture);
        }
    }

    void fitted_decodesAtTheScaleTheAreaNeeds()
    {
        const QByteArray photo = TestFiles::MakeJpeg(QSize(4000, 3000), 60);
        // libjpeg's DCT scaling: a quarter for the viewer's area, a half for a 1280 x 1024 display.
        QCOMPARE(Jpeg::Decode(photo, QSize(715, 539)).image.size(), QSize(1000, 750));
        QCOMPARE(Jpeg::Decode(photo, QSize(1276, 1020)).image.size(), QSize(2000, 1500));
        FittedPicture viewer = DecodeFitted(photo, QSize(715, 539));
        QCOMPARE(viewer.image.size(), QSize(715, 536));
        QCOMPARE(viewer.size, QSize(4000, 3000));
        QCOMPARE(viewer.image.format(), QImage::Format_RGB32);
        QCOMPARE(DecodeFitted(photo, QSize(1276, 1020)).image.size(), QSize(1276, 957));

        // Upright as on the card: a photo taken sideways (EXIF orientation 6) is turned.
        TestFiles::JpegOptions sideways;
        sideways.exifOrientation = 6;
        const FittedPicture turned =
            DecodeFitted(TestFiles::MakeJpegWith(QSize(600, 400), sideways), {715, 539});
        QCOMPARE(turned.size, QSize(400, 600));
        QCOMPARE(turned.image.size(), QSize(359, 539));

        QCOMPARE(DecodeFitted(TestFiles::MakeJpeg(QSize(1, 1)), {715, 539}).image.size(), QSize(1, 1));
        const FittedPicture damaged = DecodeFitted("not a photo", {715, 539});
        QVERIFY(!damaged.ok());
        QVERIFY(!damaged.error.isEmpty());
    }

    void preparer_findsOnlyTheCardAndPhotoPrepared()
    {
        const QByteArray red = TestFiles::MakeJpegWith(QSize(300, 200), {.colour = 0xffcc0000});
        const QByteArray blue = TestFiles::MakeJpegWith(QSize(300, 200), {.colour = 0xff0000cc});
        const QSize area(200, 200);
        SlidePreparer preparer;
        QSignalSpy prepared(&preparer, &SlidePreparer::Prepared);
        preparer.Prepare(5, red, area);
        QVERIFY(preparer.Busy());
        QCOMPARE(preparer.Find(5, red, area), nullptr); // not decoded yet
        QVERIFY(prepared.wait(5000));
        const FittedPicture* picture = preparer.Find(5, red, area);
        QVERIFY(picture && picture->ok());
        QCOMPARE(picture->image.size(), QSize(200, 133));
        QVERIFY(qRed(picture->image.pixel(100, 66)) > 180);
        QCOMPARE(preparer.Find(5, QByteArray(red.constData(), red.size()), area), picture); // bytes compared
        QCOMPARE(preparer.Find(6, red, area), nullptr);                                     // another card
        QCOMPARE(preparer.Find(5, blue, area), nullptr);           // its photo replaced
        QCOMPARE(preparer.Find(5, red, QSize(100, 100)), nullptr); // another area

        // A request overtaken by a later one never becomes ready.
        prepared.clear();
        preparer.Prepare(1, red, area);
        preparer.Prepare(2, blue, area);
        QVERIFY(prepared.wait(5000));
        QTest::qWait(50);
        QCOMPARE(prepared.size(), 1);
        QCOMPARE(preparer.Find(1, red, area), nullptr);
        QVERIFY(preparer.Find(2, blue, area));

        // A photo that cannot be decoded is prepared as such: the step need not try again.
        preparer.Prepare(3, "garbage", area);
        QVERIFY(prepared.wait(5000));
        QVERIFY(preparer.Find(3, "garbage", area) && !preparer.Find(3, "garbage", area)->ok());
        preparer.Forget();
        QCOMPARE(preparer.Find(3, "garbage", area), nullptr);

        // Destroyed while decoding: the decoding ends first, nothing is delivered afterwards.
        auto* busy = new SlidePreparer;
        busy->Prepare(1, TestFiles::MakeJpeg(QSize(2000, 1500)), area);
        delete busy;
        QCoreApplication::processEvents();
    }
};

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    TestViewerCore test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_viewercore.moc"
