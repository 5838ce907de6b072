// SPDX-License-Identifier: GPL-3.0-or-later
// The photo viewer as the user works it, through the real screens.
#include "card/ui/RecordCard.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/PictureBox.h"
#include "kit/Placeholders.h"
#include "kit/TfrmZoom.h"
#include "program/MakerInfo.h"
#include "support/ProgramFixture.h"
#include "support/TestFiles.h"
#include "support/TestGui.h"
#include "viewer/ui/PhotoViewer.h"

#include <QLabel>
#include <QScreen>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestViewer : public QObject, ProgramFixture
{
    Q_OBJECT

    PhotoViewer* m_viewer = nullptr;

    template <typename T = QWidget> T* find(const QString& name) { return child<T>(m_viewer, name); }
    void click(const QString& name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    void key(Qt::Key k) { QTest::keyClick(m_viewer, k); }
    QString text(const QString& name) { return find<QLabel>(name)->text(); }
    QString position() { return m_viewer->CurrentCardId(); }
    bool showsPlaceholder()
    {
        return m_viewer->PhotoBytes().isEmpty() && m_viewer->Photo()->Image() == Placeholders::Viewer().image;
    }
    void open() { showExposed(m_viewer); }
    // The colour at the middle of the picture drawn in the photo area.
    QColor middleColour()
    {
        const QImage shot = m_viewer->Photo()->grab().toImage();
        return shot.pixelColor(m_viewer->Photo()->FittedRect().center());
    }

private slots:
    void init()
    {
        startProgram();
        m_viewer = screenNamed<PhotoViewer>(u"TfrmBrowseAmici"_s);
        QVERIFY(m_viewer);
    }
    void cleanup() { stopProgram(); }

    void everyArchive_hasItsViewer()
    {
        QStringList viewers;
        for (QWidget* w : m_screens->All()) {
            if (auto* v = qobject_cast<PhotoViewer*>(w)) {
                viewers << v->objectName();
                QCOMPARE(v->windowTitle(), u"  Visualizzatore foto"_s);
            }
        }
        QCOMPARE(viewers.size(), 10);
        QVERIFY(viewers.contains(u"TfrmBrowseInfanzia"_s) && viewers.contains(u"TfrmBrowseHobby"_s));
    }

    void opening_showsTheIntroductoryStateMaximised()
    {
        m_archive->Add(1, "Fulmine", "damaged bytes", "didascalia");
        open();
        // The first card is read only to position the archive: neither shown nor decoded.
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(position(), QString());
        QCOMPARE(text(u"lblTitolo"_s), u"Visualizzatore foto"_s);
        QCOMPARE(text(u"lblDidascalia"_s),
                 u"Per visualizzare le foto, servirsi delle frecce di scorrimento."_s);
        QVERIFY(showsPlaceholder());
        QCOMPARE(find<PictureBox>(u"imgTemp"_s)->Image(), Placeholders::Viewer().image);
        QVERIFY(!find(u"imgTemp"_s)->isVisible() && !find(u"lblPosizione"_s)->isVisible());

        // Maximised on its screen, the container centred by the working windows' rule.
        const QRect available = m_viewer->screen()->availableGeometry();
        QCOMPARE(m_viewer->frameGeometry(), available);
        QCOMPARE(find(u"grpContainer"_s)->pos(), PhotoViewer::ContainerPosition(available.size(), 8));
        QCOMPARE(m_viewer->minimumSize(), QSize(1022, 704));
        QCOMPARE(m_viewer->palette().color(QPalette::Window), QColor(Qt::black));

        // Sizes, fonts and colours.
        QCOMPARE(find(u"grpContainer"_s)->size(), QSize(995, 688));
        QCOMPARE(find(u"grpFoto"_s)->size(), QSize(729, 557));
        QCOMPARE(find(u"imgFoto"_s)->size(), QSize(715, 539));
        QCOMPARE(find(u"imgZoom"_s)->size(), QSize(25, 26));
        QCOMPARE(find(u"imgZoom"_s)->parentWidget(), find(u"grpFoto"_s));
        QCOMPARE(find(u"lblTitolo"_s)->size(), QSize(966, 38));
        QCOMPARE(find(u"lblDidascalia"_s)->size(), QSize(966, 28));
        auto* title = find<QLabel>(u"lblTitolo"_s);
        QCOMPARE(title->font().pixelSize(), 32);
        QVERIFY(title->font().bold());
        QCOMPARE(title->palette().color(QPalette::WindowText), QColor(166, 202, 240));
        auto* caption = find<QLabel>(u"lblDidascalia"_s);
        QCOMPARE(caption->font().pixelSize(), 19);
        QCOMPARE(caption->palette().color(QPalette::WindowText), QColor(100, 162, 230));

        // No status bar: the hints are tool tips and descriptions for assistive technology.
        const QList<std::pair<QString, QString>> hints = {
            {u"imgPrimo"_s, u" Visualizza prima foto in archivio. "_s},
            {u"imgIndietro"_s, u" Visualizza foto precedente in archivio. "_s},
            {u"imgAvanti"_s, u" Visualizza foto successiva in archivio. "_s},
            {u"imgUltimo"_s, u" Visualizza ultima foto in archivio. "_s},
            {u"imgZoom"_s, u" Visualizza la foto corrente a schermo intero. "_s}};
        for (const auto& [name, hint] : hints) {
            auto* cmd = find<CommandPicture>(name);
            QCOMPARE(cmd->Hint(), hint);
            QCOMPARE(cmd->toolTip(), hint.trimmed());
            QCOMPARE(cmd->accessibleDescription(), hint.trimmed());
            QCOMPARE(cmd->cursor().shape(), Qt::PointingHandCursor);
        }

        // From the introductory state, previous shows the first card.
        m_archive->SetPicture(1, TestFiles::MakeJpeg(QSize(50, 40)));
        click(u"imgIndietro"_s);
        QCOMPARE(position(), u"1"_s);
        QCOMPARE(text(u"lblTitolo"_s), u"Fulmine"_s);
        QCOMPARE(text(u"lblDidascalia"_s), u"didascalia"_s);
    }

    void navigation_followsTheIdentifiers_data()
    {
        QTest::addColumn<bool>("keys");
        QTest::newRow("pictures") << false;
        QTest::newRow("keys") << true;
    }
    void navigation_followsTheIdentifiers()
    {
        QFETCH(bool, keys);
        m_archive->Add(12, "Alfa");
        m_archive->Add(3, "Zeta");
        m_archive->Add(7, "Mira");
        open();
        auto first = [&] { keys ? key(Qt::Key_Home) : click(u"imgPrimo"_s); };
        auto previous = [&] { keys ? key(Qt::Key_Left) : click(u"imgIndietro"_s); };
        auto next = [&] { keys ? key(Qt::Key_Right) : click(u"imgAvanti"_s); };
        auto last = [&] { keys ? key(Qt::Key_End) : click(u"imgUltimo"_s); };
        next();
        QCOMPARE(position(), u"3"_s);
        QCOMPARE(text(u"lblTitolo"_s), u"Zeta"_s);
        next();
        QCOMPARE(position(), u"7"_s);
        next();
        QCOMPARE(position(), u"12"_s);
        next();
        QCOMPARE(position(), u"12"_s); // next on the last card: nothing changes
        QCOMPARE(text(u"lblTitolo"_s), u"Alfa"_s);
        previous();
        previous();
        QCOMPARE(position(), u"3"_s);
        previous();
        QCOMPARE(position(), u"3"_s);
        last();
        QCOMPARE(position(), u"12"_s);
        first();
        QCOMPARE(position(), u"3"_s);
        if (keys) {
            key(Qt::Key_PageDown); // as presentation remotes send
            QCOMPARE(position(), u"7"_s);
            key(Qt::Key_PageUp);
            QCOMPARE(position(), u"3"_s);
        } else {
            click(u"imgFoto"_s); // a click on the photo acts as next
            QCOMPARE(position(), u"7"_s);
        }
        QVERIFY(m_desktop->messages.isEmpty());

        // Opening again always starts from the introductory state; last shows the last card.
        m_viewer->hide();
        open();
        QCOMPARE(position(), QString());
        last();
        QCOMPARE(position(), u"12"_s);
    }

    void emptyArchive_keepsTheIntroductoryState()
    {
        open();
        QVERIFY(m_archive->HasTable()); // created when the viewer opened
        for (const QString& cmd :
             {u"imgPrimo"_s, u"imgIndietro"_s, u"imgAvanti"_s, u"imgUltimo"_s, u"imgFoto"_s})
            click(cmd);
        QCOMPARE(position(), QString());
        QCOMPARE(text(u"lblTitolo"_s), u"Visualizzatore foto"_s);
        QVERIFY(showsPlaceholder());
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void photos_areFittedIntoTheArea_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QRect>("drawn");
        QTest::newRow("1600x1200") << QSize(1600, 1200) << QRect(0, 1, 715, 536);
        QTest::newRow("600x400") << QSize(600, 400) << QRect(57, 69, 600, 400);
        QTest::newRow("539x1000") << QSize(539, 1000) << QRect(212, 0, 290, 539);
        QTest::newRow("1 pixel") << QSize(1, 1) << QRect(357, 269, 1, 1);
        QTest::newRow("larger than the screen") << QSize(3000, 2000) << QRect(0, 31, 715, 476);
    }
    void photos_areFittedIntoTheArea()
    {
        QFETCH(QSize, photo);
        QFETCH(QRect, drawn);
        m_archive->Add(1, "Foto", TestFiles::MakeJpegWith(photo, {.colour = 0xffcc2020}));
        open();
        key(Qt::Key_Home);
        QCOMPARE(m_viewer->Photo()->PictureSize(), photo);
        QCOMPARE(m_viewer->Photo()->FittedRect(), drawn);
        const QColor middle = middleColour();
        QVERIFY2(middle.red() > 180 && middle.blue() < 80, qPrintable(middle.name()));
    }

    void cardWithoutPhoto_showsThePlaceholderAtFullScreenToo()
    {
        m_archive->Add(1, "Con foto", TestFiles::MakeJpeg(QSize(300, 200)), "prima");
        m_archive->Add(2, "Senza foto", {}, "seconda");
        open();
        key(Qt::Key_Home);
        QVERIFY(!showsPlaceholder());
        key(Qt::Key_Right);
        QCOMPARE(text(u"lblTitolo"_s), u"Senza foto"_s);
        QCOMPARE(text(u"lblDidascalia"_s), u"seconda"_s);
        QVERIFY(showsPlaceholder());

        QSize zoomed;
        TestGui::WhenModal([&](QWidget* modal) {
            auto* zoom = qobject_cast<TfrmZoom*>(modal);
            QVERIFY(zoom);
            zoomed = zoom->Picture()->PictureSize();
            QCOMPARE(zoom->geometry(), m_viewer->screen()->geometry());
            QTest::mouseClick(zoom->Picture(), Qt::LeftButton); // a click closes it
        });
        click(u"imgZoom"_s);
        QCOMPARE(zoomed, QSize(715, 539));
        QVERIFY(m_desktop->messages.isEmpty());

        // A photo is decoded again for the whole screen.
        key(Qt::Key_Home);
        TestGui::WhenModal([&](QWidget* modal) {
            zoomed = qobject_cast<TfrmZoom*>(modal)->Picture()->PictureSize();
            modal->close();
        });
        click(u"imgZoom"_s);
        QCOMPARE(zoomed, QSize(300, 200));
    }

    void damagedPhotos_showThePlaceholderAndAreReportedOncePerStep()
    {
        const QByteArray good = TestFiles::MakeJpegWith(QSize(400, 300), {.colour = 0xff20cc20});
        m_archive->Add(1, "Buona", good, "verde");
        m_archive->Add(2, "Rovinata", QByteArray("\xff\xd8\xff\xe0 not really a photo"), "danneggiata");
        m_archive->Add(3, "Troncata", good.left(good.size() / 2), "a met\xe0");
        open();
        key(Qt::Key_Home);
        QVERIFY(!showsPlaceholder());
        key(Qt::Key_Right);
        // Never the previous card's photo under the new name.
        QCOMPARE(text(u"lblTitolo"_s), u"Rovinata"_s);
        QCOMPARE(text(u"lblDidascalia"_s), u"danneggiata"_s);
        QVERIFY(showsPlaceholder());
        QCOMPARE(m_desktop->messages.size(), 1);
        // The program's general error box, with the reason in words.
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QCOMPARE(m_desktop->messages[0].title, MakerInfo::ApplicationTitle());
        QCOMPARE(m_desktop->messages[0].text,
                 u"La foto della scheda 2 non pu\u00f2 essere visualizzata (file "
                 "incompleto). I dati testuali della scheda sono mostrati comunque."_s);

        // A truncated photo is shown as far as it goes, as on the card.
        key(Qt::Key_Right);
        QCOMPARE(text(u"lblDidascalia"_s), u"a met\u00e0"_s);
        QVERIFY(!showsPlaceholder());
        QCOMPARE(m_viewer->Photo()->FittedRect(), QRect(157, 119, 400, 300));
        QCOMPARE(m_desktop->messages.size(), 1);

        key(Qt::Key_Left);
        QCOMPARE(m_desktop->messages.size(), 2); // once more for this step, once only
        // Full screen shows what the viewer shows: the placeholder.
        QSize zoomed;
        TestGui::WhenModal([&](QWidget* modal) {
            zoomed = qobject_cast<TfrmZoom*>(modal)->Picture()->PictureSize();
            modal->close();
        });
        click(u"imgZoom"_s);
        QCOMPARE(zoomed, QSize(715, 539));
    }

    void cardDeletedElsewhere_whileShown()
    {
        for (qint64 id : {1, 2, 3, 4})
            m_archive->Add(id, QByteArray("Scheda ") + QByteArray::number(id));
        open();
        key(Qt::Key_End);
        key(Qt::Key_Left);
        QCOMPARE(position(), u"3"_s);
        m_archive->Remove(3);
        QCOMPARE(text(u"lblTitolo"_s), u"Scheda 3"_s); // shown as read until the next step
        key(Qt::Key_Right);
        QCOMPARE(position(), u"4"_s);
        key(Qt::Key_Left);
        QCOMPARE(position(), u"2"_s);
        m_archive->Remove(2);
        key(Qt::Key_Left); // from a card that is gone: the one before it
        QCOMPARE(position(), u"1"_s);
        QCOMPARE(text(u"lblTitolo"_s), u"Scheda 1"_s);
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void unreadableArchive_isReportedAndTheCardStays()
    {
        m_archive->Add(1, "Uno", TestFiles::MakeJpeg(QSize(60, 40)));
        m_archive->Add(2, "Due");
        open();
        key(Qt::Key_Home);
        m_archive->Spoil();
        key(Qt::Key_Right);
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QCOMPARE(position(), u"1"_s);
        QCOMPARE(text(u"lblTitolo"_s), u"Uno"_s);
        QVERIFY(!showsPlaceholder());
        m_archive->Restore();
        key(Qt::Key_Right);
        QCOMPARE(position(), u"2"_s);
    }

    void leaving_opensTheArchiveAgainHoweverItIsLeft_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Esc") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("accept") << 2;
    }
    void leaving_opensTheArchiveAgainHoweverItIsLeft()
    {
        QFETCH(int, how);
        m_archive->Add(1, "Uno");
        open();
        key(Qt::Key_Home);
        // Observed through the table: another copy drops it, and the viewer's closing creates it again.
        m_archive->DropTable();
        if (how == 0)
            key(Qt::Key_Escape);
        else if (how == 1)
            m_viewer->close();
        else
            m_viewer->accept();
        QVERIFY(!m_viewer->isVisible());
        QVERIFY(m_archive->HasTable());
        QVERIFY(m_desktop->messages.isEmpty());

        // A failure there is not reported; the window closes all the same.
        open();
        m_archive->Spoil();
        key(Qt::Key_Escape);
        QVERIFY(!m_viewer->isVisible());
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void longTexts_areDrawnSmallerNotCut()
    {
        const QByteArray longCaption(200, 'W');
        m_archive->Add(1, "Nome", {}, longCaption);
        open();
        key(Qt::Key_Home);
        auto* caption = find<QLabel>(u"lblDidascalia"_s);
        QCOMPARE(caption->text(), QString::fromLatin1(longCaption));
        QCOMPARE(caption->font().pixelSize(), 12);
        QCOMPARE(caption->toolTip(), caption->text()); // even the smallest size cannot hold it
        key(Qt::Key_Home);
        m_archive->Add(2, "Due", {}, "breve");
        key(Qt::Key_Right);
        QCOMPARE(caption->font().pixelSize(), 19);
        QCOMPARE(caption->toolTip(), QString());
    }

    void fromTheRecordCard_pagesAndZooms()
    {
        m_archive->Add(5, "Primo", TestFiles::MakeJpeg(QSize(800, 600)));
        m_archive->Add(8, "Secondo");
        RecordCard* card = m_screens->Card(TestArchive::Category());
        card->show();
        QStringList seen;
        TestGui::WhenModal([&](QWidget* modal) {
            QCOMPARE(modal, m_viewer);
            QTest::mouseClick(find(u"imgAvanti"_s), Qt::LeftButton);
            seen << position();
            QTest::mouseClick(find(u"imgFoto"_s), Qt::LeftButton);
            seen << position();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QTest::mouseClick(card->findChild<QWidget*>(u"cmdSfogliaFoto"_s), Qt::LeftButton);
        QCOMPARE(seen, (QStringList{u"5"_s, u"8"_s}));
        QVERIFY(!m_viewer->isVisible());
        QCOMPARE(card->CurrentCardId(), QString()); // the card is untouched: still the empty new card
    }
};

PROGRAM_TEST_MAIN(TestViewer)
#include "tst_viewer.moc"
