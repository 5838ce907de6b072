// SPDX-License-Identifier: GPL-3.0-or-later
#include "TableSource.h"

#include "CsvSource.h"
#include "OdsSource.h"
#include "XlsxSource.h"

using namespace Qt::Literals::StringLiterals;

TableFile TableFile::ForPath(const QString& path)
{
    TableFile file;
    file.path = path;
    if (path.endsWith(u".xlsx"_s, Qt::CaseInsensitive))
        file.kind = Kind::Xlsx;
    else if (path.endsWith(u".ods"_s, Qt::CaseInsensitive))
        file.kind = Kind::Ods;
    return file;
}

std::unique_ptr<TableSource> OpenTable(const TableFile& file)
{
    switch (file.kind) {
    case TableFile::Kind::Xlsx:
        return std::make_unique<XlsxSource>(file.path, file.sheet);
    case TableFile::Kind::Ods:
        return std::make_unique<OdsSource>(file.path, file.sheet);
    case TableFile::Kind::Csv:
        break;
    }
    return std::make_unique<CsvSource>(file.path, file.encoding);
}

QStringList SheetNames(const TableFile& file)
{
    if (file.kind == TableFile::Kind::Xlsx)
        return XlsxSource::SheetNames(file.path);
    if (file.kind == TableFile::Kind::Ods)
        return OdsSource::SheetNames(file.path);
    return {};
}
