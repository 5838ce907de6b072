// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdsSource.h"

#include "CellText.h"
#include "ImportError.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString TableNs = u"urn:oasis:names:tc:opendocument:xmlns:table:1.0"_s;
const QString OfficeNs = u"urn:oasis:names:tc:opendocument:xmlns:office:1.0"_s;
const QString TextNs = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0"_s;
constexpr qint64 MaxColumns = 16384;

QString damaged(const QString& path, const QString& why)
{
    return u"Il file \u00ab%1\u00bb non \u00e8 un foglio di calcolo leggibile (%2)."_s.arg(path, why);
}

bool isTable(const QXmlStreamReader& xml, const char16_t* name)
{
    return xml.name() == QStringView(name) && xml.namespaceUri() == TableNs;
}

qint64 repeats(const QXmlStreamReader& xml, const QString& attribute)
{
    const qint64 n = xml.attributes().value(TableNs, attribute).toLongLong();
    return n < 1 ? 1 : n;
}

} // namespace

QStringList OdsSource::SheetNames(const QString& path)
{
    ZipReader zip(path);
    const auto device = zip.Open(u"content.xml"_s);
    QXmlStreamReader xml(device.get());
    QStringList names;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && isTable(xml, u"table")) {
            names.append(xml.attributes().value(TableNs, u"name"_s).toString());
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        throw EImportError(damaged(path, device->Failed() ? device->errorString() : xml.errorString()));
    return names;
}

OdsSource::OdsSource(const QString& path, int sheet)
    : m_path(path)
    , m_zip(path)
{
    if (!m_zip.Contains(u"content.xml"_s))
        throw EImportError(damaged(path, u"manca content.xml"_s));
    m_contentSize = m_zip.Size(u"content.xml"_s);
    m_content = m_zip.Open(u"content.xml"_s);
    m_xml.setDevice(m_content.get());
    int index = 0;
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (m_xml.isStartElement() && isTable(m_xml, u"table")) {
            if (index++ == sheet)
                return;
            m_xml.skipCurrentElement();
        }
    }
    if (m_xml.hasError())
        throw EImportError(
            damaged(path, m_content->Failed() ? m_content->errorString() : m_xml.errorString()));
    throw EImportError(damaged(path, u"il foglio %1 non esiste"_s.arg(sheet + 1)));
}

double OdsSource::Progress() const
{
    if (m_contentSize <= 0)
        return 1.0;
    return std::min(1.0, double(m_xml.characterOffset()) / double(m_contentSize));
}

// The current cell's shown text: its paragraphs joined by line breaks, with their spaces, tabs and line
// breaks; notes attached to the cell are not its text.
QString OdsSource::cellText()
{
    const QXmlStreamAttributes a = m_xml.attributes();
    const QString type = a.value(OfficeNs, u"value-type"_s).toString();
    QString text;
    int paragraphs = 0;
    int depth = 0;
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (m_xml.isStartElement()) {
            ++depth;
            if (m_xml.name() == u"annotation"_s && m_xml.namespaceUri() == OfficeNs) {
                m_xml.skipCurrentElement();
                --depth;
            } else if (m_xml.namespaceUri() == TextNs) {
                if (m_xml.name() == u"p"_s && paragraphs++ > 0)
                    text += u'\n';
                else if (m_xml.name() == u"s"_s)
                    text += QString(qBound(1, m_xml.attributes().value(TextNs, u"c"_s).toInt(), 1000), u' ');
                else if (m_xml.name() == u"tab"_s)
                    text += u'\t';
                else if (m_xml.name() == u"line-break"_s)
                    text += u'\n';
            }
        } else if (m_xml.isEndElement()) {
            if (depth-- == 0)
                break;
        } else if (m_xml.isCharacters()) {
            text += m_xml.text();
        }
    }
    if (type == u"float"_s || type == u"percentage"_s || type == u"currency"_s)
        return CellText::Number(a.value(OfficeNs, u"value"_s).toString());
    if (type == u"date"_s)
        return CellText::IsoDate(a.value(OfficeNs, u"date-value"_s).toString());
    if (type == u"boolean"_s)
        return a.value(OfficeNs, u"boolean-value"_s) == u"true"_s ? u"VERO"_s : u"FALSO"_s;
    return text;
}

bool OdsSource::Next(TableRow& row)
{
    if (m_pendingRepeats > 0) {
        --m_pendingRepeats;
        row = m_repeated;
        row.number = ++m_row;
        return true;
    }
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (m_xml.isEndElement() && isTable(m_xml, u"table"))
            break; // the end of the chosen sheet
        if (!m_xml.isStartElement() || !isTable(m_xml, u"table-row"))
            continue;
        const qint64 rowRepeats = repeats(m_xml, u"number-rows-repeated"_s);
        QStringList cells;
        qint64 column = 0;
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement() && isTable(m_xml, u"table-row"))
                break;
            if (!m_xml.isStartElement())
                continue;
            if (!isTable(m_xml, u"table-cell") && !isTable(m_xml, u"covered-table-cell")) {
                m_xml.skipCurrentElement();
                continue;
            }
            const qint64 cellRepeats = repeats(m_xml, u"number-columns-repeated"_s);
            const QString text = cellText();
            if (!text.isEmpty()) {
                if (column + cellRepeats > MaxColumns)
                    throw EImportError(damaged(m_path, u"troppe colonne"_s));
                while (cells.size() < column)
                    cells.append(QString());
                for (qint64 k = 0; k < cellRepeats; ++k)
                    cells.append(text);
            }
            column += cellRepeats;
        }
        const qint64 first = m_row + 1;
        m_row += rowRepeats;
        if (cells.isEmpty())
            continue; // empty rows, however many, are only counted
        row.number = first;
        row.cells = cells;
        row.problems.clear();
        if (rowRepeats > 1) {
            m_repeated = row;
            m_pendingRepeats = rowRepeats - 1;
            m_row = first;
        }
        return true;
    }
    if (m_xml.hasError())
        throw EImportError(
            damaged(m_path, m_content->Failed() ? m_content->errorString() : m_xml.errorString()));
    return false;
}
