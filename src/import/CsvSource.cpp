// SPDX-License-Identifier: GPL-3.0-or-later
#include "CsvSource.h"

#include "ImportError.h"
#include "storage/Win1252.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 BlockSize = 1024 * 1024;

// Whether bytes are valid UTF-8; a sequence cut short by the end of bytes counts as valid.
bool validUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int follow = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        for (int k = 1; k <= follow; ++k) {
            if (i + k >= n)
                return true;
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += follow + 1;
    }
    return true;
}

} // namespace

TableFile::Encoding CsvSource::Detect(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TableFile::Encoding::Utf8;
    return validUtf8(bytes) ? TableFile::Encoding::Utf8 : TableFile::Encoding::Windows1252;
}

TableFile::Encoding CsvSource::DetectFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TableFile::Encoding::Utf8;
    return Detect(file.read(BlockSize));
}

CsvSource::CsvSource(const QString& path, TableFile::Encoding encoding)
    : m_path(path)
    , m_file(path)
    , m_encoding(encoding)
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw EImportError(
            u"Impossibile aprire il file \u00ab%1\u00bb: %2."_s.arg(path, m_file.errorString()));
    m_size = m_file.size();
    fill();
    if (m_buffer.isEmpty())
        throw EImportError(u"Il file \u00ab%1\u00bb \u00e8 vuoto."_s.arg(path));
    if (m_encoding == TableFile::Encoding::Detect)
        m_encoding = Detect(m_buffer);
    if (m_buffer.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
    // The separator is the one the header line uses most, outside quotes.
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (qsizetype i = m_pos; i < m_buffer.size(); ++i) {
        const char c = m_buffer[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ';')
            ++semicolons;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == '\t')
            ++tabs;
    }
    if (tabs > semicolons && tabs > commas)
        m_separator = '\t';
    else if (commas > semicolons)
        m_separator = ',';
}

bool CsvSource::fill()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + BlockSize);
    const qint64 n = m_file.read(m_buffer.data() + kept, BlockSize);
    if (n < 0)
        throw EImportError(
            u"Errore di lettura del file \u00ab%1\u00bb: %2."_s.arg(m_path, m_file.errorString()));
    m_buffer.resize(kept + n);
    if (m_buffer.indexOf('\0', kept) >= 0)
        throw EImportError(
            u"Il file \u00ab%1\u00bb non \u00e8 un file di testo CSV (contiene byte nulli)."_s.arg(m_path));
    if (n == 0)
        m_eof = true;
    return n > 0;
}

double CsvSource::Progress() const
{
    if (m_size <= 0)
        return 1.0;
    return double(m_file.pos() - (m_buffer.size() - m_pos)) / double(m_size);
}

bool CsvSource::readRecord(QList<QByteArray>& fields)
{
    fields.clear();
    QByteArray field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the field began with a quote
    bool any = false;
    qsizetype recordBytes = 0;
    for (;;) {
        if (m_pos >= m_buffer.size() && !fill()) {
            if (!any)
                return false;
            fields.append(field);
            return true;
        }
        const char c = m_buffer[m_pos];
        any = true;
        if (++recordBytes > MaxRecordBytes)
            throw EImportError(u"La riga %1 del file \u00ab%2\u00bb supera i 16 MB: forse una virgoletta "
                               u"non \u00e8 chiusa."_s.arg(m_record + 1)
                                   .arg(m_path));
        if (quoted) {
            ++m_pos;
            if (c == '"') {
                if (m_pos >= m_buffer.size())
                    fill();
                if (m_pos < m_buffer.size() && m_buffer[m_pos] == '"') {
                    field += '"';
                    ++m_pos;
                } else {
                    quoted = false;
                }
            } else if (c == '\r') {
                if (m_pos >= m_buffer.size())
                    fill();
                if (m_pos < m_buffer.size() && m_buffer[m_pos] == '\n')
                    ++m_pos;
                field += '\n';
            } else {
                field += c;
            }
            continue;
        }
        if (c == m_separator) {
            ++m_pos;
            fields.append(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '\n' || c == '\r') {
            ++m_pos;
            if (c == '\r') {
                if (m_pos >= m_buffer.size())
                    fill();
                if (m_pos < m_buffer.size() && m_buffer[m_pos] == '\n')
                    ++m_pos;
            }
            fields.append(field);
            return true;
        } else if (c == '"' && field.isEmpty() && !wasQuoted) {
            ++m_pos;
            quoted = true;
            wasQuoted = true;
        } else {
            // A run of plain bytes up to the next byte that means something.
            qsizetype end = m_pos + 1;
            while (end < m_buffer.size()) {
                const char d = m_buffer[end];
                if (d == m_separator || d == '\n' || d == '\r' || d == '"')
                    break;
                ++end;
            }
            field.append(m_buffer.constData() + m_pos, end - m_pos);
            recordBytes += end - m_pos - 1;
            m_pos = end;
        }
    }
}

QString CsvSource::decode(const QByteArray& bytes, bool* ok) const
{
    bool ascii = true;
    for (const char c : bytes) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    if (m_encoding == TableFile::Encoding::Windows1252)
        return Win1252::Decode(bytes);
    // A sequence cut short at the end of the field is no valid text either.
    if (!validUtf8(bytes + QByteArray(4, '\x7f')))
        *ok = false;
    return QString::fromUtf8(bytes);
}

bool CsvSource::Next(TableRow& row)
{
    QList<QByteArray> fields;
    for (;;) {
        if (!readRecord(fields))
            return false;
        ++m_record;
        bool empty = true;
        for (const QByteArray& f : fields) {
            if (!f.isEmpty()) {
                empty = false;
                break;
            }
        }
        if (empty)
            continue; // a blank line, or one of empty fields only
        row.number = m_record;
        row.cells.clear();
        row.problems.clear();
        bool ok = true;
        for (const QByteArray& f : fields)
            row.cells.append(decode(f, &ok));
        if (!ok)
            row.problems.append(u"testo non valido in UTF-8: il file \u00e8 forse in un'altra codifica"_s);
        return true;
    }
}
