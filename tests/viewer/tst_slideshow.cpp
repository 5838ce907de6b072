// SPDX-License-Identifier: GPL-3.0-or-later
// The slideshow as the user sees it, through the real screens, with time stepped by the test.
#include "card/ui/RecordCard.h"
#include "kit/PictureBox.h"
#include "kit/Placeholders.h"
#include "kit/TfrmZoom.h"
#include "kit/Ticker.h"
#include "support/FakeClock.h"
#include "support/ProgramFixture.h"
#include "support/TestFiles.h"
#include "support/TestGui.h"
#include "viewer/SlidePreparer.h"
#include "viewer/ui/Slideshow.h"

#include <QLabel>
#include <QScreen>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray photo(QSize size, QRgb colour)
{
    return TestFiles::MakeJpegWith(size, {.colour = colour});
}

} // namespace

class TestSlideshow : public QObject, ProgramFixture
{
    Q_OBJECT

    std::unique_ptr<FakeClock> m_clock;
    Slideshow* m_show = nullptr;

    QString position() { return m_show->CurrentCardId(); }
    QString title() { return m_show->Title(); }
    QLabel* bar() { return m_show->findChild<QLabel*>(u"panTitolo"_s); }
    bool showsPlaceholder() { return m_show->Picture()->Image() == Placeholders::Viewer().image; }
    void open() { showExposed(m_show); }
    // Lets time run until the given number of milliseconds since the show opened.
    void at(qint64 ms) { m_clock->Advance(ms - m_clock->Now()); }
    // The colour at the middle of the picture drawn.
    QColor middleColour()
    {
        const QImage shot = m_show->Picture()->grab().toImage();
        return shot.pixelColor(m_show->Picture()->FittedRect().center());
    }
    // Lets the picture of the coming card be prepared, as during the six seconds before its step.
    void letPrepare()
    {
        m_clock->Advance(Slideshow::PrepareDelayMs);
        QTRY_VERIFY(!m_show->Preparer().Busy());
    }

private slots:
    void init()
    {
        m_clock = std::make_unique<FakeClock>();
        startProgram();
        m_show = screenNamed<Slideshow>(u"TfrmSlideAmici"_s);
        QVERIFY(m_show);
    }
    void cleanup()
    {
        stopProgram();
        m_clock.reset();
    }

    void opening_showsTheStartingScreenOverTheWholeScreen()
    {
        m_archive->Add(1, "Uno", photo(QSize(100, 80), 0xff2020cc));
        open();
        QCOMPARE(title(), u"Avvio slideshow. Attendere..."_s);
        QCOMPARE(position(), QString());
        QVERIFY(showsPlaceholder());
        QVERIFY(m_show->Timer().IsActive());
        QCOMPARE(m_show->Timer().Interval(), 6000);

        const QSize display = m_show->screen()->size();
        QCOMPARE(m_show->geometry(), m_show->screen()->geometry());
        QVERIFY(m_show->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(m_show->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(m_show->Picture()->geometry(), QRect(2, 2, display.width() - 4, display.height() - 4));
        // The title bar lies over the top 30 rows of the picture area.
        QCOMPARE(bar()->geometry(), QRect(0, 0, display.width(), 32));
        QCOMPARE(bar()->palette().color(QPalette::Window), QColor(103, 149, 205));
        QCOMPARE(bar()->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(bar()->font().pixelSize(), 19);
        QVERIFY(bar()->font().bold());
        const QImage shot = m_show->grab().toImage();
        QCOMPARE(shot.pixelColor(3, 20), QColor(103, 149, 205)); // over the picture area, beside the text
        QCOMPARE(shot.pixelColor(0, display.height() - 1), QColor(Qt::white));
        for (const QString& hidden : {u"cmdAvanti"_s, u"lblPosizione"_s, u"imgTemp"_s})
            QVERIFY(!m_show->findChild<QWidget*>(hidden)->isVisible());
        // While the show runs the screen does not blank.
        QCOMPARE(m_desktop->screenSaverInhibited, QList<bool>{true});

        at(5999);
        QCOMPARE(title(), u"Avvio slideshow. Attendere..."_s);
        at(6000);
        QCOMPARE(title(), u"Uno"_s);
    }

    void timeline_withGapsInTheIdentifiers()
    {
        m_archive->Add(9, "Nove");
        m_archive->Add(2, "Due");
        m_archive->Add(5, "Cinque");
        open();
        const QList<std::tuple<qint64, QString, QString>> timeline = {
            {6000, u"2"_s, u"Due"_s},      {12000, u"5"_s, u"Cinque"_s}, {18000, u"9"_s, u"Nove"_s},
            {24000, QString(), u"Nove"_s}, // the last card stays for twelve seconds
            {30000, u"2"_s, u"Due"_s},     {36000, u"5"_s, u"Cinque"_s}};
        for (const auto& [ms, id, name] : timeline) {
            at(ms - 1);
            const QString before = title();
            at(ms);
            QCOMPARE(position(), id);
            QCOMPARE(title(), name);
            if (ms > 6000)
                QVERIFY(before != name || ms == 24000 || ms == 30000);
        }
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void emptyArchive_keepsTheStartingScreen()
    {
        open();
        at(60000);
        QCOMPARE(title(), u"Avvio slideshow. Attendere..."_s);
        QCOMPARE(position(), QString());
        QVERIFY(showsPlaceholder());
        QVERIFY(m_desktop->messages.isEmpty());
        QVERIFY(m_archive->HasTable());
    }

    void singleCard_isReloadedEveryTwelveSeconds()
    {
        m_archive->Add(4, "Solo", photo(QSize(120, 90), 0xffcc2020));
        open();
        at(6000);
        QCOMPARE(position(), u"4"_s);
        at(12000);
        QCOMPARE(position(), QString());
        QCOMPARE(title(), u"Solo"_s);
        m_archive->Rename(4, "Rinominato");
        m_archive->SetPicture(4, photo(QSize(120, 90), 0xff2020cc));
        at(18000);
        QCOMPARE(position(), u"4"_s);
        QCOMPARE(title(), u"Rinominato"_s);
        QVERIFY(middleColour().blue() > 180);
    }

    void cardAddedElsewhere_isShownInTheSamePass()
    {
        m_archive->Add(2, "Due");
        m_archive->Add(5, "Cinque");
        m_archive->Add(9, "Nove");
        open();
        at(12000);
        QCOMPARE(position(), u"5"_s);
        m_archive->Add(7, "Sette");
        m_archive->Add(3, "Tre"); // below the current card: in the next pass
        at(18000);
        QCOMPARE(title(), u"Sette"_s);
        at(24000);
        QCOMPARE(title(), u"Nove"_s);
        at(36000);
        QCOMPARE(title(), u"Due"_s);
        at(42000);
        QCOMPARE(title(), u"Tre"_s);
    }

    void cardsWithoutPhotoOrName()
    {
        m_archive->Add(1, "Con foto", photo(QSize(300, 200), 0xffcc2020));
        m_archive->Add(2, "Senza foto");
        m_archive->Add(3, "  ", photo(QSize(300, 200), 0xff20cc20));
        open();
        at(6000);
        QVERIFY(!showsPlaceholder());
        at(12000);
        QCOMPARE(title(), u"Senza foto"_s);
        QVERIFY(showsPlaceholder()); // never the previous card's photo
        at(18000);
        QCOMPARE(title(), QString()); // an empty bar
        QVERIFY(middleColour().green() > 180);
    }

    void photos_areFittedToTheDisplay()
    {
        const QSize area = m_show->screen()->size() - QSize(4, 4);
        m_archive->Add(1, "Piccola", photo(QSize(300, 200), 0xffcc2020));
        m_archive->Add(2, "Grande", photo(area * 2, 0xff2020cc));
        m_archive->Add(3, "Un pixel", photo(QSize(1, 1), 0xff20cc20));
        open();
        at(6000);
        const QRect small = m_show->Picture()->FittedRect();
        QCOMPARE(small.size(), QSize(300, 200));
        QCOMPARE(small.topLeft(), QPoint((area.width() - 300) / 2, (area.height() - 200) / 2));
        at(12000);
        QCOMPARE(m_show->Picture()->FittedRect(), QRect(QPoint(0, 0), area));
        QCOMPARE(m_show->Picture()->PictureSize(), area * 2);
        at(18000);
        QCOMPARE(m_show->Picture()->FittedRect().size(), QSize(1, 1));
    }

    void undecodablePhoto_isNamedInTheBarWithoutABox()
    {
        m_archive->Add(1, "Buona", photo(QSize(300, 200), 0xffcc2020));
        m_archive->Add(2, "Rovinata", "\xff\xd8 no photo here");
        m_archive->Add(3, "Dopo");
        open();
        at(6000);
        at(12000);
        QCOMPARE(position(), u"2"_s);
        QCOMPARE(title(), u"Rovinata (foto non visualizzabile)"_s);
        QVERIFY(showsPlaceholder());
        QVERIFY(m_desktop->messages.isEmpty());
        at(18000);
        QCOMPARE(title(), u"Dopo"_s); // the show goes on
        // The same when the broken photo was prepared ahead.
        letPrepare();
        at(24000);
        at(30000);
        letPrepare();
        at(36000);
        QCOMPARE(title(), u"Rovinata (foto non visualizzabile)"_s);
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void unreadableArchive_showsOneBoxAndTheShowGoesOn()
    {
        for (qint64 id : {2, 5, 9})
            m_archive->Add(id, QByteArray("Scheda ") + QByteArray::number(id));
        open();
        at(12000);
        QCOMPARE(position(), u"5"_s);
        m_archive->Spoil();
        // The user takes a minute to answer the box; the box's own event loop runs meanwhile.
        bool timerRanDuringBox = true;
        int open = 0;
        m_desktop->whileShown = [&](const FakeDesktop::Shown&) {
            if (open++ == 0) {
                timerRanDuringBox = m_show->Timer().IsActive();
                m_clock->Advance(60000);
            }
            --open;
        };
        at(18000);
        QCOMPARE(m_desktop->messages.size(), 1); // never a second box over the first
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QVERIFY(!timerRanDuringBox);
        QVERIFY(m_show->Timer().IsActive()); // started again after OK
        QCOMPARE(position(), u"5"_s);
        QCOMPARE(title(), u"Scheda 5"_s);

        // Still unreadable at the next tick: one more box, six seconds after the first was answered.
        m_desktop->whileShown = {};
        m_clock->Advance(6000);
        QCOMPARE(m_desktop->messages.size(), 2);
        m_archive->Restore();
        m_clock->Advance(6000);
        QCOMPARE(position(), u"9"_s); // from the same card on
        QCOMPARE(m_desktop->messages.size(), 2);
    }

    void preparedPicture_isUsedOnlyWhileTheCardIsStillTheSame()
    {
        m_archive->Add(2, "Due", photo(QSize(640, 480), 0xffcc2020));
        m_archive->Add(5, "Cinque", photo(QSize(640, 480), 0xff20cc20));
        m_archive->Add(9, "Nove", photo(QSize(640, 480), 0xff2020cc));
        open();
        letPrepare(); // the first card, during the six seconds before it
        at(6000);
        QCOMPARE(m_show->PreparedSlidesShown(), 1);
        QVERIFY(middleColour().red() > 180);

        // Card 5 is prepared, then its photo replaced elsewhere: the new photo is shown.
        letPrepare();
        m_archive->SetPicture(5, photo(QSize(640, 480), 0xffcccc20));
        at(12000);
        QCOMPARE(position(), u"5"_s);
        QCOMPARE(m_show->PreparedSlidesShown(), 1);
        const QColor replaced = middleColour();
        QVERIFY(replaced.red() > 180 && replaced.green() > 180);

        // Card 9 is prepared, then a card comes between: that card is shown.
        letPrepare();
        m_archive->Add(7, "Sette", photo(QSize(640, 480), 0xff20cccc));
        at(18000);
        QCOMPARE(title(), u"Sette"_s);
        QCOMPARE(m_show->PreparedSlidesShown(), 1);
        letPrepare();
        at(24000);
        QCOMPARE(title(), u"Nove"_s);
        QCOMPARE(m_show->PreparedSlidesShown(), 2);
        // After the last card the first one is prepared, across the step that ends the pass.
        letPrepare();
        at(30000);
        letPrepare();
        at(36000);
        QCOMPARE(title(), u"Due"_s);
        QCOMPARE(m_show->PreparedSlidesShown(), 3);
        QVERIFY(middleColour().red() > 180);
    }

    void clicks_closeExceptOnTheTitleBar_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("closes");
        QTest::newRow("picture") << u"picture"_s << true;
        QTest::newRow("white margin") << u"margin"_s << true;
        QTest::newRow("title bar") << u"title"_s << false;
        QTest::newRow("Esc") << u"esc"_s << true;
        QTest::newRow("Space") << u"space"_s << true;
    }
    void clicks_closeExceptOnTheTitleBar()
    {
        QFETCH(QString, where);
        QFETCH(bool, closes);
        m_archive->Add(1, "Uno", photo(QSize(200, 100), 0xffcc2020));
        open();
        at(6000);
        m_archive->DropTable(); // closing opens the archive again, which creates it
        if (where == u"picture"_s)
            QTest::mouseClick(m_show->Picture(), Qt::LeftButton, {}, m_show->Picture()->rect().center());
        else if (where == u"margin"_s)
            QTest::mouseClick(m_show, Qt::LeftButton, {}, QPoint(0, m_show->height() - 1));
        else if (where == u"title"_s)
            QTest::mouseClick(bar(), Qt::LeftButton, {}, QPoint(10, 10));
        else
            QTest::keyClick(m_show, where == u"esc"_s ? Qt::Key_Escape : Qt::Key_Space);
        QCOMPARE(m_show->isVisible(), !closes);
        QCOMPARE(m_show->Timer().IsActive(), !closes);
        QCOMPARE(m_archive->HasTable(), closes);
        QCOMPARE(m_desktop->screenSaverInhibited.last(), !closes);
        if (closes) {
            at(30000);
            QCOMPARE(title(), u"Uno"_s); // nothing runs any more
            QVERIFY(m_desktop->messages.isEmpty());
        }
    }

    void reopening_startsAgainFromTheStartingScreen()
    {
        m_archive->Add(1, "Uno");
        m_archive->Add(2, "Due");
        open();
        at(12000);
        m_show->hide();
        QVERIFY(!m_show->Timer().IsActive());
        open();
        QCOMPARE(title(), u"Avvio slideshow. Attendere..."_s);
        QCOMPARE(position(), QString());
        m_clock->Advance(6000);
        QCOMPARE(title(), u"Uno"_s);
        QCOMPARE(m_desktop->screenSaverInhibited, (QList<bool>{true, false, true}));
    }

    void pointer_hidesWhenItRests()
    {
        m_archive->Add(1, "Uno");
        open();
        QVERIFY(!m_show->PointerHidden());
        m_clock->Advance(2999);
        QVERIFY(!m_show->PointerHidden());
        m_clock->Advance(1);
        QVERIFY(m_show->PointerHidden());
        QCOMPARE(m_show->cursor().shape(), Qt::BlankCursor);
        QCOMPARE(bar()->cursor().shape(), Qt::BlankCursor);
        TestGui::MovePointer(m_show->Picture(), QPoint(50, 60));
        QVERIFY(!m_show->PointerHidden());
        QCOMPARE(m_show->cursor().shape(), Qt::PointingHandCursor);
        m_clock->Advance(2000);
        TestGui::MovePointer(bar(), QPoint(5, 5)); // any movement starts the three seconds again
        m_clock->Advance(2000);
        QVERIFY(!m_show->PointerHidden());
        m_clock->Advance(1000);
        QVERIFY(m_show->PointerHidden());
        m_show->hide();
        QVERIFY(!m_show->PointerHidden());
    }

    void fromTheRecordCard_runsWrapsAndCloses()
    {
        m_archive->Add(3, "Tre", photo(QSize(400, 300), 0xffcc2020));
        m_archive->Add(8, "Otto");
        RecordCard* card = m_screens->Card(TestArchive::Category());
        card->show();
        QStringList seen;
        TestGui::WhenModal([&](QWidget* modal) {
            QCOMPARE(modal, m_show);
            for (int tick = 1; tick <= 4; ++tick) {
                m_clock->Advance(6000);
                seen << title();
            }
            QTest::mouseClick(m_show->Picture(), Qt::LeftButton, {}, QPoint(3, 200));
        });
        QTest::mouseClick(card->findChild<QWidget*>(u"cmdSlideshow"_s), Qt::LeftButton);
        QCOMPARE(seen, (QStringList{u"Tre"_s, u"Otto"_s, u"Otto"_s, u"Tre"_s}));
        QVERIFY(!m_show->isVisible());
        QVERIFY(!m_show->Timer().IsActive());
    }
};

PROGRAM_TEST_MAIN(TestSlideshow)
#include "tst_slideshow.moc"
