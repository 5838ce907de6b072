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

// A picture placed in a text document.
struct OdtPicture
{
    double widthPoints = 0; // the size it is shown at
    double heightPoints = 0;
    QByteArray bytes; // the embedded file
};

// A text document as a reader sees it: the paragraphs of the body before its first table, the pictures,
// and the first table's rows. Texts have line breaks as "\n" and tabs as "\t".
struct OdtDocument
{
    QString error; // why the file could not be read; empty when it was
    QStringList paragraphs;
    QString titleAlignment; // of the first paragraph: "center"...
    QString titleWeight;    // of the first paragraph's text: "bold"...
    QList<OdtPicture> pictures;
    QList<QStringList> rows; // the first table's rows, cell by cell
};

OdtDocument ReadOdt(const QString& path);

} // namespace OfficeFiles
