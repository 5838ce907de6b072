// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/EAutomationError.h"
#include "automation/OfficeServers.h"
#include "automation/SpreadsheetServer.h"
#include "export/ExcelTransfer.h"
#include "export/ExportGrid.h"
#include "storage/Win1252.h"
#include "support/FakeDocumentDesk.h"
#include "support/OfficeFiles.h"
#include "support/TestFiles.h"

#include "automation/VariantArray.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <malloc.h>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;
using Outcome = ExcelExportResult::Outcome;

namespace {

// A grid of the export screen's shape: headers with their leading blank, numbered rows, values.
TextGrid grid(int dataRows, const std::function<QString(int row, int column)>& value)
{
    TextGrid g(dataRows + 1, ExportGrid::ColumnCount);
    const QStringList headers = ExportGrid::Headers(*Categories::ByKey(u"Infanzia"_s));
    for (int c = 0; c < g.ColumnCount(); ++c)
        g.SetText(0, c, headers.at(c));
    for (int r = 1; r <= dataRows; ++r) {
        g.SetText(r, 0, QString::number(r));
        for (int c = 1; c < g.ColumnCount(); ++c)
            g.SetText(r, c, value(r, c));
    }
    return g;
}

// A column width in characters as the file stores it: with the cell padding of the default font's
// 7-pixel digits.
double storedWidth(double characters)
{
    return std::trunc((std::round(characters * 7) + 5) / 7 * 256) / 256;
}

QString columnLetter(int column)
{
    return QString(QChar(char16_t(u'A' + column - 1)));
}

int openDescriptors()
{
    return int(QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System).size());
}

// Bytes of the heap in use; 0 when the allocator keeps no such count (sanitizer builds).
std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace

class TestSpreadsheetServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<FakeDocumentDesk> m_desk;
    std::unique_ptr<Registry> m_registry;

    QString exportFolder() const { return m_folder->filePath(u"Esportazioni"_s); }

    // A new workbook's first sheet, straight through the object model.
    DispatchPtr newSheet(DispatchPtr& app)
    {
        app = m_registry->Create(u"Excel.Application"_s);
        app->GetObject(u"Workbooks"_s)->Call(u"Add"_s);
        return app->GetObject(u"Workbooks"_s, {Variant::I4(1)})->GetObject(u"WorkSheets"_s, {Variant::I4(1)});
    }

    ExcelExportResult transfer(const TextGrid& g, const QString& sheet = u"Archivio cani"_s)
    {
        return ExportGridToExcel(g, sheet, *m_registry);
    }

    // The file names in the export folder, hidden ones included.
    QStringList exported() const
    {
        return QDir(exportFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_desk = std::make_unique<FakeDocumentDesk>();
        m_registry = std::make_unique<Registry>();
        RegisterOfficeServers(*m_registry, *m_desk, exportFolder());
    }

    void workbook_holdsEveryValueAsText()
    {
        const QStringList samples = {u"007"_s,
                                     u"01/02/2024"_s,
                                     u"=SUM(1,2)"_s,
                                     u"   "_s,
                                     u" \u00e8 \u20ac \u201c \u201d "_s,
                                     QString(250, u'a'),
                                     QString(250, u'b') + u"..."_s,
                                     u"1e5"_s,
                                     u"TRUE"_s,
                                     u"a\tb\u0001c"_s};
        // Texts that look like the file's own escapes of characters.
        const QStringList escapes = {u"_x0041_"_s, u"_x005F_"_s, u"_x0041_x0042_"_s,
                                     u"_x0041\u0001_x00e8_z"_s, u"__x0000_x"_s};
        const int live = Dispatch::LiveObjects();
        const TextGrid g = grid(12, [&](int r, int c) {
            if (c == 1)
                return samples.value(r - 1);
            return c == 2 && r <= escapes.size() ? escapes.at(r - 1) : u"r%1c%2"_s.arg(r).arg(c);
        });
        const ExcelExportResult result = transfer(g);
        QVERIFY2(result.outcome == Outcome::Done, qPrintable(result.errorText));
        QCOMPARE(Dispatch::LiveObjects(), live);

        const QString path = QDir(exportFolder()).filePath(u"Archivio cani.xlsx"_s);
        QCOMPARE(exported(), QStringList{u"Archivio cani.xlsx"_s});
        QCOMPARE(m_desk->askedTypes, QStringList{QString(SpreadsheetServer::MimeType)});
        QCOMPARE(m_desk->opened, QStringList{path});
        // Not private like a temporary file: the permissions of any new file of the user.
        QVERIFY(TestFiles::WriteFile(m_folder->filePath(u"reference"_s), "x"));
        QCOMPARE(QFileInfo(path).permissions(), QFileInfo(m_folder->filePath(u"reference"_s)).permissions());

        const OfficeFiles::XlsxSheet sheet = OfficeFiles::ReadXlsx(path);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.name, u"Archivio cani"_s);
        QCOMPARE(sheet.lastRow, 13);
        // The selection is back on A1, which the file records by writing none.
        QVERIFY2(sheet.selection.isEmpty() || sheet.selection == u"A1"_s, qPrintable(sheet.selection));
        for (int r = 2; r <= 11; ++r) {
            const QString expected = Win1252::Trimmed(samples.value(r - 2));
            const OfficeFiles::XlsxCell cell = sheet.cell(u"B%1"_s.arg(r));
            QCOMPARE(cell.text, expected);
            QCOMPARE(cell.numberFormat, u"@"_s);
            if (!expected.isEmpty())
                QVERIFY2(cell.type == u"s"_s || cell.type == u"inlineStr"_s, qPrintable(cell.type));
        }
        for (int r = 2; r <= escapes.size() + 1; ++r)
            QCOMPARE(sheet.cell(u"C%1"_s.arg(r)).text, escapes.at(r - 2));
        // The header's leading blank does not reach the sheet; A1 is regular, B1 to Z1 bold.
        QCOMPARE(sheet.cell(u"A1"_s).text, u"N."_s);
        QVERIFY(!sheet.cell(u"A1"_s).bold);
        for (int c = 2; c <= 26; ++c)
            QVERIFY2(sheet.cell(columnLetter(c) + u'1').bold, qPrintable(columnLetter(c)));
        QCOMPARE(sheet.cell(u"B1"_s).text, u"Nome"_s);
        QVERIFY(!sheet.cell(u"B2"_s).bold);
        QCOMPARE(sheet.cell(u"A13"_s).text, u"12"_s);
        QVERIFY(sheet.cell(u"A13"_s).type == u"s"_s || sheet.cell(u"A13"_s).type == u"inlineStr"_s);
        QCOMPARE(sheet.cell(u"Z13"_s).text, u"r12c25"_s);

        // Widths from the longest text of each column: 253 characters are capped.
        QCOMPARE(sheet.columnWidths.value(2), storedWidth(255));
        QCOMPARE(sheet.columnWidths.value(1), storedWidth(SpreadsheetServer::AutoFitWidth(2)));
        // Column Z: "Specialit\u00e0", 10 characters.
        QCOMPARE(sheet.columnWidths.value(26), storedWidth(SpreadsheetServer::AutoFitWidth(10)));
    }

    void autoFitWidth_isCapped()
    {
        QCOMPARE(SpreadsheetServer::AutoFitWidth(10), 12.0);
        QCOMPARE(SpreadsheetServer::AutoFitWidth(300), 255.0);
    }

    void tenThousandRows_goInOneAssignment()
    {
        const TextGrid g = grid(10000, [](int r, int c) { return u"%1-%2"_s.arg(r).arg(c); });
        QCOMPARE(transfer(g).outcome, Outcome::Done);
        const OfficeFiles::XlsxSheet sheet =
            OfficeFiles::ReadXlsx(QDir(exportFolder()).filePath(u"Archivio cani.xlsx"_s));
        QVERIFY(sheet.error.isEmpty());
        QCOMPARE(sheet.lastRow, 10001);
        QCOMPARE(sheet.cell(u"Z10001"_s).text, u"10000-25"_s);
        QCOMPARE(sheet.cell(u"A10001"_s).text, u"10000"_s);
    }

    void largeArray_isKeptNotCopiedCellByCell()
    {
        auto array = std::make_shared<VariantArray>(20000, 26);
        for (int c = 1; c <= 26; ++c) {
            for (int r = 1; r <= 20000; ++r)
                array->Set(r, c, Variant::Str(u"r%1c%2"_s.arg(r).arg(c)));
        }
        DispatchPtr app;
        const DispatchPtr range =
            newSheet(app)->GetObject(u"Range"_s, {Variant::Str(u"A1"_s), Variant::Str(u"Z20000"_s)});
        std::size_t before = heapInUse();
        auto probe = std::make_unique<QByteArray>(1 << 20, 'x');
        const bool counted = heapInUse() >= before + (1 << 20);
        probe.reset();
        before = heapInUse();
        if (!counted)
            QSKIP("This allocator keeps no count of the heap in use.");
        range->Put(u"Value"_s, Variant::ArrayRef(array));
        // A copy of the cells would take tens of megabytes.
        QVERIFY2(heapInUse() < before + 64 * 1024, qPrintable(QString::number(heapInUse() - before)));
    }

    void laterCallsHideEarlierOnes()
    {
        DispatchPtr app;
        const DispatchPtr sheet = newSheet(app);
        const auto range = [&](const QString& reference) {
            return sheet->GetObject(u"Range"_s, {Variant::Str(reference)});
        };
        const auto value = [&](const QString& reference) {
            const Variant v = range(reference)->Get(u"Value"_s);
            return v.isEmpty() ? u"(vuota)"_s : v.ToString();
        };
        auto array = std::make_shared<VariantArray>(2, 2);
        array->Set(1, 1, Variant::Str(u"a1"_s));
        array->Set(1, 2, Variant::Bool(true));
        array->Set(2, 2, Variant::I4(22));
        range(u"A1:C3"_s)->Put(u"NumberFormat"_s, Variant::Str(u"@"_s));
        range(u"A1:C3"_s)->Put(u"Value"_s, Variant::ArrayRef(array));
        range(u"B2"_s)->Put(u"Value"_s, Variant::Str(u"b2"_s));
        range(u"B2"_s)->Put(u"NumberFormat"_s, Variant::Str(u"General"_s));
        range(u"A2:B2"_s)->Put(u"Value"_s, Variant::Str(u"riga"_s));
        range(u"C2"_s)->Put(u"Value"_s, Variant::I4(5));
        range(u"A1:B1"_s)->GetObject(u"Font"_s)->Put(u"Bold"_s, Variant::Bool(true));
        range(u"A1"_s)->GetObject(u"Font"_s)->Put(u"Bold"_s, Variant::Bool(false));
        // The caller's array changed afterwards: the sheet keeps what it was handed.
        array->Set(1, 1, Variant::Str(u"cambiato"_s));

        QCOMPARE(value(u"A1"_s), u"a1"_s);
        QCOMPARE(value(u"B1"_s), u"VERO"_s);
        QCOMPARE(value(u"C1"_s), u"#N/D"_s); // beyond the array
        QCOMPARE(value(u"B2"_s), u"riga"_s);
        QCOMPARE(value(u"C2"_s), u"5"_s);
        QCOMPARE(value(u"C3"_s), u"#N/D"_s);
        QCOMPARE(value(u"D4"_s), u"(vuota)"_s);

        app->Put(u"Visible"_s, Variant::Bool(true));
        const OfficeFiles::XlsxSheet written = OfficeFiles::ReadXlsx(m_desk->opened.value(0));
        QVERIFY2(written.error.isEmpty(), qPrintable(written.error));
        QCOMPARE(written.lastRow, 3);
        QCOMPARE(written.cell(u"A1"_s).text, u"a1"_s);
        QVERIFY(!written.cell(u"A1"_s).bold);
        QVERIFY(written.cell(u"B1"_s).bold);
        QCOMPARE(written.cell(u"B1"_s).type, u"b"_s);
        QCOMPARE(written.cell(u"A2"_s).numberFormat, u"@"_s);
        QCOMPARE(written.cell(u"B2"_s).numberFormat, u"General"_s);
        QCOMPARE(written.cell(u"B2"_s).text, u"riga"_s);
        QCOMPARE(written.cell(u"C2"_s).text, u"5"_s);
        QCOMPARE(written.cell(u"C3"_s).text, u"#N/D"_s);
        QCOMPARE(written.cell(u"C3"_s).numberFormat, u"@"_s);
    }

    void designedEmptyForm_givesEmptyTextCells()
    {
        QCOMPARE(transfer(ExportGrid::DesignedEmpty()).outcome, Outcome::Done);
        const OfficeFiles::XlsxSheet sheet =
            OfficeFiles::ReadXlsx(QDir(exportFolder()).filePath(u"Archivio cani.xlsx"_s));
        QVERIFY(sheet.error.isEmpty());
        QCOMPARE(sheet.cell(u"Z10"_s).numberFormat, u"@"_s);
        QVERIFY(sheet.cell(u"Z10"_s).text.isEmpty());
        QVERIFY(sheet.cell(u"C1"_s).bold);
        QVERIFY(!sheet.cells.contains(u"A11"_s));
    }

    void takenNames_getANumber()
    {
        const TextGrid g = grid(1, [](int, int) { return u"x"_s; });
        QCOMPARE(transfer(g).outcome, Outcome::Done);
        QCOMPARE(transfer(g).outcome, Outcome::Done);
        QCOMPARE(transfer(g).outcome, Outcome::Done);
        QCOMPARE(exported(), QStringList({u"Archivio cani (2).xlsx"_s, u"Archivio cani (3).xlsx"_s,
                                          u"Archivio cani.xlsx"_s}));
        QCOMPARE(m_desk->opened.last(), QDir(exportFolder()).filePath(u"Archivio cani (3).xlsx"_s));
    }

    void noProgramForWorkbooks_createsNoServerAndNoFile()
    {
        m_desk->hasHandlers = false;
        const ExcelExportResult result = transfer(grid(1, [](int, int) { return u"x"_s; }));
        QCOMPARE(result.outcome, Outcome::ServerNotCreated);
        QVERIFY(!QFileInfo::exists(exportFolder()));
        QVERIFY(m_desk->opened.isEmpty());
    }

    void exportFolderTakenByAFile_failsTheLastCall()
    {
        QVERIFY(TestFiles::WriteFile(exportFolder(), "not a folder"));
        const ExcelExportResult result = transfer(grid(1, [](int, int) { return u"x"_s; }));
        QCOMPARE(result.outcome, Outcome::ExportFailed);
        QCOMPARE(result.failedCall, 11);
        QVERIFY(result.errorText.contains(u"Esportazioni"_s));
        QCOMPARE(TestFiles::ReadFile(exportFolder()), QByteArray("not a folder"));
        QVERIFY(m_desk->opened.isEmpty());
    }

    void fileThatCannotBeOpened_failsTheLastCall()
    {
        m_desk->openSucceeds = false;
        const ExcelExportResult result = transfer(grid(1, [](int, int) { return u"x"_s; }));
        QCOMPARE(result.outcome, Outcome::ExportFailed);
        QCOMPARE(result.failedCall, 11);
        // The workbook itself is kept for the user.
        QCOMPARE(exported(), QStringList{u"Archivio cani.xlsx"_s});
    }

    void workbookNotWrittenWhole_failsAndLeavesNothing_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<qint64>("limit"); // -1: the rows fit in the library's temporary file, their copy not
        QTest::newRow("rows over the limit") << 3000 << qint64(256 * 1024);
        QTest::newRow("no room for the rows' copy") << 3000 << qint64(-1);
        QTest::newRow("small workbook") << 1 << qint64(1024);
    }
    void workbookNotWrittenWhole_failsAndLeavesNothing()
    {
        QFETCH(int, rows);
        QFETCH(qint64, limit);
        const TextGrid g = grid(rows, [](int r, int c) { return u"Valore %1 del campo %2"_s.arg(r).arg(c); });
        if (limit < 0) {
            // Just short of the sheet as the file holds it: header, rows, then the last row and the end,
            // which the library adds while closing.
            QCOMPARE(transfer(g).outcome, Outcome::Done);
            const QString path = m_desk->opened.takeLast();
            limit = OfficeFiles::ZipEntry(path, u"xl/worksheets/sheet1.xml"_s).size() - 100;
            QVERIFY(QFile::remove(path));
        }
        const int descriptors = openDescriptors();
        ExcelExportResult result;
        {
            TestFiles::FileSizeLimit full(limit);
            result = transfer(g);
        }
        QCOMPARE(result.outcome, Outcome::ExportFailed);
        QCOMPARE(result.failedCall, 11);
        QVERIFY(m_desk->opened.isEmpty());
        QCOMPARE(exported(), QStringList());
        // The library's temporaries, already unlinked, are closed too: their disk space is free again.
        QCOMPARE(openDescriptors(), descriptors);
    }

    void sheetNameRefused_failsTheNameCall_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("bracket") << u"Archivio [cani]"_s;
        QTest::newRow("slash") << u"cani/gatti"_s;
        QTest::newRow("32 characters") << QString(32, u'x');
        QTest::newRow("apostrophe first") << u"'cani"_s;
        QTest::newRow("empty") << QString();
    }
    void sheetNameRefused_failsTheNameCall()
    {
        QFETCH(QString, name);
        const ExcelExportResult result = transfer(grid(1, [](int, int) { return u"x"_s; }), name);
        QCOMPARE(result.outcome, Outcome::CallFailed);
        QCOMPARE(result.failedCall, 4);
        QVERIFY(!result.errorText.isEmpty());
        QVERIFY(!QFileInfo::exists(exportFolder()));
    }

    void longestSheetName_isAccepted()
    {
        const QString name = QString(30, u'x') + u"\u00e8"_s;
        QCOMPARE(transfer(grid(1, [](int, int) { return u"x"_s; }), name).outcome, Outcome::Done);
        QCOMPARE(OfficeFiles::ReadXlsx(QDir(exportFolder()).filePath(name + u".xlsx"_s)).name, name);
    }

    void objectModel_isStrict()
    {
        const DispatchPtr app = m_registry->Create(u"excel.application"_s);
        const auto fails = [](const std::function<void()>& call) {
            try {
                call();
            } catch (const EAutomationError&) {
                return true;
            }
            return false;
        };
        QVERIFY(fails([&] { app->Call(u"Quit"_s); }));
        QVERIFY(fails([&] { app->GetObject(u"Selection"_s); })); // no workbook yet
        // Names are matched without regard to case.
        app->GetObject(u"WORKBOOKS"_s)->Call(u"add"_s, {Variant::I2(-4167)});
        const DispatchPtr sheet =
            app->GetObject(u"Workbooks"_s, {Variant::I4(1)})->GetObject(u"worksheets"_s, {Variant::I4(1)});
        QVERIFY(fails([&] { app->GetObject(u"Workbooks"_s, {Variant::I4(2)}); }));
        QVERIFY(fails([&] { sheet->GetObject(u"Range"_s, {Variant::Str(u"A0"_s)}); }));
        QVERIFY(fails([&] {
            sheet->GetObject(u"Range"_s, {Variant::Str(u"A1"_s)})
                ->Put(u"Value"_s, Variant::Str(QString(32768, u'x')));
        }));
        QVERIFY(fails([&] { sheet->GetObject(u"Range"_s, {Variant::Str(u"A1"_s)})->Call(u"AutoFit"_s); }));
        QVERIFY(fails([&] {
            sheet->GetObject(u"Range"_s, {Variant::Str(u"A1"_s)})
                ->Put(u"NumberFormat"_s, Variant::Str(u"0.00"_s));
        }));
        sheet->GetObject(u"Range"_s, {Variant::Str(u"$B$2"_s)})->Put(u"Value"_s, Variant::Str(u"ok"_s));
        QCOMPARE(sheet->GetObject(u"Range"_s, {Variant::Str(u"B2"_s)})->Get(u"Value"_s).ToString(), u"ok"_s);
    }
};

QTEST_GUILESS_MAIN(TestSpreadsheetServer)
#include "tst_spreadsheetserver.moc"
