// SPDX-License-Identifier: GPL-3.0-or-later
#include "XlsxSource.h"

#include "CellText.h"
#include "ImportError.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace {

struct SheetEntry
{
    QString name;
    QString member;
};

QString damaged(const QString& path, const QString& why)
{
    return u"Il file \u00ab%1\u00bb non \u00e8 una cartella di lavoro leggibile (%2)."_s.arg(path, why);
}

// The sheets the workbook lists, in order, with the zip member of each.
std::vector<SheetEntry> sheets(const ZipReader& zip, const QString& path, bool* system1904 = nullptr)
{
    QHash<QString, QString> targets;
    {
        QXmlStreamReader xml(zip.ReadAll(u"xl/_rels/workbook.xml.rels"_s));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"Relationship"_s)
                targets.insert(xml.attributes().value(u"Id"_s).toString(),
                               xml.attributes().value(u"Target"_s).toString());
        }
    }
    std::vector<SheetEntry> found;
    QXmlStreamReader xml(zip.ReadAll(u"xl/workbook.xml"_s));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"workbookPr"_s && system1904) {
            const auto v = xml.attributes().value(u"date1904"_s);
            *system1904 = v == u"1"_s || v == u"true"_s;
        } else if (xml.name() == u"sheet"_s) {
            QString id;
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                if (a.name() == u"id"_s)
                    id = a.value().toString();
            }
            QString target = targets.value(id);
            if (target.startsWith(u'/'))
                target = target.mid(1);
            else if (!target.isEmpty())
                target = u"xl/"_s + target;
            found.push_back({xml.attributes().value(u"name"_s).toString(), target});
        }
    }
    if (xml.hasError())
        throw EImportError(damaged(path, xml.errorString()));
    return found;
}

// The column (from 0) of a cell reference such as "AB12"; -1 when it has no letters.
int columnOf(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i)
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
    return i == 0 ? -1 : column - 1;
}

// The text of a string item (<si> or <is>): its <t>, or the <t> of every run, never the phonetic hints.
QString stringItem(QXmlStreamReader& xml)
{
    QString text;
    const QString end = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh"_s)
                ++phonetic;
            else if (xml.name() == u"t"_s && phonetic == 0)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh"_s)
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return CellText::DecodeEscapes(text);
}

bool isDateFormatCode(const QString& code, bool* timeOnly)
{
    bool date = false, time = false;
    bool quoted = false, bracket = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i].toLower();
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\\')
            ++i;
        else if (c == u'[')
            bracket = true;
        else if (c == u']')
            bracket = false;
        else if (bracket)
            continue;
        else if (c == u'd' || c == u'y')
            date = true;
        else if (c == u'h' || c == u's')
            time = true;
    }
    *timeOnly = time && !date;
    return date || time;
}

} // namespace

QStringList XlsxSource::SheetNames(const QString& path)
{
    ZipReader zip(path);
    QStringList names;
    for (const SheetEntry& s : sheets(zip, path))
        names.append(s.name);
    return names;
}

XlsxSource::XlsxSource(const QString& path, int sheet)
    : m_path(path)
    , m_zip(path)
{
    if (!m_zip.Contains(u"xl/workbook.xml"_s))
        throw EImportError(damaged(path, u"manca xl/workbook.xml"_s));
    const std::vector<SheetEntry> all = sheets(m_zip, path, &m_system1904);
    if (sheet < 0 || std::size_t(sheet) >= all.size())
        throw EImportError(damaged(path, u"il foglio %1 non esiste"_s.arg(sheet + 1)));
    readSharedStrings();
    readStyles();
    const QString member = all[std::size_t(sheet)].member;
    m_sheetSize = m_zip.Size(member);
    m_sheet = m_zip.Open(member);
    m_xml.setDevice(m_sheet.get());
}

void XlsxSource::readSharedStrings()
{
    if (!m_zip.Contains(u"xl/sharedStrings.xml"_s))
        return;
    const auto device = m_zip.Open(u"xl/sharedStrings.xml"_s);
    QXmlStreamReader xml(device.get());
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si"_s)
            m_shared.push_back(stringItem(xml));
    }
    if (xml.hasError() || device->Failed())
        throw EImportError(damaged(m_path, device->Failed() ? device->errorString() : xml.errorString()));
}

void XlsxSource::readStyles()
{
    if (!m_zip.Contains(u"xl/styles.xml"_s))
        return;
    QHash<int, Format> custom;
    QXmlStreamReader xml(m_zip.ReadAll(u"xl/styles.xml"_s));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == u"cellXfs"_s)
            inCellXfs = false;
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"numFmt"_s) {
            const int id = xml.attributes().value(u"numFmtId"_s).toInt();
            const QString code = xml.attributes().value(u"formatCode"_s).toString();
            bool timeOnly = false;
            if (code == u"@"_s)
                custom.insert(id, Format::Text);
            else if (isDateFormatCode(code, &timeOnly))
                custom.insert(id, timeOnly ? Format::Time : Format::Date);
            else
                custom.insert(id, Format::General);
        } else if (xml.name() == u"cellXfs"_s) {
            inCellXfs = true;
        } else if (xml.name() == u"xf"_s && inCellXfs) {
            const int id = xml.attributes().value(u"numFmtId"_s).toInt();
            Format f = Format::General;
            if (custom.contains(id))
                f = custom.value(id);
            else if (id == 49)
                f = Format::Text;
            else if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58))
                f = Format::Date;
            else if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47))
                f = Format::Time;
            m_formats.push_back(f);
        }
    }
    if (xml.hasError())
        throw EImportError(damaged(m_path, xml.errorString()));
}

QString XlsxSource::cellText(const QString& type, Format format, const QString& value,
                             const QString& inlineText) const
{
    if (type == u"s"_s) {
        const qsizetype index = value.toLongLong();
        if (index < 0 || std::size_t(index) >= m_shared.size())
            throw EImportError(damaged(m_path, u"un testo condiviso manca"_s));
        return m_shared[std::size_t(index)];
    }
    if (type == u"inlineStr"_s)
        return inlineText;
    if (type == u"str"_s)
        return CellText::DecodeEscapes(value);
    if (type == u"b"_s)
        return value == u"1"_s ? u"VERO"_s : u"FALSO"_s;
    if (type == u"e"_s)
        return value;
    if (type == u"d"_s)
        return CellText::IsoDate(value);
    if (value.isEmpty())
        return {};
    switch (format) {
    case Format::Text:
        return value;
    case Format::Date:
        return CellText::SerialDate(value, m_system1904);
    case Format::Time:
        return CellText::SerialTime(value);
    case Format::General:
        break;
    }
    return CellText::Number(value);
}

double XlsxSource::Progress() const
{
    if (m_sheetSize <= 0)
        return 1.0;
    return std::min(1.0, double(m_xml.characterOffset()) / double(m_sheetSize));
}

bool XlsxSource::Next(TableRow& row)
{
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (!m_xml.isStartElement() || m_xml.name() != u"row"_s)
            continue;
        const auto r = m_xml.attributes().value(u"r"_s);
        const qint64 number = r.isEmpty() ? m_lastRow + 1 : r.toLongLong();
        m_lastRow = number;
        QStringList cells;
        int nextColumn = 0;
        // The cells of the row.
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement() && m_xml.name() == u"row"_s)
                break;
            if (!m_xml.isStartElement() || m_xml.name() != u"c"_s)
                continue;
            const QXmlStreamAttributes a = m_xml.attributes();
            const QString type = a.value(u"t"_s).toString();
            const int column = a.hasAttribute(u"r"_s) ? columnOf(a.value(u"r"_s)) : nextColumn;
            const qsizetype style = a.value(u"s"_s).toLongLong();
            const Format format = style >= 0 && std::size_t(style) < m_formats.size()
                                      ? m_formats[std::size_t(style)]
                                      : Format::General;
            QString value, inlineText;
            while (!m_xml.atEnd()) {
                m_xml.readNext();
                if (m_xml.isEndElement() && m_xml.name() == u"c"_s)
                    break;
                if (!m_xml.isStartElement())
                    continue;
                if (m_xml.name() == u"v"_s)
                    value = m_xml.readElementText();
                else if (m_xml.name() == u"is"_s)
                    inlineText = stringItem(m_xml);
                else
                    m_xml.skipCurrentElement(); // a formula: only its cached value counts
            }
            if (column < 0 || column >= 16384)
                throw EImportError(damaged(m_path, u"riferimento di cella non valido"_s));
            const QString text = cellText(type, format, value, inlineText);
            nextColumn = column + 1;
            if (text.isEmpty())
                continue;
            while (cells.size() < column)
                cells.append(QString());
            if (cells.size() == column)
                cells.append(text);
        }
        if (cells.isEmpty())
            continue;
        row.number = number;
        row.cells = cells;
        row.problems.clear();
        return true;
    }
    if (m_xml.hasError() || m_sheet->Failed())
        throw EImportError(damaged(m_path, m_sheet->Failed() ? m_sheet->errorString() : m_xml.errorString()));
    return false;
}
