// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationRegistry.h"

#include <QString>
#include <memory>

class TextGrid;

namespace Automation {
class VariantArray;
}

// The transfer of a text grid into a new workbook of the spreadsheet application, by automation.

// What the export screen shows when the transfer fails (except calls 1 to 7), in a plain message box.
inline const QString ExcelExportFailureMessage =
    QStringLiteral("Si \u00e8 verificato un errore durante l'esportazione dei dati in Excel.\r\n\r\n"
                   "Accertarsi che il pacchetto Microsoft Office sia installato sul proprio computer.");

// "A1" for row 1 and column 1: the letter of code 64 + column followed by the row in decimal. Columns 1 to
// 26 only; std::out_of_range for any other column or a row below 1.
QString CellReference(int row, int column);

// The grid's texts, each trimmed of codes 0 to 32, as a rows x columns array of strings with bounds 1
// (element [r + 1, c + 1] holds cell (row r, column c)), filled column by column.
std::shared_ptr<Automation::VariantArray> TransferArray(const TextGrid& grid);

struct ExcelExportResult
{
    enum class Outcome {
        Done,
        ServerNotCreated, // no call made: the screen shows ExcelExportFailureMessage
        CallFailed,       // one of calls 1 to 7: the application's default error box shows errorText
        ExportFailed,     // one of calls 8 to 11: the screen shows ExcelExportFailureMessage
    };

    Outcome outcome = Outcome::Done;
    int failedCall = 0; // 1 to 11; 0 when done or when the server could not be created
    QString errorText;  // the automation error's text
};

// Creates the "Excel.Application" server through registry and makes the eleven calls that copy the grid
// (header row and data rows, at most 26 columns) into the first worksheet of a new workbook named
// sheetName, format it and show it. Stops at the first failure. Every automation reference is released
// before it returns, whatever the outcome; the workbook stays with the application.
ExcelExportResult ExportGridToExcel(const TextGrid& grid, const QString& sheetName,
                                    const Automation::Registry& registry);
