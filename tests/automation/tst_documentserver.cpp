// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/DocumentServer.h"
#include "automation/EAutomationError.h"
#include "automation/OfficeServers.h"
#include "card/WordExport.h"
#include "support/FakeDocumentDesk.h"
#include "support/OfficeFiles.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDomDocument>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace {

const QString TextNS = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0"_s;
const QString StyleNS = u"urn:oasis:names:tc:opendocument:xmlns:style:1.0"_s;
const QString FoNS = u"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"_s;
const QString TableNS = u"urn:oasis:names:tc:opendocument:xmlns:table:1.0"_s;
const QString DrawNS = u"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"_s;
const QString SvgNS = u"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"_s;
const QString XlinkNS = u"http://www.w3.org/1999/xlink"_s;

// The text of an element as a reader sees it: line breaks as "\n", tabs as "\t".
QString textOf(const QDomNode& node)
{
    QString text;
    for (QDomNode n = node.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isText())
            text += n.nodeValue();
        else if (n.localName() == u"line-break"_s)
            text += u'\n';
        else if (n.localName() == u"tab"_s)
            text += u'\t';
        else if (n.localName() == u"s"_s)
            text += QString(n.toElement().attributeNS(TextNS, u"c"_s, u"1"_s).toInt(), u' ');
        else
            text += textOf(n);
    }
    return text;
}

QList<QDomElement> elements(const QDomNode& parent, const QString& ns, const QString& name)
{
    QList<QDomElement> list;
    const QDomNodeList nodes = parent.toElement().elementsByTagNameNS(ns, name);
    for (int i = 0; i < nodes.size(); ++i)
        list << nodes.at(i).toElement();
    return list;
}

double points(const QString& length)
{
    return QString(length).remove(u"pt"_s).toDouble();
}

// An .odt file as the test reads it.
struct Odt
{
    explicit Odt(const QString& file)
        : path(file)
    {
        QString message;
        ok = content.setContent(OfficeFiles::ZipEntry(file, u"content.xml"_s), true, &message);
        for (const QDomElement& s : elements(content.documentElement(), StyleNS, u"style"_s))
            styles.insert(s.attributeNS(StyleNS, u"name"_s), s);
    }

    // A property of a named automatic style ("fo:font-weight" of "c12").
    QString styleProperty(const QString& style, const QString& property) const
    {
        const QDomElement s = styles.value(style);
        for (QDomElement p = s.firstChildElement(); !p.isNull(); p = p.nextSiblingElement()) {
            if (p.hasAttributeNS(FoNS, property))
                return p.attributeNS(FoNS, property);
        }
        return {};
    }

    QList<QDomElement> bodyParagraphs() const
    {
        QList<QDomElement> list;
        const QDomElement text = elements(content.documentElement(),
                                          u"urn:oasis:names:tc:opendocument:xmlns:office:1.0"_s, u"text"_s)
                                     .first();
        for (QDomElement e = text.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            list << e;
        return list;
    }

    QString path;
    bool ok = false;
    QDomDocument content;
    QHash<QString, QDomElement> styles;
};

} // namespace

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
        const Odt odt(path);
        QVERIFY(odt.ok);

        // The title: centred, Arial 10-point bold.
        const QList<QDomElement> body = odt.bodyParagraphs();
        QVERIFY(body.size() >= 5);
        QCOMPARE(textOf(body.first()), u"SCHEDA ANIMALE DOMESTICO"_s);
        QCOMPARE(odt.styleProperty(body.first().attributeNS(TextNS, u"style-name"_s), u"text-align"_s),
                 u"center"_s);
        const QDomElement titleSpan = elements(body.first(), TextNS, u"span"_s).first();
        const QString titleStyle = titleSpan.attributeNS(TextNS, u"style-name"_s);
        QCOMPARE(odt.styleProperty(titleStyle, u"font-weight"_s), u"bold"_s);
        QCOMPARE(odt.styleProperty(titleStyle, u"font-family"_s), u"Arial"_s);
        QCOMPARE(odt.styleProperty(titleStyle, u"font-size"_s), u"10pt"_s);

        // The picture: embedded as JPEG, centred, within the text width, its proportions kept.
        const QList<QDomElement> frames = elements(odt.content.documentElement(), DrawNS, u"frame"_s);
        QCOMPARE(frames.size(), 1);
        const double width = points(frames.first().attributeNS(SvgNS, u"width"_s));
        const double height = points(frames.first().attributeNS(SvgNS, u"height"_s));
        QVERIFY2(width <= 170 / 25.4 * 72 + 0.5 && width > 450, qPrintable(QString::number(width)));
        QVERIFY(qAbs(width / height - 4.0 / 3.0) < 0.01);
        const QDomElement pictureParagraph = frames.first().parentNode().parentNode().toElement();
        QCOMPARE(odt.styleProperty(pictureParagraph.attributeNS(TextNS, u"style-name"_s), u"text-align"_s),
                 u"center"_s);
        const QString href =
            elements(frames.first(), DrawNS, u"image"_s).first().attributeNS(XlinkNS, u"href"_s);
        const QByteArray embedded = OfficeFiles::ZipEntry(path, href);
        QVERIFY(embedded.startsWith("\xff\xd8\xff"));
        const QImage picture = QImage::fromData(embedded);
        QVERIFY(picture.width() <= qRound(642 * DocumentServer::PictureDetail) && picture.width() >= 1000);
        QVERIFY(OfficeFiles::ZipEntry(path, u"META-INF/manifest.xml"_s).contains(href.toUtf8()));

        // The table: 28 rows of a label and a value, justified.
        const QList<QDomElement> tables = elements(odt.content.documentElement(), TableNS, u"table"_s);
        QCOMPARE(tables.size(), 1);
        const QList<QDomElement> rows = elements(tables.first(), TableNS, u"table-row"_s);
        QCOMPARE(rows.size(), 28);
        QStringList labels, cells;
        for (const QDomElement& row : rows) {
            const QList<QDomElement> rowCells = elements(row, TableNS, u"table-cell"_s);
            QCOMPARE(rowCells.size(), 2);
            labels << textOf(rowCells.at(0));
            cells << textOf(rowCells.at(1)).remove(u'\t'); // the writer puts a tab before each line break
        }
        // Every cell has its borders.
        for (const QDomElement& cell : elements(tables.first(), TableNS, u"table-cell"_s)) {
            const QString style = cell.attributeNS(TableNS, u"style-name"_s);
            QVERIFY2(odt.styleProperty(style, u"border"_s).contains(u"solid"_s), qPrintable(style));
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
        const QDomElement valueParagraph = elements(rows.at(0), TextNS, u"p"_s).at(1);
        QCOMPARE(odt.styleProperty(valueParagraph.attributeNS(TextNS, u"style-name"_s), u"text-align"_s),
                 u"justify"_s);
        const QString valueStyle =
            elements(valueParagraph, TextNS, u"span"_s).first().attributeNS(TextNS, u"style-name"_s);
        QCOMPARE(odt.styleProperty(valueStyle, u"font-family"_s), u"Arial"_s);
        QCOMPARE(odt.styleProperty(valueStyle, u"font-size"_s), u"10pt"_s);
        QVERIFY(odt.styleProperty(valueStyle, u"font-weight"_s) != u"bold"_s);

        // Nothing but the finished document in the export folder.
        QCOMPARE(QDir(exportFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Rex.odt"_s});
    }

    void rotatedPhoto_isEmbeddedUpright()
    {
        TestFiles::JpegOptions rotated;
        rotated.exifOrientation = 6; // stored on its side, shown turned a quarter clockwise
        QVERIFY(exportCard({{1, u"Fido"_s}}, TestFiles::MakeJpegWith(QSize(300, 150), rotated)).ok);
        const QString path = QDir(exportFolder()).filePath(u"Fido.odt"_s);
        const Odt odt(path);
        const QDomElement frame = elements(odt.content.documentElement(), DrawNS, u"frame"_s).first();
        // Small pictures keep their own size.
        QCOMPARE(points(frame.attributeNS(SvgNS, u"width"_s)), 150 * 0.75);
        QCOMPARE(points(frame.attributeNS(SvgNS, u"height"_s)), 300 * 0.75);
        const QString href = elements(frame, DrawNS, u"image"_s).first().attributeNS(XlinkNS, u"href"_s);
        QCOMPARE(QImage::fromData(OfficeFiles::ZipEntry(path, href)).size(), QSize(150, 300));
    }

    void emptyCard_hasThePlaceholderAndEmptyValues()
    {
        QVERIFY(exportCard({}, QByteArray(), "Ricorrenze").ok);
        const QString path = QDir(exportFolder()).filePath(u"Scheda.odt"_s);
        const Odt odt(path);
        QVERIFY(odt.ok);
        const QList<QDomElement> rows = elements(odt.content.documentElement(), TableNS, u"table-row"_s);
        QCOMPARE(rows.size(), 28);
        QCOMPARE(textOf(elements(rows.at(12), TableNS, u"table-cell"_s).at(0)), u"Tipologia piume:"_s);
        const QDomElement frame = elements(odt.content.documentElement(), DrawNS, u"frame"_s).first();
        QCOMPARE(points(frame.attributeNS(SvgNS, u"width"_s)), 320 * 0.75);
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
