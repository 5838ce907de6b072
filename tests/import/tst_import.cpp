// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/AutomationRegistry.h"
#include "automation/ExportFolder.h"
#include "automation/OfficeServers.h"
#include "export/ExcelTransfer.h"
#include "export/ExportGrid.h"
#include "import/ArchiveCardSource.h"
#include "import/CardImport.h"
#include "import/CellText.h"
#include "import/ColumnMapping.h"
#include "import/CsvSource.h"
#include "import/DuplicateKeys.h"
#include "import/ImportCommand.h"
#include "import/ImportError.h"
#include "import/TableCardSource.h"
#include "program/Console.h"
#include "storage/CardFields.h"
#include "support/FakeDocumentDesk.h"
#include "support/TestArchive.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <xlsxwriter.h>
#include <zip.h>

using namespace Qt::Literals::StringLiterals;
using Outcome = ImportReport::Outcome;

namespace {

const CategoryDescriptor& horses()
{
    return TestArchive::Category();
}

// Writes a zip of the given members (name, bytes), deflated unless stored is set.
bool writeZip(const QString& path, const QList<std::pair<QString, QByteArray>>& members, bool stored = false)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return false;
    for (const auto& [name, bytes] : members) {
        zip_source_t* s = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = zip_file_add(z, name.toUtf8().constData(), s, ZIP_FL_OVERWRITE);
        if (index < 0)
            return false;
        zip_set_file_compression(z, zip_uint64_t(index), stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
    }
    return zip_close(z) == 0;
}

// Every card of the archive in folder, in ID order: its 36 texts.
QList<CardValues> cardsIn(const QString& folder)
{
    QList<CardValues> cards;
    CategoryStore store(horses(), folder);
    if (!QFileInfo::exists(store.DatabasePath()))
        return cards;
    store.OpenArchive(store.QueryAll() + u" ORDER BY ID"_s);
    TSQLiteTable& rows = *store.Cursor();
    for (rows.GoFirst(); !rows.AtEnd(); rows.GoNext())
        cards.append(CategoryStore::ReadCard(rows));
    return cards;
}

QStringList names(const QList<CardValues>& cards)
{
    QStringList list;
    for (const CardValues& c : cards)
        list.append(c[CardFields::Nome]);
    return list;
}

// The cards the round trip exports: every exported field filled, with the texts a spreadsheet likes to
// take for something else, and one value beyond the export's 250-character cut.
QList<QMap<QString, QString>> sampleCards()
{
    QList<QMap<QString, QString>> cards;
    for (int n = 0; n < 4; ++n) {
        QMap<QString, QString> card;
        for (const int f : ExportGrid::Fields)
            card.insert(QString(CardFields::All[std::size_t(f)].column),
                        u"c%1 f%2 Perch\u00e9 citt\u00e0 \u20ac"_s.arg(n).arg(f));
        cards.append(card);
    }
    cards[0][u"varNome"_s] = u"_x0041_ Rex"_s;
    cards[0][u"varDataNasc"_s] = u"12/03/2020"_s;
    cards[0][u"varPeso"_s] = u"12.5"_s;
    cards[0][u"varMicrochip"_s] = u"007"_s;
    cards[0][u"varPrezzo"_s] = u"=SUM(1,2)"_s;
    cards[0][u"varSterilizzato"_s] = u"TRUE"_s;
    cards[1][u"varAlimentazione"_s] = u"fieno\nbiada, avena"_s;
    cards[1][u"varSegni"_s] = QString(300, u'x');
    cards[2] = {{u"varNome"_s, u"Solo nome"_s}};
    return cards;
}

// The same texts as source's exported ones: the 25 exported fields, the cut aside.
void compareExported(const QList<CardValues>& imported, const QList<CardValues>& source)
{
    QCOMPARE(imported.size(), source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        for (const int f : ExportGrid::Fields) {
            const QString want = ExportGrid::CellText(source[i][std::size_t(f)]);
            QCOMPARE(imported[i][std::size_t(f)], want);
        }
        QVERIFY(imported[i][CardFields::Note].isEmpty());
    }
}

int runCommand(const QString& folder, const QStringList& arguments, QString* output = nullptr)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    Console console{folder, arguments, o, e};
    const int code = ImportCommand::Run(console);
    o.flush();
    e.flush();
    if (output)
        *output = out + err;
    return code;
}

ImportReport importTable(const QString& folder, const QString& path, const ImportOptions& options = {},
                         bool write = true)
{
    TableCardSource source(TableFile::ForPath(path));
    source.SetMapping(ColumnMapping::FromHeaders(source.Headers(), horses()));
    return RunImport(source, horses(), folder, options, write);
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString target() const
    {
        QDir().mkpath(path(u"target"_s));
        return path(u"target"_s);
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void csv_readsWhatSpreadsheetsWrite()
    {
        // Separator from the header, quotes doubled, line breaks inside quotes, CRLF and LF, a blank line.
        const QByteArray text = "Nome,Note,Razza\r\n\"Rex, il \"\"primo\"\"\",\"riga 1\r\nriga 2\",Alano\n\n"
                                "Fido,,\"\"\r\n";
        QVERIFY(TestFiles::WriteFile(path(u"a.csv"_s), text));
        CsvSource csv(path(u"a.csv"_s), TableFile::Encoding::Detect);
        QCOMPARE(csv.Separator(), ',');
        TableRow row;
        QVERIFY(csv.Next(row));
        QCOMPARE(row.cells, (QStringList{u"Nome"_s, u"Note"_s, u"Razza"_s}));
        QVERIFY(csv.Next(row));
        QCOMPARE(row.cells, (QStringList{u"Rex, il \"primo\""_s, u"riga 1\nriga 2"_s, u"Alano"_s}));
        QCOMPARE(row.number, 2);
        QVERIFY(csv.Next(row));
        QCOMPARE(row.cells, (QStringList{u"Fido"_s, QString(), QString()}));
        QCOMPARE(row.number, 4);
        QVERIFY(!csv.Next(row));

        QVERIFY(TestFiles::WriteFile(path(u"b.csv"_s), "Nome;Razza, incrocio\nRex;\"a;b\"\n"));
        CsvSource semi(path(u"b.csv"_s), TableFile::Encoding::Detect);
        QCOMPARE(semi.Separator(), ';');
        QVERIFY(semi.Next(row) && semi.Next(row));
        QCOMPARE(row.cells, (QStringList{u"Rex"_s, u"a;b"_s}));
    }

    void csv_windows1252AndUtf8WithBomImportTheSame()
    {
        const QString text =
            u"Nome;Razza;Codice microchip;Specialit\u00e0\r\nPerch\u00e9;Citt\u00e0 \u20ac;123;\u00ab\u00e8\u00bb\r\n"_s;
        QVERIFY(TestFiles::WriteFile(path(u"win.csv"_s), *Win1252::Encode(text)));
        QVERIFY(TestFiles::WriteFile(path(u"utf.csv"_s), "\xEF\xBB\xBF" + text.toUtf8()));
        QCOMPARE(CsvSource::Detect(*Win1252::Encode(text)), TableFile::Encoding::Windows1252);
        QCOMPARE(CsvSource::Detect(text.toUtf8()), TableFile::Encoding::Utf8);
        QDir().mkpath(path(u"w"_s));
        QDir().mkpath(path(u"u"_s));
        QCOMPARE(importTable(path(u"w"_s), path(u"win.csv"_s)).outcome, Outcome::Imported);
        QCOMPARE(importTable(path(u"u"_s), path(u"utf.csv"_s)).outcome, Outcome::Imported);
        const auto w = cardsIn(path(u"w"_s));
        QCOMPARE(w.size(), 1);
        QCOMPARE(w, cardsIn(path(u"u"_s)));
        QCOMPARE(w[0][CardFields::Specialita], u"\u00ab\u00e8\u00bb"_s);
        QCOMPARE(w[0][15], u"123"_s);
    }

    void badFiles_getAMessageAndChangeNothing()
    {
        TestArchive archive(target());
        archive.AddNamed(1, u"Gi\u00e0 qui"_s);
        const QByteArray before = TestFiles::ReadFile(archive.Path());
        QString out;
        auto check = [&](const QString& name, const QByteArray& bytes, int code, const QString& says) {
            QVERIFY(TestFiles::WriteFile(path(name), bytes));
            QCOMPARE(runCommand(target(), {path(name), u"--archive"_s, u"Cavalli"_s}, &out), code);
            QVERIFY2(out.contains(says), qPrintable(out));
            QCOMPARE(TestFiles::ReadFile(archive.Path()), before);
        };
        check(u"empty.csv"_s, {}, 2, u"vuoto"_s);
        check(u"binary.csv"_s, QByteArray("Nome\n\0\1\2", 8), 2, u"byte nulli"_s);
        check(u"ragged.csv"_s, "Nome;Razza\nA;x\nB\nC;x;y\nD;x\n", 1, u"riga 3: 1 campo invece di 2"_s);
        QVERIFY(out.contains(u"riga 4: 3 campi invece di 2"_s));
        // The reason in Italian, not libzip's English words.
        check(u"damaged.xlsx"_s, "PK\3\4 not really a zip", 2, u"zip leggibile (formato non riconosciuto)"_s);
        check(u"noheader.ods"_s, {}, 2, u"zip"_s);
        // A member that unpacks to more than 100 times its compressed size.
        QVERIFY(writeZip(path(u"bomb.xlsx"_s), {{u"xl/workbook.xml"_s, QByteArray(4 << 20, ' ')}}));
        QCOMPARE(runCommand(target(), {path(u"bomb.xlsx"_s), u"--archive"_s, u"Cavalli"_s}, &out), 2);
        QVERIFY2(out.contains(u"bomba zip"_s), qPrintable(out));
        // Unknown archive, missing file.
        QCOMPARE(runCommand(target(), {path(u"ragged.csv"_s), u"--archive"_s, u"Draghi"_s}, &out), 2);
        QCOMPARE(runCommand(target(), {path(u"missing.csv"_s), u"--archive"_s, u"Cavalli"_s}, &out), 2);
        QCOMPARE(TestFiles::ReadFile(archive.Path()), before);
    }

    void duplicatesAndUnrepresentableText_areTheUsersChoice()
    {
        TestArchive archive(target());
        archive.AddTexts(7, {{u"varNome"_s, u"Rex"_s}, {u"varMicrochip"_s, u"380 26000 1234"_s}});
        archive.AddTexts(8, {{u"varNome"_s, u"Luna"_s}, {u"varDataNasc"_s, u"01/02/2020"_s}});
        QVERIFY(TestFiles::WriteFile(path(u"d.csv"_s), u"Nome animale;Chip;Data nascita\n"
                                                       "Altro;38026000 1234;\n" // the archive's chip
                                                       "LUNA;;01/02/2020\n"     // name and birth
                                                       "Nuovo;999;\n"
                                                       "Nuovo bis;999;\n" // an earlier row's chip
                                                       "Luna;;\n"         // no birth: no duplicate
                                                       "Stella \u2713;;\n"_s.toUtf8()));
        QString out;
        QCOMPARE(runCommand(target(),
                            {path(u"d.csv"_s), u"--archive"_s, u"cavalli.db"_s, u"--skip-duplicates"_s},
                            &out),
                 1);
        QVERIFY2(out.contains(u"\u00ab\u2713\u00bb (U+2713)"_s), qPrintable(out));
        QCOMPARE(cardsIn(target()).size(), 2);

        ImportOptions options;
        options.unrepresentable = ImportOptions::Unrepresentable::Replace;
        ImportReport refused = importTable(target(), path(u"d.csv"_s), options);
        QCOMPARE(refused.outcome, Outcome::Problems);
        QCOMPARE(refused.duplicateRows, 3);
        QCOMPARE(refused.duplicates[0].row, 2);
        QVERIFY(refused.duplicates[0].text.contains(u"scheda n. 7"_s));
        QCOMPARE(refused.duplicates[1].row, 3);
        QCOMPARE(refused.duplicates[2].text, u"stesso microchip della riga 4"_s);
        QCOMPARE(cardsIn(target()).size(), 2);

        options.duplicates = ImportOptions::Duplicates::Skip;
        const ImportReport skipped = importTable(target(), path(u"d.csv"_s), options);
        QCOMPARE(skipped.outcome, Outcome::Imported);
        QCOMPARE(skipped.accepted, 3);
        QCOMPARE(names(cardsIn(target())),
                 (QStringList{u"Rex"_s, u"Luna"_s, u"Nuovo"_s, u"Luna"_s, u"Stella ?"_s}));
        QVERIFY(skipped.Text(u"d.csv"_s, horses()).contains(u"sostituiti con \u00ab?\u00bb"_s));

        options.duplicates = ImportOptions::Duplicates::Include;
        options.unrepresentable = ImportOptions::Unrepresentable::Skip;
        const ImportReport all = importTable(target(), path(u"d.csv"_s), options, false);
        QCOMPARE(all.outcome, Outcome::Ready);
        QCOMPARE(all.accepted, 5); // everything but the row with the check mark; now all are duplicates
        QCOMPARE(all.skippedRows, 1);
    }

    // Past its memory's share, the keys move to a temporary file: every key met before is still found,
    // with where it was first met.
    void duplicateKeys_areFoundOnceMovedToDisk()
    {
        DuplicateKeys keys(3);
        for (quint64 k = 1; k <= 10; ++k)
            QCOMPARE(keys.FindOrAdd(k * 0x9e3779b97f4a7c15u, qint64(k) + 1), 0);
        QVERIFY(keys.OnDisk());
        for (quint64 k = 1; k <= 10; ++k)
            QCOMPARE(keys.FindOrAdd(k * 0x9e3779b97f4a7c15u, 99), qint64(k) + 1);
        QCOMPARE(keys.FindOrAdd(11, -7), 0);
        QCOMPARE(keys.FindOrAdd(11, 99), -7);
    }

    void photos_areCheckedAsTheCardLoadsThem()
    {
        const QByteArray jpeg = TestFiles::MakeJpeg(QSize(64, 48));
        QDir().mkpath(path(u"foto"_s));
        QVERIFY(TestFiles::WriteFile(path(u"foto/rex.jpg"_s), jpeg));
        QVERIFY(TestFiles::WriteFile(path(u"foto/rotta.jpg"_s), jpeg.left(jpeg.size() / 2)));
        const QString csv =
            u"Nome;Foto\nRex;foto/rex.jpg\nAssoluto;%1\nManca;foto/no.jpg\nRotta;foto/rotta.jpg\n"_s.arg(
                path(u"foto/rex.jpg"_s));
        QVERIFY(TestFiles::WriteFile(path(u"p.csv"_s), csv.toUtf8()));
        const ImportReport report = importTable(target(), path(u"p.csv"_s));
        QCOMPARE(report.outcome, Outcome::Problems);
        QCOMPARE(report.problemRows, 2);
        QVERIFY(report.problems[0].text.contains(u"non trovata"_s));
        QCOMPARE(report.problems[1].row, 5);
        QVERIFY(report.problems[1].text.contains(u"non caricabile"_s));
        QVERIFY(cardsIn(target()).isEmpty());

        QVERIFY(TestFiles::WriteFile(path(u"p.csv"_s), csv.section(u'\n', 0, 2).toUtf8()));
        QCOMPARE(importTable(target(), path(u"p.csv"_s)).outcome, Outcome::Imported);
        TestArchive archive(target());
        QCOMPARE(TestFiles::RunSqliteTool(archive.Path(),
                                          u"SELECT count(*) FROM amici WHERE picture = x'%1'"_s.arg(
                                              QString::fromLatin1(jpeg.toHex()))),
                 u"2"_s);
    }

    void import_isAllOrNothing()
    {
        QString csv = u"Nome;Razza\n"_s;
        for (int i = 0; i < 500; ++i)
            csv += u"Cane %1;Razza %1\n"_s.arg(i);
        QVERIFY(TestFiles::WriteFile(path(u"many.csv"_s), csv.toUtf8()));
        TestArchive archive(target());
        archive.AddNamed(1, u"Primo"_s);

        // Cancelled halfway: nothing stays.
        TableCardSource cancelled(TableFile::ForPath(path(u"many.csv"_s)));
        cancelled.SetMapping(ColumnMapping::FromHeaders(cancelled.Headers(), horses()));
        int calls = 0;
        const ImportReport c =
            RunImport(cancelled, horses(), target(), {}, true, [&](double) { return ++calls < 3; });
        QCOMPARE(c.outcome, Outcome::Cancelled);
        QCOMPARE(c.rowsRead, c.accepted); // the row in hand when cancelled is not counted as read
        QCOMPARE(c.ExitCode(), 3);
        QCOMPARE(cardsIn(target()).size(), 1);

        // Another copy holds the archive's write lock: the import fails whole and says so.
        {
            TSQLiteDatabase other(archive.Path());
            other.StartTransaction();
            QString out;
            QCOMPARE(runCommand(target(), {path(u"many.csv"_s), u"--archive"_s, u"Cavalli"_s}, &out), 3);
            QVERIFY(out.contains(u"l'archivio \u00e8 invariato"_s));
        }
        QCOMPARE(cardsIn(target()).size(), 1);

        // The dry run changes nothing, not even a missing archive; then the import stores every row.
        QString out;
        QCOMPARE(runCommand(path(u"none"_s),
                            {path(u"many.csv"_s), u"--archive"_s, u"Cavalli"_s, u"--dry-run"_s}, &out),
                 0);
        QVERIFY(!QFileInfo::exists(path(u"none"_s)));
        QVERIFY(out.contains(u"Schede da aggiungere: 500"_s));
        QCOMPARE(runCommand(target(), {path(u"many.csv"_s), u"--archive"_s, u"Cavalli"_s}, &out), 0);
        QVERIFY2(out.contains(u"Schede aggiunte: 500"_s), qPrintable(out));
        const auto cards = cardsIn(target());
        QCOMPARE(cards.size(), 501);
        QCOMPARE(cards.last()[CardFields::Razza], u"Razza 499"_s);
    }

    void mapping_followsHeaders()
    {
        const QStringList headers = ExportGrid::Headers(horses());
        const QList<int> map = ColumnMapping::FromHeaders(headers, horses());
        QCOMPARE(map[0], ColumnMapping::Ignored); // the running number
        for (int i = 1; i < headers.size(); ++i)
            QCOMPARE(map[i], ExportGrid::Fields[std::size_t(i - 1)]);
        QCOMPARE(ColumnMapping::FromHeaders({u"Nome animale"_s, u"CHIP"_s, u"data di nascita:"_s, u"Nome"_s,
                                             u"Colore piumaggio"_s, u"Foto"_s, u"Boh"_s},
                                            horses()),
                 (QList<int>{CardFields::Nome, 15, CardFields::DataNasc, ColumnMapping::Ignored,
                             CardFields::Colore, ColumnMapping::Photo, ColumnMapping::Ignored}));
    }

    void cellTexts_areReadExactly()
    {
        QCOMPARE(CellText::DecodeEscapes(u"_x0041__x005F_x0042_ _x00e8_ _xZZ_"_s),
                 u"A_x0042_ \u00e8 _xZZ_"_s);
        QCOMPARE(CellText::Number(u"12.5"_s), u"12,5"_s);
        QCOMPARE(CellText::Number(u"1E-3"_s), u"0,001"_s);
        QCOMPARE(CellText::SerialDate(u"43902"_s, false), u"12/03/2020"_s);
        QCOMPARE(CellText::SerialDate(u"59"_s, false), u"28/02/1900"_s);
        QCOMPARE(CellText::SerialDate(u"0"_s, true), u"01/01/1904"_s);
    }

    // A workbook made by another program: numbers, dates, formulas with cached values, booleans, text
    // formats, inline strings (libxlsxwriter writes those in its low-memory mode).
    void xlsx_readsValuesAsShown_data()
    {
        QTest::addColumn<bool>("inlineStrings");
        QTest::newRow("shared strings") << false;
        QTest::newRow("inline strings") << true;
    }
    void xlsx_readsValuesAsShown()
    {
        QFETCH(bool, inlineStrings);
        const QString file = path(u"w.xlsx"_s);
        lxw_workbook_options o{};
        o.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
        lxw_workbook* wb = workbook_new_opt(QFile::encodeName(file).constData(), &o);
        workbook_add_worksheet(wb, "Primo");
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Animali");
        lxw_format* date = workbook_add_format(wb);
        format_set_num_format(date, "dd/mm/yyyy");
        lxw_format* text = workbook_add_format(wb);
        format_set_num_format(text, "@");
        const char* head[] = {"Nome",       "Peso", "Data di nascita", "Prezzo", "Sterilizzato",
                              "Passaporto", "Note"};
        for (int c = 0; c < 7; ++c)
            worksheet_write_string(ws, 0, lxw_col_t(c), head[c], nullptr);
        worksheet_write_string(ws, 1, 0, "Rex _x0041_", nullptr);
        worksheet_write_number(ws, 1, 1, 12.5, nullptr);
        lxw_datetime dt = {2020, 3, 12, 0, 0, 0};
        worksheet_write_datetime(ws, 1, 2, &dt, date);
        worksheet_write_formula_num(ws, 1, 3, "=B2*2", nullptr, 25);
        worksheet_write_boolean(ws, 1, 4, 1, nullptr);
        worksheet_write_number(ws, 1, 5, 7, text);
        worksheet_write_string(ws, 1, 6, "riga 1\nriga 2", nullptr);
        worksheet_write_string(ws, 3, 0, "Fido", nullptr); // after an empty row
        QCOMPARE(workbook_close(wb), LXW_NO_ERROR);

        TableFile f = TableFile::ForPath(file);
        QCOMPARE(SheetNames(f), (QStringList{u"Primo"_s, u"Animali"_s}));
        f.sheet = 1;
        const TablePreview preview = PreviewTable(f);
        QCOMPARE(preview.headers.size(), 7);
        QCOMPARE(preview.rows.size(), 2);
        QCOMPARE(preview.rows[0], (QStringList{u"Rex A"_s, u"12,5"_s, u"12/03/2020"_s, u"25"_s, u"VERO"_s,
                                               u"7"_s, u"riga 1\nriga 2"_s}));
        QCOMPARE(preview.rows[1], QStringList{u"Fido"_s});
        QCOMPARE(preview.numbers, (QList<qint64>{2, 4})); // the screen names rows as the report does
    }

    // Repeated rows of an .ods are never expanded: a million empty rows cost nothing.
    void ods_repeatedRowsAreCountedNotExpanded()
    {
        const QByteArray content =
            "<?xml version=\"1.0\"?><office:document-content "
            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
            "<table:table table:name=\"Foglio1\">"
            "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Nome</text:p></table:table-cell>"
            "<table:table-cell office:value-type=\"string\"><text:p>Peso</text:p></table:table-cell></table:table-row>"
            "<table:table-row table:number-rows-repeated=\"1000000\"><table:table-cell "
            "table:number-columns-repeated=\"16384\"/></table:table-row>"
            "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Rex<text:s text:c=\"2\"/>"
            "il<text:line-break/>primo</text:p><office:annotation><text:p>nota</text:p></office:annotation>"
            "</table:table-cell><table:table-cell office:value-type=\"float\" office:value=\"3.25\"><text:p>3,25"
            "</text:p></table:table-cell></table:table-row>"
            "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell office:value-type=\"date\" "
            "office:date-value=\"2021-05-04\"/></table:table-row>"
            "</table:table></office:spreadsheet></office:body></office:document-content>";
        QVERIFY(writeZip(path(u"r.ods"_s), {{u"content.xml"_s, content}}));
        const auto table = OpenTable(TableFile::ForPath(path(u"r.ods"_s)));
        TableRow row;
        QVERIFY(table->Next(row));
        QVERIFY(table->Next(row));
        QCOMPARE(row.number, 1000002);
        QCOMPARE(row.cells, (QStringList{u"Rex  il\nprimo"_s, u"3,25"_s}));
        QVERIFY(table->Next(row) && table->Next(row));
        QCOMPARE(row.number, 1000004);
        QCOMPARE(row.cells, QStringList{u"04/05/2021"_s});
        QVERIFY(!table->Next(row));
    }

    // The program's own export read back gives the same texts; so do LibreOffice's conversions of that
    // workbook to .ods and CSV (made by hand and kept as test data).
    void roundTrip_ofTheProgramsOwnExport()
    {
        const QString source = path(u"source"_s);
        QDir().mkpath(source);
        TestArchive archive(source);
        const auto samples = sampleCards();
        for (qsizetype i = 0; i < samples.size(); ++i)
            archive.AddTexts(i + 1, samples[i]);
        FileArchiveStore store(horses(), source);
        TextGrid grid = ExportGrid::DesignedEmpty();
        QVERIFY(ExportGrid::LoadExportGrid(store, grid));
        FakeDocumentDesk desk;
        Automation::Registry registry;
        Automation::RegisterOfficeServers(registry, desk, ExportFolder::Path(source));
        QCOMPARE(ExportGridToExcel(grid, Categories::SheetName(horses()), registry).outcome,
                 ExcelExportResult::Outcome::Done);
        const QString workbook = QDir(source).filePath(u"Esportazioni/Archivio cavalli.xlsx"_s);
        if (const QByteArray keep = qgetenv("CODAZZURRA_KEEP_EXPORT"); !keep.isEmpty())
            QFile::copy(workbook, QString::fromLocal8Bit(keep));

        const QList<CardValues> original = cardsIn(source);
        const QString data = QStringLiteral(IMPORT_TEST_DATA);
        for (const QString& file :
             {workbook, data + u"/Archivio cavalli.ods"_s, data + u"/Archivio cavalli.csv"_s}) {
            const QString into = path(QFileInfo(file).suffix());
            QDir().mkpath(into);
            QString out;
            const int code = runCommand(into, {file, u"--archive"_s, u"Cavalli"_s}, &out);
            QVERIFY2(code == 0 && out.contains(u"Schede aggiunte: 4"_s), qPrintable(file + u'\n' + out));
            compareExported(cardsIn(into), original);
        }
    }

    // Another program folder, or a backup of it: cards with photos and attachments, and their schedule
    // rows with the card IDs remapped.
    void folderAndBackup_bringTheirScheduleAlong()
    {
        const QString other = path(u"other"_s);
        QDir().mkpath(other);
        TestArchive from(other);
        const QByteArray jpeg = TestFiles::MakeJpeg(QSize(32, 24));
        from.AddTexts(5, {{u"varNome"_s, u"Rex"_s}, {u"varFile01"_s, u"/home/a/doc.pdf"_s}}, jpeg);
        from.AddTexts(9, {{u"varNome"_s, u"Luna"_s}, {u"varMicrochip"_s, u"42"_s}});
        {
            TSQLiteDatabase db(from.Path());
            db.ExecuteStatement(
                u"CREATE TABLE Scadenze (ID INTEGER PRIMARY KEY, IDScheda INTEGER NOT NULL, Tipo TEXT "
                "NOT NULL, Descrizione TEXT, Scadenza TEXT NOT NULL, RipetiMesi INTEGER NOT NULL "
                "DEFAULT 0, Note TEXT)"_s);
            db.ExecuteStatement(
                u"CREATE TABLE Trattamenti (ID INTEGER PRIMARY KEY, IDScheda INTEGER NOT NULL, "
                "IDScadenza INTEGER, Tipo TEXT, Descrizione TEXT, Data TEXT, Note TEXT)"_s);
            db.ExecuteStatement(
                u"INSERT INTO Scadenze VALUES (3,5,'Vaccinazione','Annuale','2027-01-10',12,NULL),"
                "(4,9,'Visita',NULL,'2027-02-01',0,'x')"_s);
            db.ExecuteStatement(
                u"INSERT INTO Trattamenti VALUES (1,5,3,'Vaccinazione','Annuale','2026-01-10',NULL),"
                "(2,9,NULL,'Altro','a mano','2026-03-01',NULL)"_s);
        }
        TestArchive into(target());
        into.AddTexts(1, {{u"varNome"_s, u"Gi\u00e0 qui"_s}, {u"varMicrochip"_s, u"42"_s}});
        QVERIFY(writeZip(path(u"Codazzurra 2026-12-01 10.00.00.zip"_s),
                         {{u"Cavalli.db"_s, TestFiles::ReadFile(from.Path())}, {u"Manifest.txt"_s, "x"}},
                         true));

        QString out;
        QCOMPARE(runCommand(target(), {other, u"--archive"_s, u"Cavalli"_s}, &out),
                 1); // Luna's chip is taken
        QCOMPARE(runCommand(target(), {other, u"--archive"_s, u"Cavalli"_s, u"--skip-duplicates"_s}, &out),
                 0);
        QVERIFY2(out.contains(u"Scadenze importate: 1"_s) && out.contains(u"Trattamenti importati: 1"_s),
                 qPrintable(out));
        const QString db = into.Path();
        QCOMPARE(TestFiles::RunSqliteTool(
                     db, u"SELECT ID, varFile01, length(picture) FROM amici WHERE varNome='Rex'"_s),
                 u"2|/home/a/doc.pdf|%1"_s.arg(jpeg.size()));
        QCOMPARE(TestFiles::RunSqliteTool(db,
                                          u"SELECT s.IDScheda, s.Tipo, t.IDScheda, t.IDScadenza = s.ID FROM "
                                          "Scadenze s, Trattamenti t"_s),
                 u"2|Vaccinazione|2|1"_s);

        // The backup generation gives the same cards; all are duplicates now.
        QCOMPARE(runCommand(target(),
                            {path(u"Codazzurra 2026-12-01 10.00.00.zip"_s), u"--archive"_s, u"Cavalli"_s,
                             u"--include-duplicates"_s},
                            &out),
                 0);
        QCOMPARE(names(cardsIn(target())), (QStringList{u"Gi\u00e0 qui"_s, u"Rex"_s, u"Rex"_s, u"Luna"_s}));
        QCOMPARE(TestFiles::RunSqliteTool(db, u"SELECT group_concat(IDScheda) FROM Scadenze"_s), u"2,3,4"_s);
        QCOMPARE(runCommand(target(), {path(u"nothing.zip"_s), u"--archive"_s, u"Cavalli"_s}, &out), 2);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
