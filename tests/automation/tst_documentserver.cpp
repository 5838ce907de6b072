// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/DocumentServer.h"
#include "automation/EAutomationError.h"
#include "automation/OdtWriter.h"
#include "automation/OfficeServers.h"
#include "automation/TextDocument.h"
#include "card/WordExport.h"
#include "support/FakeDocumentDesk.h"
#include "support/OfficeFiles.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

class TestDocumentServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<FakeDocumentDesk> m_desk;
    std::unique_ptr<Registry> m_registry;
    const QByteArray m_placeholder = TestFiles::MakeJpeg(QSize(320, 237));

    QString exportFolder() const { return m_folder->filePath(u"Esportazioni"_s); }

    WordExportResult exportCard(const QMap<int, QString>& values, const QByteArray& picture,
                                const char* key = "Amici")
    {
        return ExportCardToWord([&](int row) { return values.value(row); },
                                *Categories::ByKey(QString::fromLatin1(key)), picture, m_placeholder,
                                m_folder->path(), *m_registry);
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_desk = std::make_unique<FakeDocumentDesk>();
        m_registry = std::make_unique<Registry>();
        RegisterOfficeServers(*m_registry, *m_desk, exportFolder());
    }

    void documentText_neverSplitsAParagraph()
    {
        QCOMPARE(DocumentServer::DocumentText(u"a\r\nb\rc\nd\u2029e"_s), u"a\u2028b\u2028c\u2028d\u2028e"_s);
        QCOMPARE(DocumentServer::DocumentText(u"a\tb\u0001c\u007f"_s), u"a\tbc"_s);
    }

    void writer_needsEveryByteTaken()
    {
        DocumentServer::TextDocument document;
        document.InsertAfter(document.selection, u"Prima riga \u20ac"_s, document.typing);
        QBuffer memory;
        memory.open(QIODevice::WriteOnly);
        DocumentServer::OdtWriter::Write(document, memory);
        const QString path = m_folder->filePath(u"memoria.odt"_s);
        QVERIFY(TestFiles::WriteFile(path, memory.data()));
        const OfficeFiles::OdtDocument written = OfficeFiles::ReadOdt(path);
        QCOMPARE(written.paragraphs.size(), 1);
        QCOMPARE(written.paragraphs[0].text, u"Prima riga \u20ac"_s);

        // A device that takes the first 512 bytes only, as a full medium does.
        class FullDevice final : public QBuffer
        {
            qint64 writeData(const char* data, qint64 n) override
            {
                const qint64 room = 512 - size();
                return room > 0 ? QBuffer::writeData(data, qMin(n, room)) : -1;
            }
        } full;
        full.open(QIODevice::WriteOnly);
        QVERIFY_THROWS_EXCEPTION(EAutomationError, DocumentServer::OdtWriter::Write(document, full));
    }

    void card_becomesAnOpenDocument()
    {
        const QMap<int, QString> values = {{1, u"Rex"_s},
                                           {2, u"Pastore tedesco"_s},
                                           {12, u"nero focato"_s},
                                           {26, u"guardia \u00e8 \u20ac \u201cok\u201d"_s},
                                           {27, u"Prima riga\nSeconda riga\r\nTerza riga"_s},
                                           {28, u"In giardino"_s}};
        const int live = Dispatch::LiveObjects();
        const WordExportResult result = exportCard(values, TestFiles::MakeJpeg(QSize(4000, 3000)));
        QVERIFY2(result.ok, qPrintable(result.errorText));
        QCOMPARE(Dispatch::LiveObjects(), live);

        const QString path = QDir(exportFolder()).filePath(u"Rex.odt"_s);
        QCOMPARE(m_desk->askedTypes, QStringList{QString(DocumentServer::MimeType)});
        QCOMPARE(m_desk->opened, QStringList{path});
        const OfficeFiles::OdtDocument odt = OfficeFiles::ReadOdt(path);
        QVERIFY2(odt.error.isEmpty(), qPrintable(odt.error));

        // The title: centred, Arial 10-point bold.
        QVERIFY(odt.paragraphs.size() >= 4); // with the table, at least five parts of the body
        const OfficeFiles::OdtText& title = odt.paragraphs.first();
        QCOMPARE(title.text, u"SCHEDA ANIMALE DOMESTICO"_s);
        QCOMPARE(title.alignment, u"center"_s);
        QCOMPARE(title.fontWeight, u"bold"_s);
        QCOMPARE(title.fontFamily, u"Arial"_s);
        QCOMPARE(title.fontSize, u"10pt"_s);

        // The picture: embedded as JPEG, centred, within the text width, its proportions kept.
        QCOMPARE(odt.pictures.size(), 1);
        const OfficeFiles::OdtPicture& photo = odt.pictures.first();
        QVERIFY2(photo.widthPoints <= 170 / 25.4 * 72 + 0.5 && photo.widthPoints > 450,
                 qPrintable(QString::number(photo.widthPoints)));
        QVERIFY(qAbs(photo.widthPoints / photo.heightPoints - 4.0 / 3.0) < 0.01);
        QCOMPARE(photo.paragraphAlignment, u"center"_s);
        QVERIFY(photo.bytes.startsWith("\xff\xd8\xff"));
        const QImage picture = QImage::fromData(photo.bytes);
        QVERIFY(picture.width() <= qRound(642 * DocumentServer::PictureDetail) && picture.width() >= 1000);
        QVERIFY(photo.inManifest);

        // The table: 28 rows of a label and a value, justified, every cell with its borders.
        QCOMPARE(odt.tables, 1);
        QCOMPARE(odt.rows.size(), 28);
        QStringList labels, cells;
        for (const QList<OfficeFiles::OdtText>& row : odt.rows) {
            QCOMPARE(row.size(), 2);
            labels << row[0].text;
            cells << QString(row[1].text).remove(u'\t'); // the writer puts a tab before each line break
            for (const OfficeFiles::OdtText& cell : row)
                QVERIFY2(cell.border.contains(u"solid"_s), qPrintable(cell.text));
        }
        QCOMPARE(labels.at(0), u"Nome:"_s);
        QCOMPARE(labels.at(11), u"Colore mantello:"_s);
        QCOMPARE(labels.at(14), u"Numero passaporto:"_s);
        QCOMPARE(labels.at(25), u"Specialit\u00e0:"_s);
        QCOMPARE(cells.at(0), u"Rex"_s);
        QCOMPARE(cells.at(1), u"Pastore tedesco"_s);
        QCOMPARE(cells.at(2), QString());
        QCOMPARE(cells.at(25), u"guardia \u00e8 \u20ac \u201cok\u201d"_s);
        QCOMPARE(cells.at(26), u"Prima riga\nSeconda riga\nTerza riga"_s);
        QCOMPARE(cells.at(27), u"In giardino"_s);
        const OfficeFiles::OdtText& value = odt.rows[0][1];
        QCOMPARE(value.alignment, u"justify"_s);
        QCOMPARE(value.fontFamily, u"Arial"_s);
        QCOMPARE(value.fontSize, u"10pt"_s);
        QVERIFY(value.fontWeight != u"bold"_s);

        // Nothing but the finished document in the export folder.
        QCOMPARE(QDir(exportFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Rex.odt"_s});
    }

    void rotatedPhoto_isEmbeddedUpright()
    {
        TestFiles::JpegOptions rotated;
        rotated.exifOrientation = 6; // stored on its side, shown turned a quarter clockwise
        QVERIFY(exportCard({{1, u"Fido"_s}}, TestFiles::MakeJpegWith(QSize(300, 150), rotated)).ok);
        const OfficeFiles::OdtDocument odt =
            OfficeFiles::ReadOdt(QDir(exportFolder()).filePath(u"Fido.odt"_s));
        QCOMPARE(odt.pictures.size(), 1);
        // Small pictures keep their own size.
        QCOMPARE(odt.pictures[0].widthPoints, 150 * 0.75);
        QCOMPARE(odt.pictures[0].heightPoints, 300 * 0.75);
        QCOMPARE(QImage::fromData(odt.pictures[0].bytes).size(), QSize(150, 300));
    }

    void emptyCard_hasThePlaceholderAndEmptyValues()
    {
        QVERIFY(exportCard({}, QByteArray(), "Ricorrenze").ok);
        const OfficeFiles::OdtDocument odt =
            OfficeFiles::ReadOdt(QDir(exportFolder()).filePath(u"Scheda.odt"_s));
        QVERIFY(odt.error.isEmpty());
        QCOMPARE(odt.tables, 1);
        QCOMPARE(odt.rows.size(), 28);
        QCOMPARE(odt.rows[12][0].text, u"Tipologia piume:"_s);
        QCOMPARE(odt.pictures.value(0).widthPoints, 320 * 0.75);
        QCOMPARE(TestFiles::ReadFile(m_folder->filePath(u"Scheda.bmp"_s)), m_placeholder);
    }

    void fileNames_comeFromTheName()
    {
        const QByteArray photo = TestFiles::MakeJpeg(QSize(40, 30));
        QVERIFY(exportCard({{1, u"Rex"_s}}, photo).ok);
        QVERIFY(exportCard({{1, u" Rex "_s}}, photo).ok);
        QVERIFY(exportCard({{1, u"Rex/Fido: 1?"_s}}, photo).ok);
        QVERIFY(exportCard({{1, u"..."_s}}, photo).ok);
        QVERIFY(exportCard({{1, QString(300, u'\u00e8')}}, photo).ok);
        const QStringList files = QDir(exportFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QCOMPARE(files, QStringList({u"Rex (2).odt"_s, u"Rex.odt"_s, u"Rex_Fido_ 1_.odt"_s, u"Scheda.odt"_s,
                                     QString(100, u'\u00e8') + u".odt"_s}));
    }

    void longAndTakenNames_moveOnWithinTheFileSystemsBytes()
    {
        // 84 euro signs are 252 bytes: with ".odt" one more than a name may take.
        const QByteArray photo = TestFiles::MakeJpeg(QSize(40, 30));
        const QString euros(84, u'\u20ac');
        QVERIFY(exportCard({{1, euros}}, photo).ok);
        QVERIFY(exportCard({{1, euros}}, photo).ok);
        // A link leading nowhere holds a name as much as a file does.
        QVERIFY(QDir().mkpath(exportFolder()));
        QVERIFY(QFile::link(m_folder->filePath(u"nowhere"_s), QDir(exportFolder()).filePath(u"Fido.odt"_s)));
        QVERIFY(exportCard({{1, u"Fido"_s}}, photo).ok);
        const QStringList files = QDir(exportFolder()).entryList(QDir::Files | QDir::System | QDir::Hidden);
        QCOMPARE(files.size(), 4);
        QVERIFY(files.contains(QString(83, u'\u20ac') + u".odt"_s));
        QVERIFY(files.contains(QString(82, u'\u20ac') + u" (2).odt"_s));
        QVERIFY(files.contains(u"Fido (2).odt"_s));
        QVERIFY(QFileInfo(QDir(exportFolder()).filePath(u"Fido.odt"_s)).isSymLink());
    }

    void failedWrites_failTheExportAndLeaveNothing()
    {
        // A document that does not fit: the export fails, nothing is opened and no file stays.
        const QByteArray photo = TestFiles::MakeJpeg(QSize(40, 30));
        WordExportResult result;
        {
            TestFiles::FileSizeLimit full(photo.size() + 1024);
            result = exportCard({{1, u"Rex"_s}}, photo);
        }
        QVERIFY(!result.ok);
        QCOMPARE(result.failedStep, 23);
        QVERIFY(m_desk->opened.isEmpty());
        QCOMPARE(QDir(exportFolder()).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList());

        // A picture that does not fit: the earlier picture file stays whole, and no copy is left.
        const QString picture = m_folder->filePath(u"Scheda.bmp"_s);
        QCOMPARE(TestFiles::ReadFile(picture), photo);
        {
            TestFiles::FileSizeLimit full(photo.size() + 1024);
            result = exportCard({{1, u"Rex"_s}}, TestFiles::MakeJpeg(QSize(1600, 1200)));
        }
        QVERIFY(!result.ok);
        QCOMPARE(result.failedStep, 11);
        QVERIFY2(result.errorText.contains(u"File too large"_s), qPrintable(result.errorText));
        QCOMPARE(TestFiles::ReadFile(picture), photo);
        QCOMPARE(QDir(m_folder->path()).entryList({u"Scheda*"_s}, QDir::Files | QDir::Hidden),
                 QStringList{u"Scheda.bmp"_s});
    }

    void pictureFileAsALink_isReplacedNotWrittenThrough()
    {
        const QString elsewhere = m_folder->filePath(u"altrove.txt"_s);
        QVERIFY(TestFiles::WriteFile(elsewhere, "da non toccare"));
        const QString picture = m_folder->filePath(u"Scheda.bmp"_s);
        QVERIFY(QFile::link(elsewhere, picture));
        const QByteArray photo = TestFiles::MakeJpeg(QSize(40, 30));
        QVERIFY(exportCard({{1, u"Rex"_s}}, photo).ok);
        QCOMPARE(TestFiles::ReadFile(elsewhere), "da non toccare"_ba);
        QVERIFY(!QFileInfo(picture).isSymLink());
        QCOMPARE(TestFiles::ReadFile(picture), photo);
    }

    void noProgramForText_createsNoServer()
    {
        m_desk->hasHandlers = false;
        const WordExportResult result = exportCard({{1, u"Rex"_s}}, TestFiles::MakeJpeg(QSize(40, 30)));
        QVERIFY(!result.ok);
        QCOMPARE(result.failedStep, 0);
        QVERIFY(!QFileInfo::exists(exportFolder()));
        QVERIFY(!QFileInfo::exists(m_folder->filePath(u"Scheda.bmp"_s)));
    }

    void exportFolderTakenByAFile_failsTheLastStep()
    {
        QVERIFY(TestFiles::WriteFile(exportFolder(), "x"));
        const WordExportResult result = exportCard({{1, u"Rex"_s}}, TestFiles::MakeJpeg(QSize(40, 30)));
        QVERIFY(!result.ok);
        QCOMPARE(result.failedStep, 23);
        QVERIFY(m_desk->opened.isEmpty());
    }

    void unreadablePicture_failsAddPicture()
    {
        const WordExportResult result = exportCard({{1, u"Rex"_s}}, QByteArray("not a picture"));
        QVERIFY(!result.ok);
        QCOMPARE(result.failedStep, 12);
    }

    void objectModel_isStrict()
    {
        const DispatchPtr app = m_registry->Create(u"word.application"_s);
        const auto fails = [](const std::function<void()>& call) {
            try {
                call();
            } catch (const EAutomationError&) {
                return true;
            }
            return false;
        };
        QVERIFY(fails([&] { app->GetObject(u"Selection"_s); })); // no document yet
        app->GetObject(u"documents"_s)->Call(u"ADD"_s);
        const DispatchPtr selection = app->GetObject(u"Selection"_s);
        QVERIFY(fails([&] { app->Call(u"Quit"_s); }));
        QVERIFY(fails([&] { selection->Call(u"TypeText"_s, {Variant::Str(u"x"_s)}); }));
        QVERIFY(fails([&] { selection->Call(u"EndOf"_s, {Variant::I4(6)}); }));
        QVERIFY(
            fails([&] { selection->GetObject(u"ParagraphFormat"_s)->Put(u"Alignment"_s, Variant::I4(9)); }));
        QVERIFY(fails([&] {
            selection->GetObject(u"InlineShapes"_s)
                ->Call(u"AddPicture"_s, {Variant::Str(u"x"_s), Variant::Bool(true)});
        }));
        const DispatchPtr range = selection->GetObject(u"Range"_s);
        const DispatchPtr tables = range->GetObject(u"Tables"_s);
        // Tables.Add needs its range by position or by name, and the table's size.
        QVERIFY(fails([&] {
            tables->Call(u"Add"_s,
                         {Named(u"NumRows"_s, Variant::I4(2)), Named(u"NumColumns"_s, Variant::I4(2))});
        }));
        QVERIFY(fails([&] {
            tables->Call(u"Add"_s, {Variant::Object(tables), Variant::I4(2), Variant::I4(2)});
        }));
        tables->Call(u"Add"_s, {Variant::Object(range), Variant::I4(2), Variant::I4(2)});
        // Item and Cell are methods, not properties.
        QVERIFY(fails([&] {
            app->GetObject(u"Selection"_s)
                ->GetObject(u"range"_s)
                ->GetObject(u"Tables"_s)
                ->GetObject(u"Item"_s, {Variant::I4(1)});
        }));
        const DispatchPtr table = app->GetObject(u"Selection"_s)
                                      ->GetObject(u"range"_s)
                                      ->GetObject(u"Tables"_s)
                                      ->CallObject(u"Item"_s, {Variant::I4(1)});
        QVERIFY(fails([&] { table->GetObject(u"Cell"_s, {Variant::I4(1), Variant::I4(1)}); }));
        QVERIFY(fails([&] { table->CallObject(u"Cell"_s, {Variant::I4(3), Variant::I4(1)}); }));
        QVERIFY(table->CallObject(u"Cell"_s, {Variant::I4(2), Variant::I4(2)}));
    }
};

QTEST_MAIN(TestDocumentServer)
#include "tst_documentserver.moc"
