// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

// Readers for the .xlsx and .odt files the office servers write, through the unzip tool.
namespace OfficeFiles {

// The names of a zip file's entries; empty when it is not a zip file.
QStringList ZipEntries(const QString& zipPath);
// One entry's bytes; empty when missing.
QByteArray ZipEntry(const QString& zipPath, const QString& entry);

struct XlsxCell
{
    QString type; // the cell's t attribute: "s" shared string, "inlineStr", "str", "n", "b", or empty
    QString text; // the string, or the raw value of other types
    bool bold = false;
    QString numberFormat; // "@" for text, "General" when none
};

// The first worksheet of a workbook as the file stores it.
struct XlsxSheet
{
    QString error; // why the file could not be read; empty when it was
    QString name;
    QHash<QString, XlsxCell> cells; // by reference: "A1"
    QMap<int, double> columnWidths; // column number (1 for A) to width
    QString selection;              // the sqref of the sheet's selection
    int lastRow = 0;

    XlsxCell cell(const QString& reference) const { return cells.value(reference); }
};

XlsxSheet ReadXlsx(const QString& path);

// A paragraph, or the text of a table cell, as a reader sees it: line breaks as "\n", tabs as "\t", the
// paragraphs of one cell joined by U+2029. Its look is its (first) paragraph's alignment and the font of
// that paragraph's first span; a property its style does not set is empty.
struct OdtText
{
    QString text;
    QString alignment;  // "center", "justify"...
    QString fontFamily; // "Arial"...
    QString fontSize;   // "10pt"...
    QString fontWeight; // "bold", "normal"...
    QString border;     // of a table cell: "0.5pt solid #000000"...
};

// A picture placed in a text document.
struct OdtPicture
{
    double widthPoints = 0; // the size it is shown at
    double heightPoints = 0;
    QByteArray bytes;           // the embedded file
    bool inManifest = false;    // the package's manifest lists the embedded file
    QString paragraphAlignment; // of the paragraph it stands in
};

// A text document as a reader sees it.
struct OdtDocument
{
    QString error;              // why the file could not be read; empty when it was
    QList<OdtText> paragraphs;  // the body's paragraphs before its first table
    QList<OdtPicture> pictures; // in document order
    int tables = 0;             // tables anywhere in the document
    QList<QList<OdtText>> rows; // the first table's rows, cell by cell
};

OdtDocument ReadOdt(const QString& path);

} // namespace OfficeFiles
