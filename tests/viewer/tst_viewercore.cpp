// SPDX-License-Identifier: GPL-3.0-or-later
// The photo screens' rules without widgets: the viewer's moves, the slideshow's steps and look-ahead, and
// the pictures prepared for them.
#include "TestArchive.h"
#include "card/JpegDecoder.h"
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

    std::optional<qint64> go(PhotoBrowser& browser, Step step)
    {
        const auto card = browser.Navigate(step);
        return card ? std::optional<qint64>(card->id) : std::nullopt;
    }
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

    void browser_movesInIdentifierOrder()
    {
        // Names in reverse order: the identifier decides, not the name.
        m_archive->Add(12, "Alfa");
        m_archive->Add(3, "Zeta");
        m_archive->Add(7, "Mira");
        PhotoBrowser browser(TestArchive::Category(), m_dir->path());
        browser.Open();
        QCOMPARE(go(browser, Step::Previous), 3); // from no card, previous shows the first card
        QCOMPARE(go(browser, Step::Next), 7);
        QCOMPARE(go(browser, Step::Next), 12);
        QCOMPARE(go(browser, Step::Next), std::nullopt); // next on the last card: nothing changes
        QCOMPARE(browser.Current(), 12);
        QCOMPARE(go(browser, Step::Previous), 7);
        QCOMPARE(go(browser, Step::Previous), 3);
        QCOMPARE(go(browser, Step::Previous), std::nullopt);
        QCOMPARE(browser.Current(), 3);
        QCOMPARE(go(browser, Step::Last), 12);
        QCOMPARE(go(browser, Step::First), 3);

        browser.Open(); // the introductory state again
        QCOMPARE(browser.Current(), std::nullopt);
        QCOMPARE(go(browser, Step::Next), 3);
        browser.Open();
        QCOMPARE(go(browser, Step::Last), 12);
    }

    void browser_readsNameCaptionAndPhoto()
    {
        const QByteArray photo = TestFiles::MakeJpeg(QSize(40, 30));
        m_archive->Add(1, " \tFulmine\r\n", photo, "  al galoppo  ");
        m_archive->Add(2, "Caf\xe8\xa0", {}, {}); // Windows-1252; the no-break space is no blank
        PhotoBrowser browser(TestArchive::Category(), m_dir->path());
        const auto first = browser.Navigate(Step::First);
        QCOMPARE(first->name, u"Fulmine"_s);
        QCOMPARE(first->caption, u"al galoppo"_s);
        QCOMPARE(first->picture, photo);
        const auto second = browser.Navigate(Step::Next);
        QCOMPARE(second->name, u"Caf\u00e8\u00a0"_s);
        QCOMPARE(second->caption, QString());
        QVERIFY(second->picture.isEmpty());
    }

    void browser_emptyOrMissingArchive()
    {
        PhotoBrowser browser(TestArchive::Category(), m_dir->path());
        browser.Open(); // creates the file and its table
        QVERIFY(m_archive->HasTable());
        for (Step step : {Step::First, Step::Previous, Step::Next, Step::Last})
            QCOMPARE(go(browser, step), std::nullopt);
        QCOMPARE(browser.Current(), std::nullopt);

        m_archive->DropTable();
        QCOMPARE(go(browser, Step::Next), std::nullopt); // the table is created again, nothing is shown
        QVERIFY(m_archive->HasTable());
    }

    void browser_cardDeletedElsewhere()
    {
        for (qint64 id : {1, 2, 3, 4, 5})
            m_archive->Add(id, "C");
        PhotoBrowser browser(TestArchive::Category(), m_dir->path());
        browser.Open();
        go(browser, Step::Last);
        QCOMPARE(go(browser, Step::Previous), 4);
        m_archive->Remove(4);
        QCOMPARE(go(browser, Step::Next), 5);
        QCOMPARE(go(browser, Step::Previous), 3);
        m_archive->Remove(3);
        // Kept as the archive's previous query has it: the second-highest identifier not above the current
        // one. With the current card gone, card 2 is skipped.
        QCOMPARE(go(browser, Step::Previous), 1);
        m_archive->Remove(1);
        QCOMPARE(go(browser, Step::Previous), std::nullopt); // card 2 is the only one below: nothing
        QCOMPARE(browser.Current(), 1);
        QCOMPARE(go(browser, Step::Next), 2);
    }

    void browser_failureKeepsTheCurrentCard()
    {
        m_archive->Add(3, "A");
        m_archive->Add(7, "B");
        PhotoBrowser browser(TestArchive::Category(), m_dir->path());
        go(browser, Step::Last);
        m_archive->Spoil();
        QVERIFY_THROWS_EXCEPTION(ESQLiteException, browser.Navigate(Step::Previous));
        QCOMPARE(browser.Current(), 7);
        browser.Close(); // not reported
        m_archive->Restore();
        QCOMPARE(go(browser, Step::Previous), 3);
    }

    void sequence_followsTheIdentifiersWithGaps()
    {
        m_archive->Add(9, "C");
        m_archive->Add(2, "A");
        m_archive->Add(5, "B");
        SlideSequence sequence(TestArchive::Category(), m_dir->path());
        // Card 9 stays for two steps: its own and the one that finds nothing after it.
        QCOMPARE(steps(sequence, 7), (QList<qint64>{2, 5, 9, 0, 2, 5, 9}));
        QCOMPARE(sequence.Current(), 9);
        sequence.Restart();
        QCOMPARE(steps(sequence, 1), QList<qint64>{2});
    }

    void sequence_singleEmptyAndMissing()
    {
        SlideSequence sequence(TestArchive::Category(), m_dir->path());
        QVERIFY(!QFile::exists(m_archive->Path()));
        QCOMPARE(sequence.Upcoming(), std::nullopt); // the look-ahead creates nothing
        QVERIFY(!QFile::exists(m_archive->Path()));
        QCOMPARE(steps(sequence, 3), (QList<qint64>{-1, -1, -1})); // the first step creates the table
        QVERIFY(m_archive->HasTable());
        QCOMPARE(sequence.Upcoming(), std::nullopt);

        m_archive->Add(4, "Solo");
        QCOMPARE(steps(sequence, 5), (QList<qint64>{4, 0, 4, 0, 4}));
    }

    void sequence_showsACardAddedLaterInTheSamePass()
    {
        m_archive->Add(2, "A");
        m_archive->Add(5, "B");
        SlideSequence sequence(TestArchive::Category(), m_dir->path());
        QCOMPARE(steps(sequence, 2), (QList<qint64>{2, 5}));
        m_archive->Add(7, "after the current one");
        m_archive->Add(3, "before it: next pass");
        QCOMPARE(steps(sequence, 5), (QList<qint64>{7, 0, 2, 3, 5}));
    }

    void sequence_failureKeepsThePosition()
    {
        for (qint64 id : {2, 5, 9})
            m_archive->Add(id, "C");
        SlideSequence sequence(TestArchive::Category(), m_dir->path());
        QCOMPARE(steps(sequence, 2), (QList<qint64>{2, 5}));
        m_archive->Spoil();
        QVERIFY_THROWS_EXCEPTION(ESQLiteException, sequence.Advance());
        QVERIFY_THROWS_EXCEPTION(ESQLiteException, sequence.Upcoming());
        QCOMPARE(sequence.Current(), 5);
        m_archive->Restore();
        QCOMPARE(steps(sequence, 1), QList<qint64>{9});
    }

    void sequence_upcomingIsWhatTheStepsShowNext()
    {
        for (qint64 id : {2, 5, 9})
            m_archive->Add(id, "C");
        SlideSequence sequence(TestArchive::Category(), m_dir->path());
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
        const QByteArray red = TestFiles::MakeJpegWith(QSize(300, 200), {false, false, 0, 0xffcc0000});
        const QByteArray blue = TestFiles::MakeJpegWith(QSize(300, 200), {false, false, 0, 0xff0000cc});
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
