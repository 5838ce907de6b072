// SPDX-License-Identifier: GPL-3.0-or-later
#include "TableCardSource.h"

#include "ColumnMapping.h"
#include "ImportError.h"
#include "picture/JpegDecoder.h"
#include "storage/CardFields.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// The record card's photo box: a photo is checked by decoding it for that box, as loading it there does.
constexpr QSize CardPhotoBox{320, 237};

} // namespace

TableCardSource::TableCardSource(const TableFile& file)
    : m_file(file)
    , m_table(OpenTable(file))
    , m_folder(QFileInfo(file.path).absolutePath())
{
    TableRow header;
    if (!m_table->Next(header))
        throw EImportError(u"Il file \u00ab%1\u00bb non contiene righe da importare."_s.arg(file.path));
    m_headers = header.cells;
}

QString TableCardSource::RowWord() const
{
    return u"riga"_s;
}

QByteArray TableCardSource::CheckedPhoto(const QString& path, QString* error)
{
    QByteArray bytes;
    try {
        bytes = CategoryStore::ReadPictureFile(path);
    } catch (const ESQLiteException&) {
        *error = QFileInfo::exists(path) ? u"foto \u00ab%1\u00bb illeggibile o vuota"_s.arg(path)
                                         : u"foto \u00ab%1\u00bb non trovata"_s.arg(path);
        return {};
    }
    const JpegPicture picture = Jpeg::Decode(bytes, CardPhotoBox);
    QString why = picture.error;
    if (why.isEmpty() && picture.warnings > 0)
        why = u"dati dell'immagine incompleti o danneggiati"_s;
    if (why.isEmpty() && picture.image.isNull())
        why = u"non decodificabile"_s;
    if (!why.isEmpty()) {
        *error = u"foto \u00ab%1\u00bb non caricabile (%2)"_s.arg(path, why);
        return {};
    }
    return bytes;
}

bool TableCardSource::Next(ImportCandidate& card)
{
    TableRow row;
    if (!m_table->Next(row))
        return false;
    card = ImportCandidate{};
    card.row = row.number;
    card.problems = row.problems;
    const qsizetype expected = m_headers.size();
    if (row.cells.size() > expected || (row.cells.size() < expected && !m_table->TrailingCellsOptional()))
        card.problems.append(row.cells.size() == 1
                                 ? u"1 campo invece di %1"_s.arg(expected)
                                 : u"%1 campi invece di %2"_s.arg(row.cells.size()).arg(expected));
    for (qsizetype c = 0; c < row.cells.size() && c < m_targets.size(); ++c) {
        const int target = m_targets[c];
        const QString& text = row.cells[c];
        if (target >= 0 && target < CardFields::EditableCount) {
            card.values[std::size_t(target)] = text;
        } else if (target == ColumnMapping::Photo) {
            const QString path = text.trimmed();
            if (path.isEmpty())
                continue;
            QString error;
            card.photo =
                CheckedPhoto(QDir::isAbsolutePath(path) ? path : QDir(m_folder).filePath(path), &error);
            if (!error.isEmpty())
                card.problems.append(error);
        }
    }
    return true;
}

TablePreview PreviewTable(const TableFile& file, int count)
{
    TablePreview preview;
    const auto table = OpenTable(file);
    TableRow row;
    if (!table->Next(row))
        throw EImportError(u"Il file \u00ab%1\u00bb non contiene righe da importare."_s.arg(file.path));
    preview.headers = row.cells;
    while (preview.rows.size() < count && table->Next(row)) {
        preview.rows.append(row.cells);
        preview.numbers.append(row.number);
    }
    return preview;
}
