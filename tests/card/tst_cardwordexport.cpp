// SPDX-License-Identifier: GPL-3.0-or-later
// The record card's word-processor export as the user works it: the card on screen, its cmdWord, and the
// document the real document server writes (read back), or the calls a recording server receives.
#include "automation/DocumentServer.h"
#include "card/WordExport.h"
#include "card/ui/RecordCard.h"
#include "kit/Placeholders.h"
#include "program/MakerInfo.h"
#include "support/OfficeFiles.h"
#include "support/ProgramFixture.h"
#include "support/RecordingServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString OdtType = QString(DocumentServer::MimeType);

// What the card shows, to tell that an export left it as it was.
struct Shown
{
    CardValues values;
    QString position;
    QByteArray preview;
    bool operator==(const Shown&) const = default;
};

} // namespace

class TestCardWordExport : public QObject, ProgramFixture
{
    Q_OBJECT

    RecordCard* m_card = nullptr;

    const CategoryDescriptor& amici() const { return *Categories::ByKey(u"Amici"_s); }
    QString documentPath(const QString& name) const
    {
        return QDir(m_dir->filePath(u"Esportazioni"_s)).filePath(name);
    }
    QString picturePath() const { return m_dir->filePath(u"Scheda.bmp"_s); }
    Shown shown() const { return {m_card->Values(), m_card->CurrentCardId(), m_card->PreviewBytes()}; }

    void type(const QString& field, const QString& text) { enterText(m_card, field, text); }
    void loadPhoto(const QByteArray& jpeg, const QString& name)
    {
        const QString path = m_dir->filePath(name);
        QVERIFY(TestFiles::WriteFile(path, jpeg));
        m_desktop->files << path;
        m_card->LoadPhoto();
        QCOMPARE(m_card->PreviewBytes(), jpeg);
    }
    // Clicks cmdWord; the hourglass must be gone afterwards, whatever happened.
    void clickWord()
    {
        m_desktop->clear();
        QTest::mouseClick(m_card->findChild<QWidget*>(u"cmdWord"_s), Qt::LeftButton);
        QVERIFY(!busyCursorShown());
    }
    void verifyFailureShownOnce()
    {
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::None);
        QCOMPARE(m_desktop->messages[0].title, MakerInfo::ApplicationTitle());
        QCOMPARE(
            m_desktop->messages[0].text,
            u"Si \u00e8 verificato un errore imprevisto durante l'esportazione della scheda in Microsoft "
            "Word."_s);
    }

private slots:
    void init()
    {
        startProgram();
        m_card = m_screens->Card(amici());
        showExposed(m_card);
    }
    void cleanup() { stopProgram(); }

    void newEmptyCard_givesTitlePlaceholderAndTwentyEightLabels()
    {
        const Shown before = shown();
        QList<bool> busyWhenOpened;
        m_desktop->whileOpening = [&](const QUrl&) { busyWhenOpened << busyCursorShown(); };
        clickWord();
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(m_desktop->askedTypes, QStringList{OdtType});
        const QString path = documentPath(u"Scheda.odt"_s);
        QCOMPARE(m_desktop->opened, QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(busyWhenOpened, QList<bool>{true});
        QCOMPARE(shown(), before);

        const OfficeFiles::OdtDocument odt = OfficeFiles::ReadOdt(path);
        QVERIFY2(odt.error.isEmpty(), qPrintable(odt.error));
        QCOMPARE(odt.paragraphs.value(0).text, u"SCHEDA ANIMALE DOMESTICO"_s);
        QCOMPARE(odt.paragraphs.value(0).alignment, u"center"_s);
        QCOMPARE(odt.paragraphs.value(0).fontWeight, u"bold"_s);
        // The placeholder the card shows, at its own size, and in the picture file beside the program.
        QCOMPARE(odt.pictures.size(), 1);
        const QImage placeholder = QImage::fromData(Placeholders::Card().bytes);
        QCOMPARE(QImage::fromData(odt.pictures[0].bytes).size(), placeholder.size());
        QCOMPARE(odt.pictures[0].widthPoints, placeholder.width() * 0.75);
        QCOMPARE(TestFiles::ReadFile(picturePath()), Placeholders::Card().bytes);
        QCOMPARE(odt.rows.size(), 28);
        for (int r = 1; r <= 28; ++r) {
            QCOMPARE(odt.rows[r - 1].size(), 2);
            QCOMPARE(odt.rows[r - 1][0].text, WordExportLabel(r, amici()));
            QCOMPARE(odt.rows[r - 1][1].text, QString());
        }
        QCOMPARE(odt.rows[11][0].text, u"Colore mantello:"_s);
        QCOMPARE(odt.rows[14][0].text, u"Numero passaporto:"_s);
    }

    void valuesAsShown_unsavedEditsIncluded()
    {
        CardValues v;
        v[CardFields::Nome] = u"Fulmine"_s;
        v[CardFields::Razza] = u"Frisone"_s;
        v[CardFields::Telefono] = u"0123"_s;
        m_archive->Insert({v});
        m_card->ShowFirst();
        QCOMPARE(m_card->CurrentCardId(), u"1"_s);
        // Edited on screen, not saved.
        type(u"txtRazza"_s, u"  Maremmano  "_s);
        type(u"txtSesso"_s, u"   "_s);
        type(u"txtProprietario"_s, u"Tempesta \u00e8 \u20ac \u201cok\u201d"_s);
        type(u"txtNote"_s, u"riga 1\nriga 2\n\nriga 4"_s);
        type(u"txtDidascalia"_s, u"007"_s);
        const Shown before = shown();
        clickWord();
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(shown(), before);

        const OfficeFiles::OdtDocument odt = OfficeFiles::ReadOdt(documentPath(u"Fulmine.odt"_s));
        QVERIFY2(odt.error.isEmpty(), qPrintable(odt.error));
        QCOMPARE(odt.rows.size(), 28);
        for (const QList<OfficeFiles::OdtText>& row : odt.rows)
            QCOMPARE(row.size(), 2); // a cell never splits
        auto value = [&](int row) {
            return QString(odt.rows[row - 1][1].text).remove(u'\t'); // the writer puts a tab before a break
        };
        QCOMPARE(value(1), u"Fulmine"_s);
        QCOMPARE(value(2), u"Maremmano"_s);
        QCOMPARE(value(3), QString());
        QCOMPARE(value(6), u"Tempesta \u00e8 \u20ac \u201cok\u201d"_s);
        QCOMPARE(value(24), u"0123"_s);
        QCOMPARE(value(27), u"riga 1\nriga 2\n\nriga 4"_s);
        QCOMPARE(value(28), u"007"_s);
        // The archive still holds the saved card.
        QCOMPARE(m_archive->Read(1)[CardFields::Razza], u"Frisone"_s);
    }

    void photos_areEmbeddedUprightWithinThePage()
    {
        type(u"txtNome"_s, u"Grande"_s);
        const QByteArray large = TestFiles::MakeJpeg(QSize(4000, 3000));
        loadPhoto(large, u"grande.jpg"_s);
        clickWord();
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(TestFiles::ReadFile(picturePath()), large);
        const OfficeFiles::OdtDocument big = OfficeFiles::ReadOdt(documentPath(u"Grande.odt"_s));
        QCOMPARE(big.pictures.size(), 1);
        // Within the text width of an A4 page with 2 cm margins (170 mm), proportions kept.
        const double textWidth = 170 / 25.4 * 72;
        QVERIFY2(big.pictures[0].widthPoints <= textWidth + 0.5 &&
                     big.pictures[0].widthPoints > textWidth - 10,
                 qPrintable(QString::number(big.pictures[0].widthPoints)));
        QVERIFY(qAbs(big.pictures[0].widthPoints / big.pictures[0].heightPoints - 4.0 / 3.0) < 0.01);

        // A photo stored on its side, marked to be turned a quarter clockwise, is upright in the document.
        type(u"txtNome"_s, u"Girata"_s);
        TestFiles::JpegOptions rotated;
        rotated.exifOrientation = 6;
        const QByteArray sideways = TestFiles::MakeJpegWith(QSize(300, 150), rotated);
        loadPhoto(sideways, u"girata.jpg"_s);
        clickWord();
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(TestFiles::ReadFile(picturePath()), sideways); // the file's own bytes, not re-encoded
        const OfficeFiles::OdtDocument turned = OfficeFiles::ReadOdt(documentPath(u"Girata.odt"_s));
        QCOMPARE(turned.pictures.size(), 1);
        QCOMPARE(QImage::fromData(turned.pictures[0].bytes).size(), QSize(150, 300));
        QCOMPARE(turned.pictures[0].widthPoints, 150 * 0.75);
        QCOMPARE(turned.pictures[0].heightPoints, 300 * 0.75);
    }

    void pictureFileNotWritable_isReportedAndTheCardStays()
    {
        type(u"txtNome"_s, u"Rex"_s);
        QVERIFY(QDir().mkpath(picturePath())); // a folder where the picture file goes
        const Shown before = shown();
        QList<bool> cursorRestored;
        m_desktop->whileShown = [&](const FakeDesktop::Shown&) { cursorRestored << !busyCursorShown(); };
        clickWord();
        verifyFailureShownOnce();
        QCOMPARE(cursorRestored, QList<bool>{true});
        QVERIFY(m_desktop->opened.isEmpty());
        QVERIFY(QFileInfo(picturePath()).isDir());
        QCOMPARE(shown(), before);
    }

    void noProgramForDocuments_isReportedAndWritesNothing()
    {
        type(u"txtNome"_s, u"Rex"_s);
        m_desktop->typesWithoutHandler << OdtType;
        const Shown before = shown();
        clickWord();
        verifyFailureShownOnce();
        QVERIFY(m_desktop->opened.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir->filePath(u"Esportazioni"_s)));
        QVERIFY(!QFileInfo::exists(picturePath()));
        QCOMPARE(shown(), before);
    }

    void failingServer_atEveryCall_isReportedAndTheCardStays()
    {
        RecordingServer server;
        server.Install(m_screens->OfficeRegistry(), u"Word.Application"_s);
        type(u"txtNome"_s, u"Rex"_s);
        type(u"txtNote"_s, u"una\ndue"_s);
        clickWord();
        QVERIFY(m_desktop->messages.isEmpty());
        const int calls = server.Calls().size();
        QCOMPARE(calls, 468);
        QCOMPARE(server.Calls().last().Describe(), u"App.Visible put(VT_BOOL true)"_s);
        // The notes went with their line breaks, as shown.
        QVERIFY(server.Lines().contains(
            u"App.Selection.range.Tables.Item.Cell.range.InsertAfter method(VT_BSTR \"una\r\ndue\")"_s));

        const Shown before = shown();
        QList<bool> cursorRestored;
        m_desktop->whileShown = [&](const FakeDesktop::Shown&) { cursorRestored << !busyCursorShown(); };
        for (int k = 1; k <= calls; ++k) {
            server.Clear();
            server.FailAtCall(k);
            clickWord();
            const QByteArray where = QByteArray::number(k);
            QVERIFY2(server.Calls().size() == k, where);
            QVERIFY2(server.LiveObjects() == 0, where);
            QVERIFY2(m_desktop->messages.size() == 1, where);
            QVERIFY2(m_desktop->messages[0].icon == Desktop::Icon::None, where);
            QVERIFY2(m_desktop->messages[0].text == WordExportFailureMessage, where);
            QVERIFY2(shown() == before, where);
        }
        QCOMPARE(cursorRestored, QList<bool>(calls, true));

        server.Clear();
        server.FailCreation(true);
        clickWord();
        QVERIFY(server.Calls().isEmpty());
        verifyFailureShownOnce();
    }
};

PROGRAM_TEST_MAIN(TestCardWordExport)
#include "tst_cardwordexport.moc"
