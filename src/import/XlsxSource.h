// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TableSource.h"
#include "ZipReader.h"

#include <QXmlStreamReader>
#include <vector>

// One sheet of an .xlsx workbook, streamed from the zip: shared and inline strings with their escapes
// decoded, dates as gg/mm/aaaa, numbers with a decimal comma unless the cell's format is text, and the
// cached values of formulas (never evaluated).
class XlsxSource final : public TableSource
{
public:
    XlsxSource(const QString& path, int sheet);

    bool Next(TableRow& row) override;
    double Progress() const override;
    bool TrailingCellsOptional() const override { return true; }

    static QStringList SheetNames(const QString& path);

private:
    enum class Format { General, Text, Date, Time };

    void readSharedStrings();
    void readStyles();
    QString cellText(const QString& type, Format format, const QString& value,
                     const QString& inlineText) const;

    QString m_path;
    ZipReader m_zip;
    std::vector<QString> m_shared;
    std::vector<Format> m_formats; // by the cell's style index
    bool m_system1904 = false;
    std::unique_ptr<ZipMemberDevice> m_sheet;
    qint64 m_sheetSize = 0;
    QXmlStreamReader m_xml;
    qint64 m_lastRow = 0;
};
