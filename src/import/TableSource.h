// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// One row of a table to import: its number as the file's own program shows it (the header is row 1 of a
// CSV file) and its cells' texts.
struct TableRow
{
    qint64 number = 0;
    QStringList cells;
    QStringList problems; // what the reader found wrong with the row (text not valid in its encoding)
};

// A table read row by row (a CSV file, a workbook's sheet): no file is held in memory whole. Reading
// failures raise EImportError.
class TableSource
{
public:
    virtual ~TableSource() = default;
    // The next row that holds any text (empty rows are passed over); false at the end.
    virtual bool Next(TableRow& row) = 0;
    // How far the reading has got, from 0 to 1.
    virtual double Progress() const = 0;
    // Whether a row may have fewer cells than the header (a workbook leaves out trailing empty cells; a
    // CSV row must have exactly as many fields as its header).
    virtual bool TrailingCellsOptional() const = 0;
};

// What file is read, and how.
struct TableFile
{
    enum class Kind { Csv, Xlsx, Ods };
    enum class Encoding { Detect, Utf8, Windows1252 };

    QString path;
    Kind kind = Kind::Csv;
    Encoding encoding = Encoding::Detect; // CSV only
    int sheet = 0;                        // workbooks: the sheet's position, from 0

    // The kind from the file's name (.xlsx, .ods; anything else is read as CSV).
    static TableFile ForPath(const QString& path);
};

// Opens the file for reading from its first row.
std::unique_ptr<TableSource> OpenTable(const TableFile& file);
// The names of a workbook's sheets, in order; empty for a CSV file.
QStringList SheetNames(const TableFile& file);
