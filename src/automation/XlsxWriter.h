// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Workbook.h"

#include <optional>

// Writes the spreadsheet server's workbooks as .xlsx files, through libxlsxwriter. The library writes a
// file by its name (it has no other output), keeping each sheet's rows in temporary files of its own
// while it works; so does this writer.
namespace SpreadsheetServer::XlsxWriter {

// Raises EAutomationError when the file format refuses name as a sheet's name (empty, over 31
// characters, one of [ ] : * ? / \, an apostrophe first or last, "History").
void ValidateSheetName(const QString& name);

// Writes book as an .xlsx file at path, replacing what is there; activeSheet is the sheet it opens on,
// with selection selected when selection lies on it. The library's temporary files go into tmpFolder and
// are gone afterwards. Raises EAutomationError when the workbook cannot be written whole: the library
// reported an error, or the rows' temporary file met a write error, or the disk or the file size limit
// leaves no room for the rest of the file. The file at path is then incomplete and must not be used.
void Write(const Workbook& book, const std::shared_ptr<Sheet>& activeSheet,
           const std::optional<Area>& selection, const QString& path, const QString& tmpFolder);

} // namespace SpreadsheetServer::XlsxWriter
