// SPDX-License-Identifier: GPL-3.0-or-later
#include "OfficeFiles.h"

#include <QDomDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace OfficeFiles {

namespace {

QByteArray runUnzip(const QStringList& arguments)
{
    QProcess unzip;
    unzip.start(u"unzip"_s, arguments);
    if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0)
        return {};
    return unzip.readAllStandardOutput();
}

bool parse(QDomDocument& doc, const QByteArray& xml, QString* error)
{
    QString message;
    int line = 0;
    if (doc.setContent(xml, true, &message, &line))
        return true;
    *error = u"XML non valido (%1, riga %2)"_s.arg(message).arg(line);
    return false;
}

QList<QDomElement> children(const QDomElement& parent, const QString& name)
{
    QList<QDomElement> list;
    for (QDomElement e = parent.firstChildElement(name); !e.isNull(); e = e.nextSiblingElement(name))
        list << e;
    return list;
}

// A string with the "_xHHHH_" escapes of characters XML cannot hold decoded.
QString decodeEscapes(const QString& text)
{
    static const QRegularExpression escape(u"_x([0-9A-Fa-f]{4})_"_s);
    QString decoded;
    qsizetype at = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        decoded += text.mid(at, m.capturedStart() - at);
        decoded += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        at = m.capturedEnd();
    }
    return decoded + text.mid(at);
}

} // namespace

QStringList ZipEntries(const QString& zipPath)
{
    return QString::fromUtf8(runUnzip({u"-Z1"_s, zipPath})).split(u'\n', Qt::SkipEmptyParts);
}

QByteArray ZipEntry(const QString& zipPath, const QString& entry)
{
    return runUnzip({u"-p"_s, zipPath, entry});
}

XlsxSheet ReadXlsx(const QString& path)
{
    XlsxSheet sheet;
    QDomDocument workbook, styles;
    if (!parse(workbook, ZipEntry(path, u"xl/workbook.xml"_s), &sheet.error) ||
        !parse(styles, ZipEntry(path, u"xl/styles.xml"_s), &sheet.error))
        return sheet;
    const QByteArray sheetXml = ZipEntry(path, u"xl/worksheets/sheet1.xml"_s);
    if (sheetXml.isEmpty()) {
        sheet.error = u"nessun foglio di lavoro"_s;
        return sheet;
    }
    const QByteArray sharedXml = ZipEntry(path, u"xl/sharedStrings.xml"_s);

    sheet.name =
        workbook.documentElement().elementsByTagName(u"sheet"_s).at(0).toElement().attribute(u"name"_s);

    QStringList shared;
    QXmlStreamReader items(sharedXml);
    bool inText = false;
    while (!sharedXml.isEmpty() && !items.atEnd()) {
        items.readNext();
        if (items.isStartElement() && items.name() == u"si"_s)
            shared << QString();
        else if (items.isStartElement() && items.name() == u"t"_s)
            inText = true;
        else if (items.isEndElement() && items.name() == u"t"_s)
            inText = false;
        else if (items.isEndElement() && items.name() == u"si"_s)
            shared.last() = decodeEscapes(shared.last());
        else if (items.isCharacters() && inText)
            shared.last() += items.text();
    }
    if (items.hasError()) {
        sheet.error = u"XML non valido: %1"_s.arg(items.errorString());
        return sheet;
    }

    QHash<int, QString> customFormats;
    const QDomElement numFmts = styles.documentElement().firstChildElement(u"numFmts"_s);
    for (const QDomElement& f : children(numFmts, u"numFmt"_s))
        customFormats.insert(f.attribute(u"numFmtId"_s).toInt(), f.attribute(u"formatCode"_s));
    QList<bool> boldFonts;
    for (const QDomElement& f : children(styles.documentElement().firstChildElement(u"fonts"_s), u"font"_s))
        boldFonts << !f.firstChildElement(u"b"_s).isNull();
    QList<bool> styleBold;
    QStringList styleFormat;
    for (const QDomElement& xf :
         children(styles.documentElement().firstChildElement(u"cellXfs"_s), u"xf"_s)) {
        styleBold << boldFonts.value(xf.attribute(u"fontId"_s).toInt());
        const int id = xf.attribute(u"numFmtId"_s).toInt();
        styleFormat << (id == 49 ? u"@"_s
                                 : customFormats.value(id, id == 0 ? u"General"_s : QString::number(id)));
    }

    // The cells are read as a stream: a sheet of ten thousand rows is too large a tree.
    QXmlStreamReader xml(sheetXml);
    XlsxCell cell;
    QString reference;
    bool inValue = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            const QXmlStreamAttributes a = xml.attributes();
            if (name == u"col"_s) {
                for (int c = a.value(u"min"_s).toInt(); c <= a.value(u"max"_s).toInt(); ++c)
                    sheet.columnWidths.insert(c, a.value(u"width"_s).toDouble());
            } else if (name == u"selection"_s && sheet.selection.isEmpty()) {
                sheet.selection = a.value(u"sqref"_s).toString();
            } else if (name == u"row"_s) {
                sheet.lastRow = qMax(sheet.lastRow, a.value(u"r"_s).toInt());
            } else if (name == u"c"_s) {
                cell = XlsxCell();
                reference = a.value(u"r"_s).toString();
                cell.type = a.value(u"t"_s).toString();
                const int style = a.hasAttribute(u"s"_s) ? a.value(u"s"_s).toInt() : 0;
                cell.bold = styleBold.value(style);
                cell.numberFormat = styleFormat.value(style, u"General"_s);
            } else if (name == u"v"_s || name == u"t"_s) {
                inValue = true;
            }
        } else if (xml.isCharacters() && inValue) {
            cell.text += xml.text();
        } else if (xml.isEndElement()) {
            const auto name = xml.name();
            if (name == u"v"_s || name == u"t"_s) {
                inValue = false;
            } else if (name == u"c"_s) {
                if (cell.type == u"s"_s)
                    cell.text = shared.value(cell.text.toInt());
                else if (cell.type == u"inlineStr"_s)
                    cell.text = decodeEscapes(cell.text);
                sheet.cells.insert(reference, cell);
            }
        }
    }
    if (xml.hasError())
        sheet.error = u"XML non valido: %1"_s.arg(xml.errorString());
    return sheet;
}

} // namespace OfficeFiles
