// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/VariantArray.h"
#include "export/ExcelTransfer.h"
#include "export/ExportGrid.h"
#include "storage/CategoryStore.h"
#include "storage/FileArchiveStore.h"
#include "support/RecordingServer.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;
using Outcome = ExcelExportResult::Outcome;

namespace {

const CategoryDescriptor& category(const char* key)
{
    return *Categories::ByKey(QString::fromLatin1(key));
}

// A filled grid of rows x 26 with recognisable texts, blanks around each.
TextGrid sampleGrid(int rows)
{
    TextGrid grid(rows, ExportGrid::ColumnCount);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < grid.ColumnCount(); ++c)
            grid.SetText(r, c, u"  r%1c%2 "_s.arg(r).arg(c));
    }
    return grid;
}

// The calls the transfer makes, as the recording server describes them, for a grid ending at lastCell.
QStringList expectedCalls(const QString& lastCell, const QString& sheetName, int rows)
{
    const QString range = u"App.Workbooks.WorkSheets.Range"_s;
    QStringList calls = {
        u"App.Visible put(VT_BOOL false)"_s,
        u"App.Workbooks get()"_s,
        u"App.Workbooks.Add method(VT_I2 -4167)"_s,
        u"App.Workbooks get(VT_I4 1)"_s,
        u"App.Workbooks.WorkSheets get(VT_I4 1)"_s,
        u"App.Workbooks.WorkSheets.Name put(VT_BSTR \"%1\")"_s.arg(sheetName),
        u"App.Workbooks.WorkSheets.Range get(VT_BSTR \"A1\", VT_BSTR \"%1\")"_s.arg(lastCell),
        range + u".Select method()"_s,
        u"App.Selection get()"_s,
        u"App.Selection.NumberFormat put(VT_BSTR \"@\")"_s,
        u"App.Workbooks.WorkSheets.Range get(VT_BSTR \"A1\", VT_BSTR \"%1\")"_s.arg(lastCell),
        range + u".Value put(VT_BYREF|VT_ARRAY|VT_VARIANT [1..%1, 1..26])"_s.arg(rows),
    };
    for (int c = 2; c <= 26; ++c) {
        calls << u"App.Application get()"_s << u"App.Application.Cells get(VT_I4 1, VT_I4 %1)"_s.arg(c)
              << u"App.Application.Cells.Font get()"_s
              << u"App.Application.Cells.Font.Bold put(VT_BOOL true)"_s;
    }
    calls << u"App.Columns get(VT_BSTR \"A:Z\")"_s << u"App.Columns.EntireColumn get()"_s
          << u"App.Columns.EntireColumn.AutoFit method()"_s << u"App.Cells get(VT_I4 1, VT_I4 1)"_s
          << u"App.Cells.Select method()"_s << u"App.Visible put(VT_BOOL true)"_s;
    return calls;
}

// The numbered call of the transfer that the k-th automation call (from 1) belongs to.
int transferCallOf(int k)
{
    static const int invocations[] = {1, 2, 2, 1, 2, 2, 2, 100, 3, 2, 1};
    int last = 0;
    for (int call = 1; call <= 11; ++call) {
        last += invocations[call - 1];
        if (k <= last)
            return call;
    }
    return 0;
}

CardValues card(std::initializer_list<std::pair<int, QString>> fields)
{
    CardValues v;
    for (const auto& [index, text] : fields)
        v[std::size_t(index)] = text;
    return v;
}

} // namespace

class TestExcelExport : public QObject
{
    Q_OBJECT

    Registry m_registry;
    RecordingServer m_server;

private slots:
    void init()
    {
        m_server.Clear();
        m_server.Install(m_registry, u"Excel.Application"_s);
    }

    void cellReference_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("reference");
        QTest::newRow("first") << 1 << 1 << u"A1"_s;
        QTest::newRow("twelve rows") << 12 << 26 << u"Z12"_s;
        QTest::newRow("designed form") << 10 << 26 << u"Z10"_s;
        QTest::newRow("no leading zeros") << 10001 << 2 << u"B10001"_s;
    }
    void cellReference()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, reference);
        QCOMPARE(CellReference(row, column), reference);
    }
    void cellReference_refusesWhatOneLetterCannotName()
    {
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, CellReference(1, 27));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, CellReference(1, 0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, CellReference(0, 1));
    }

    void cellText_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        const QString a250 = QString(250, u'a');
        QTest::newRow("blanks around") << u" \t Rex \r\n"_s << u"Rex"_s;
        QTest::newRow("blanks only") << u"   "_s << QString();
        QTest::newRow("no-break space stays") << u"\u00a0Rex\u00a0"_s << u"\u00a0Rex\u00a0"_s;
        QTest::newRow("250, whole") << a250 << a250;
        QTest::newRow("250 with blanks, trimmed")
            << (u"  "_s + QString(246, u'a') + u"  "_s) << QString(246, u'a');
        QTest::newRow("251, cut") << (a250 + u'b') << (a250 + u"..."_s);
        QTest::newRow("251 with a leading blank, cut untrimmed")
            << (u' ' + a250) << (u' ' + QString(249, u'a') + u"..."_s);
    }
    void cellText()
    {
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QCOMPARE(ExportGrid::CellText(value), shown);
    }

    void headersAndForms_followTheCategory()
    {
        const QStringList amici = ExportGrid::Headers(category("Amici"));
        QCOMPARE(amici.size(), 26);
        QCOMPARE(amici.first(), u" N."_s);
        QCOMPARE(amici.at(11), u" Colore mantello"_s);
        QCOMPARE(amici.at(12), u" Tipologia pelo"_s);
        QCOMPARE(amici.at(14), u" Numero passaporto"_s);
        QCOMPARE(amici.last(), u" Specialit\u00e0"_s);
        const QStringList birds = ExportGrid::Headers(category("Ricorrenze"));
        QCOMPARE(birds.at(11), u" Colore piumaggio"_s);
        QCOMPARE(birds.at(12), u" Tipologia piume"_s);
        QCOMPARE(Categories::SheetName(category("Hobby")), u"Archivio altri animali"_s);

        const TextGrid designed = ExportGrid::DesignedEmpty();
        QCOMPARE(designed.RowCount(), 10);
        QCOMPARE(designed.ColumnCount(), 26);
        for (int c = 0; c < 26; ++c) {
            QCOMPARE(designed.ColumnWidth(c), c == 6 ? 208 : 100);
            for (int r = 0; r < 10; ++r)
                QVERIFY(designed.Text(r, c).isEmpty());
        }
        // The 25 shown fields are the card's single-line fields but the size.
        QCOMPARE(QString(CardFields::All[std::size_t(ExportGrid::Fields[9])].column), u"varPeso"_s);
        QCOMPARE(QString(CardFields::All[std::size_t(ExportGrid::Fields[24])].column), u"varSpecialita"_s);
    }

    void loading_readsOnlyTheShownColumnsInInsertionOrder()
    {
        QTemporaryDir dir;
        FileArchiveStore archive(category("Ricorrenze"), dir.path());
        CategoryStore& store = archive.Store();
        TextGrid grid = ExportGrid::DesignedEmpty();
        // An archive that does not exist yet is created; the grid keeps its designed form.
        QVERIFY(!ExportGrid::LoadExportGrid(archive, grid));
        QCOMPARE(grid.RowCount(), 10);
        QVERIFY(grid.Text(0, 1).isEmpty());
        QVERIFY(!ExportGrid::LoadExportGrid(archive, grid));

        const QString photo = dir.filePath(u"photo.jpg"_s);
        QVERIFY(TestFiles::WriteFile(photo, QByteArray(2 * 1024 * 1024, 'J')));
        store.OpenArchive(store.QueryFirst());
        store.SaveCard({}, card({{CardFields::Nome, u"Primo"_s}}), photo);
        const qint64 second = store.InsertCard(card({{CardFields::Nome, u"Secondo"_s}}));
        store.InsertCard(card({{CardFields::Nome, u"  Terzo  "_s},
                               {CardFields::Colore, u"giallo"_s},
                               {25, u"canto"_s},
                               {9, u"piccola"_s}}));
        store.InsertCard(card({{CardFields::Nome, u"Quarto"_s}, {CardFields::Telefono, QString(300, u'7')}}));
        store.DeleteCard(second);

        QVERIFY(ExportGrid::LoadExportGrid(archive, grid));
        const TSQLiteTable& read = *store.Cursor();
        QCOMPARE(read.ColumnCount(), 25);
        QVERIFY(!read.ColumnNames().contains(u"Picture"_s, Qt::CaseInsensitive));
        QVERIFY(!store.QueryFieldsOfAll(ExportGrid::Fields).contains(u'*'));

        QCOMPARE(grid.RowCount(), 4);
        QCOMPARE(grid.Text(0, 11), u" Colore piumaggio"_s);
        QCOMPARE(grid.Text(1, 0), u"1"_s);
        QCOMPARE(grid.Text(1, 1), u"Primo"_s);
        // No gap in the numbering where a card was deleted.
        QCOMPARE(grid.Text(2, 0), u"2"_s);
        QCOMPARE(grid.Text(2, 1), u"Terzo"_s);
        QCOMPARE(grid.Text(2, 11), u"giallo"_s);
        QCOMPARE(grid.Text(2, 25), u"canto"_s);
        // The size (varTaglia) is not shown: column 10 is the weight.
        QVERIFY(!grid.Text(2, 10).contains(u"piccola"_s));
        QCOMPARE(grid.Text(3, 0), u"3"_s);
        QCOMPARE(grid.Text(3, 23), QString(250, u'7') + u"..."_s);
        for (int c = 0; c < 26; ++c)
            QCOMPARE(grid.ColumnWidth(c), ExportGrid::FilledWidths()[std::size_t(c)]);
        QCOMPARE(grid.ColumnWidth(0), 50);
        QCOMPARE(grid.ColumnWidth(13), 300);

        // A later filling with fewer cards leaves no rows of the earlier one behind.
        store.OpenArchive(store.QueryFirst());
        store.DeleteCard(1);
        QVERIFY(ExportGrid::LoadExportGrid(archive, grid));
        QCOMPARE(grid.RowCount(), 3);
        QCOMPARE(grid.Text(1, 1), u"Terzo"_s);
    }

    void transferArray_isTheTrimmedGridBoundedFromOne()
    {
        TextGrid grid = sampleGrid(3);
        grid.SetText(0, 1, u" Nome"_s);
        grid.SetText(2, 5, u"   "_s);
        const auto array = TransferArray(grid);
        QCOMPARE(array->UpperBound(1), 3);
        QCOMPARE(array->UpperBound(2), 26);
        QCOMPARE(array->At(1, 1).ToString(), u"r0c0"_s);
        // The header keeps its leading blank on screen only.
        QCOMPARE(array->At(1, 2).ToString(), u"Nome"_s);
        QCOMPARE(array->At(3, 26).ToString(), u"r2c25"_s);
        QCOMPARE(array->At(3, 6).type(), Variant::Type::String);
        QVERIFY(array->At(3, 6).ToString().isEmpty());
        for (int r = 1; r <= 3; ++r) {
            for (int c = 1; c <= 26; ++c)
                QCOMPARE(array->At(r, c).type(), Variant::Type::String);
        }
    }

    void transfer_makesTheElevenCallsInOrder()
    {
        const int live = Dispatch::LiveObjects();
        const ExcelExportResult result = ExportGridToExcel(sampleGrid(12), u"Archivio cavalli"_s, m_registry);
        QCOMPARE(result.outcome, Outcome::Done);
        QCOMPARE(m_server.Lines(), expectedCalls(u"Z12"_s, u"Archivio cavalli"_s, 12));
        QCOMPARE(m_server.ServersCreated(), 1);
        QCOMPARE(m_server.LiveObjects(), 0);
        QCOMPARE(Dispatch::LiveObjects(), live);

        // All values in one assignment, every one a trimmed string.
        const RecordedCall& values = m_server.Calls().at(11);
        const auto& array = values.arguments.first().value.ToArray();
        QCOMPARE(array->At(12, 26).ToString(), u"r11c25"_s);
        QCOMPARE(array->At(1, 1).ToString(), u"r0c0"_s);
    }

    void transfer_ofTheDesignedForm_coversA1ToZ10()
    {
        ExportGridToExcel(ExportGrid::DesignedEmpty(), u"Archivio cani"_s, m_registry);
        QCOMPARE(m_server.Lines(), expectedCalls(u"Z10"_s, u"Archivio cani"_s, 10));
    }

    void failures_areReportedByTheirCall()
    {
        const int calls = expectedCalls(u"Z4"_s, u"S"_s, 4).size();
        QCOMPARE(calls, 118);
        const int live = Dispatch::LiveObjects();
        for (int k = 1; k <= calls; ++k) {
            m_server.Clear();
            m_server.FailAtCall(k);
            const ExcelExportResult result = ExportGridToExcel(sampleGrid(4), u"S"_s, m_registry);
            const int call = transferCallOf(k);
            const QByteArray where = u"automation call %1 (transfer call %2)"_s.arg(k).arg(call).toUtf8();
            QVERIFY2(result.outcome == (call <= 7 ? Outcome::CallFailed : Outcome::ExportFailed), where);
            QVERIFY2(result.failedCall == call, where);
            QVERIFY2(result.errorText == RecordingServer::FailureText, where);
            // Nothing after the failing call, and every reference released.
            QVERIFY2(m_server.Calls().size() == k, where);
            QVERIFY2(m_server.LiveObjects() == 0, where);
            QVERIFY2(Dispatch::LiveObjects() == live, where);
        }
    }

    void serverMissing_makesNoCall()
    {
        m_server.FailCreation(true);
        const ExcelExportResult result = ExportGridToExcel(sampleGrid(2), u"S"_s, m_registry);
        QCOMPARE(result.outcome, Outcome::ServerNotCreated);
        QCOMPARE(result.failedCall, 0);
        QVERIFY(m_server.Calls().isEmpty());

        Registry empty;
        QCOMPARE(ExportGridToExcel(sampleGrid(2), u"S"_s, empty).outcome, Outcome::ServerNotCreated);
    }

    void failureMessage_isTheProgramsText()
    {
        QCOMPARE(ExcelExportFailureMessage,
                 u"Si \u00e8 verificato un errore durante l'esportazione dei dati in Excel.\r\n\r\n"
                 "Accertarsi che il pacchetto Microsoft Office sia installato sul proprio computer."_s);
    }
};

QTEST_GUILESS_MAIN(TestExcelExport)
#include "tst_excelexport.moc"
