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

namespace {

const QString TextNS = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0"_s;
const QString StyleNS = u"urn:oasis:names:tc:opendocument:xmlns:style:1.0"_s;
const QString FoNS = u"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"_s;
const QString TableNS = u"urn:oasis:names:tc:opendocument:xmlns:table:1.0"_s;
const QString DrawNS = u"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"_s;
const QString SvgNS = u"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"_s;
const QString XlinkNS = u"http://www.w3.org/1999/xlink"_s;
const QString OfficeNS = u"urn:oasis:names:tc:opendocument:xmlns:office:1.0"_s;

QString odtText(const QDomNode& node)
{
    QString text;
    bool paragraphBefore = false;
    for (QDomNode n = node.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isText())
            text += n.nodeValue();
        else if (n.localName() == u"line-break"_s)
            text += u'\n';
        else if (n.localName() == u"tab"_s)
            text += u'\t';
        else if (n.localName() == u"s"_s)
            text += QString(n.toElement().attributeNS(TextNS, u"c"_s, u"1"_s).toInt(), u' ');
        else if (n.localName() == u"p"_s && std::exchange(paragraphBefore, true))
            text += QChar::ParagraphSeparator + odtText(n);
        else
            text += odtText(n);
    }
    return text;
}

QList<QDomElement> descendants(const QDomElement& parent, const QString& ns, const QString& name)
{
    QList<QDomElement> list;
    const QDomNodeList nodes = parent.elementsByTagNameNS(ns, name);
    for (int i = 0; i < nodes.size(); ++i)
        list << nodes.at(i).toElement();
    return list;
}

double toPoints(const QString& length)
{
    QString number = length;
    double factor = 1;
    if (number.endsWith(u"pt"_s)) {
        number.chop(2);
    } else if (number.endsWith(u"in"_s)) {
        number.chop(2);
        factor = 72;
    } else if (number.endsWith(u"cm"_s)) {
        number.chop(2);
        factor = 72 / 2.54;
    } else if (number.endsWith(u"mm"_s)) {
        number.chop(2);
        factor = 72 / 25.4;
    }
    return number.toDouble() * factor;
}

} // namespace

OdtDocument ReadOdt(const QString& path)
{
    OdtDocument document;
    QDomDocument content;
    if (!parse(content, ZipEntry(path, u"content.xml"_s), &document.error))
        return document;
    QHash<QString, QDomElement> styles;
    for (const QDomElement& s : descendants(content.documentElement(), StyleNS, u"style"_s))
        styles.insert(s.attributeNS(StyleNS, u"name"_s), s);
    const auto property = [&](const QDomElement& e, const QString& ns, const QString& name) {
        const QDomElement s = styles.value(e.attributeNS(ns, u"style-name"_s));
        for (QDomElement p = s.firstChildElement(); !p.isNull(); p = p.nextSiblingElement()) {
            if (p.hasAttributeNS(FoNS, name))
                return p.attributeNS(FoNS, name);
        }
        return QString();
    };
    // A paragraph, or the first paragraph of a cell, and the font of its first span.
    const auto read = [&](const QDomElement& e) {
        OdtText t;
        t.text = odtText(e);
        const QDomElement p = e.localName() == u"table-cell"_s ? descendants(e, TextNS, u"p"_s).value(0) : e;
        t.alignment = property(p, TextNS, u"text-align"_s);
        const QDomElement span = descendants(p, TextNS, u"span"_s).value(0);
        t.fontFamily = property(span, TextNS, u"font-family"_s);
        t.fontSize = property(span, TextNS, u"font-size"_s);
        t.fontWeight = property(span, TextNS, u"font-weight"_s);
        if (e.localName() == u"table-cell"_s)
            t.border = property(e, TableNS, u"border"_s);
        return t;
    };

    const QList<QDomElement> bodies = descendants(content.documentElement(), OfficeNS, u"text"_s);
    if (bodies.isEmpty()) {
        document.error = u"nessun testo"_s;
        return document;
    }
    for (QDomElement e = bodies.first().firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.localName() == u"table"_s)
            break;
        if (e.localName() == u"p"_s || e.localName() == u"h"_s)
            document.paragraphs << read(e);
    }
    const QByteArray manifest = ZipEntry(path, u"META-INF/manifest.xml"_s);
    for (const QDomElement& frame : descendants(content.documentElement(), DrawNS, u"frame"_s)) {
        OdtPicture picture;
        picture.widthPoints = toPoints(frame.attributeNS(SvgNS, u"width"_s));
        picture.heightPoints = toPoints(frame.attributeNS(SvgNS, u"height"_s));
        const QString href = descendants(frame, DrawNS, u"image"_s).value(0).attributeNS(XlinkNS, u"href"_s);
        if (!href.isEmpty()) {
            picture.bytes = ZipEntry(path, href);
            picture.inManifest = manifest.contains(u"\"%1\""_s.arg(href).toUtf8());
        }
        QDomNode p = frame.parentNode();
        while (!p.isNull() && p.localName() != u"p"_s)
            p = p.parentNode();
        picture.paragraphAlignment = property(p.toElement(), TextNS, u"text-align"_s);
        document.pictures << picture;
    }
    const QList<QDomElement> tables = descendants(content.documentElement(), TableNS, u"table"_s);
    document.tables = int(tables.size());
    if (!tables.isEmpty()) {
        for (const QDomElement& row : descendants(tables.first(), TableNS, u"table-row"_s)) {
            QList<OdtText> cells;
            for (const QDomElement& cell : descendants(row, TableNS, u"table-cell"_s))
                cells << read(cell);
            document.rows << cells;
        }
    }
    return document;
}

} // namespace OfficeFiles
