// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TableSource.h"

#include <QFile>
#include <QStringDecoder>

// A CSV file as spreadsheet programs write it: the separator (";", "," or a tab) found from the header
// line, fields in double quotes with doubled quotes inside, line breaks inside quoted fields, CRLF or LF.
// The encoding is UTF-8 (with or without a byte-order mark) or Windows-1252, detected from the bytes
// unless given. Read in blocks: memory stays bounded whatever the file's size, and a record longer than
// MaxRecordBytes (an unclosed quote in a huge file) is refused.
class CsvSource final : public TableSource
{
public:
    static constexpr qsizetype MaxRecordBytes = 16 * 1024 * 1024;

    CsvSource(const QString& path, TableFile::Encoding encoding);

    bool Next(TableRow& row) override;
    double Progress() const override;
    bool TrailingCellsOptional() const override { return false; }

    TableFile::Encoding Encoding() const noexcept { return m_encoding; }
    char Separator() const noexcept { return m_separator; }
    // The encoding of bytes: UTF-8 when they start with a byte-order mark or are valid UTF-8 (a sequence
    // cut at the end included), Windows-1252 otherwise.
    static TableFile::Encoding Detect(const QByteArray& bytes);
    // The same, from the first megabyte of a file (UTF-8 when it cannot be read).
    static TableFile::Encoding DetectFile(const QString& path);

private:
    bool fill();
    bool readRecord(QList<QByteArray>& fields);
    QString decode(const QByteArray& bytes, bool* ok) const;

    QString m_path;
    QFile m_file;
    qint64 m_size = 0;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_eof = false;
    TableFile::Encoding m_encoding;
    char m_separator = ';';
    qint64 m_record = 0;
};
