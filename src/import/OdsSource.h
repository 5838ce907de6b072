// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TableSource.h"
#include "ZipReader.h"

#include <QXmlStreamReader>

// One sheet of an .ods workbook, streamed from its content.xml: texts as shown (paragraphs joined by line
// breaks), dates as gg/mm/aaaa, numbers with a decimal comma. Repeated rows and cells are never expanded
// into memory: empty ones are counted and passed over.
class OdsSource final : public TableSource
{
public:
    OdsSource(const QString& path, int sheet);

    bool Next(TableRow& row) override;
    double Progress() const override;
    bool TrailingCellsOptional() const override { return true; }

    static QStringList SheetNames(const QString& path);

private:
    QString cellText();

    QString m_path;
    ZipReader m_zip;
    std::unique_ptr<ZipMemberDevice> m_content;
    qint64 m_contentSize = 0;
    QXmlStreamReader m_xml;
    qint64 m_row = 0;            // the number of the last row read
    qint64 m_pendingRepeats = 0; // copies of the last row still to give
    TableRow m_repeated;
};
