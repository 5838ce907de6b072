// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExcelTransfer.h"

#include "TextGrid.h"
#include "automation/EAutomationError.h"
#include "automation/VariantArray.h"
#include "storage/Win1252.h"

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace {
constexpr qint16 OneWorksheetWorkbook = -4167; // xlWBATWorksheet
constexpr int LastFormattedColumn = 26;
} // namespace

QString CellReference(int row, int column)
{
    if (column < 1 || column > 26 || row < 1)
        throw std::out_of_range("CellReference: only columns 1 to 26 and rows from 1");
    return QChar(char16_t(64 + column)) + QString::number(row);
}

std::shared_ptr<VariantArray> TransferArray(const TextGrid& grid)
{
    auto array = std::make_shared<VariantArray>(grid.RowCount(), grid.ColumnCount());
    for (int c = 0; c < grid.ColumnCount(); ++c) {
        for (int r = 0; r < grid.RowCount(); ++r)
            array->Set(r + 1, c + 1, Variant::Str(Win1252::Trimmed(grid.Text(r, c))));
    }
    return array;
}

ExcelExportResult ExportGridToExcel(const TextGrid& grid, const QString& sheetName, const Registry& registry)
{
    const int rows = grid.RowCount();
    const int columns = grid.ColumnCount();
    if (rows < 1 || columns < 1 || columns > 26)
        throw std::invalid_argument("ExportGridToExcel: the grid must have 1 to 26 columns and a row");
    const QString lastCell = CellReference(rows, columns);
    const std::shared_ptr<VariantArray> values = TransferArray(grid);

    ExcelExportResult result;
    DispatchPtr app;
    try {
        app = registry.Create(u"Excel.Application"_s);
    } catch (const EAutomationError& e) {
        result.outcome = ExcelExportResult::Outcome::ServerNotCreated;
        result.errorText = e.message();
        return result;
    } catch (const std::exception& e) {
        result.outcome = ExcelExportResult::Outcome::ServerNotCreated;
        result.errorText = QString::fromLocal8Bit(e.what());
        return result;
    }

    int call = 0;
    const auto failed = [&](const QString& text) {
        result.outcome =
            call <= 7 ? ExcelExportResult::Outcome::CallFailed : ExcelExportResult::Outcome::ExportFailed;
        result.failedCall = call;
        result.errorText = text;
    };
    try {
        call = 1;
        app->Put(u"Visible"_s, Variant::Bool(false));

        call = 2;
        app->GetObject(u"Workbooks"_s)->Call(u"Add"_s, {Variant::I2(OneWorksheetWorkbook)});

        call = 3;
        const DispatchPtr sheet =
            app->GetObject(u"Workbooks"_s, {Variant::I4(1)})->GetObject(u"WorkSheets"_s, {Variant::I4(1)});

        call = 4;
        sheet->Put(u"Name"_s, Variant::Str(sheetName));

        call = 5;
        sheet->GetObject(u"Range"_s, {Variant::Str(u"A1"_s), Variant::Str(lastCell)})->Call(u"Select"_s);

        call = 6;
        app->GetObject(u"Selection"_s)->Put(u"NumberFormat"_s, Variant::Str(u"@"_s));

        call = 7;
        sheet->GetObject(u"Range"_s, {Variant::Str(u"A1"_s), Variant::Str(lastCell)})
            ->Put(u"Value"_s, Variant::ArrayRef(values));

        call = 8;
        for (int c = 2; c <= LastFormattedColumn; ++c) {
            app->GetObject(u"Application"_s)
                ->GetObject(u"Cells"_s, {Variant::I4(1), Variant::I4(c)})
                ->GetObject(u"Font"_s)
                ->Put(u"Bold"_s, Variant::Bool(true));
        }

        call = 9;
        app->GetObject(u"Columns"_s, {Variant::Str(u"A:Z"_s)})
            ->GetObject(u"EntireColumn"_s)
            ->Call(u"AutoFit"_s);

        call = 10;
        app->GetObject(u"Cells"_s, {Variant::I4(1), Variant::I4(1)})->Call(u"Select"_s);

        call = 11;
        app->Put(u"Visible"_s, Variant::Bool(true));
    } catch (const EAutomationError& e) {
        failed(e.message());
    } catch (const std::exception& e) {
        // Anything else that stops a call (memory) is that call's failure too.
        failed(QString::fromLocal8Bit(e.what()));
    }
    return result;
}
