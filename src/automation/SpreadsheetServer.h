// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dispatch.h"

class DocumentDesk;

// What takes the spreadsheet application's place on this platform, under the ProgID "Excel.Application".
// It answers the members of the application's object model that the archive transfer uses (Visible,
// Workbooks and Add, WorkSheets, Name, Range, Cells, Columns, Selection, Application, Select,
// NumberFormat, Value, Font and Bold, EntireColumn, AutoFit), collects the workbook they build, and when
// it is made visible writes it as an .xlsx file into the export folder ("Esportazioni")
// ("<sheet name>.xlsx", " (2)" and so on when taken) and opens it with the desktop's default program.
// Every other member fails with EAutomationError.
namespace SpreadsheetServer {

inline constexpr QLatin1StringView ProgId{"Excel.Application"};
inline constexpr QLatin1StringView MimeType{
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"};

// The application object of a new server. Raises ECreateServerError, writing nothing, when the desktop
// has no program that opens workbooks.
Automation::DispatchPtr Create(DocumentDesk& desk, const QString& exportFolder);

// The width, in characters, that a column sized to its contents gets for its longest text:
// about length x 1.1 + 1, at most 255.
double AutoFitWidth(qsizetype longestText);

} // namespace SpreadsheetServer
