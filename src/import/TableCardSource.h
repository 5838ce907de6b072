// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CardSource.h"
#include "TableSource.h"

#include <QList>
#include <memory>

// The rows of a table as cards, through a column mapping (ColumnMapping). A row with more or fewer
// fields than the header, text not valid in the file's encoding, or a photo that is missing or does not
// decode cleanly (the checks of loading a photo on the card) is a row with problems.
class TableCardSource final : public CardSource
{
public:
    // Opens the file and reads its header (its first row holding text); raises EImportError when it
    // cannot be read or holds no row at all.
    explicit TableCardSource(const TableFile& file);

    const QStringList& Headers() const noexcept { return m_headers; }
    // The target of each header column (ColumnMapping); columns past the list are ignored.
    void SetMapping(const QList<int>& targets) { m_targets = targets; }
    const QList<int>& Mapping() const noexcept { return m_targets; }

    bool Next(ImportCandidate& card) override;
    double Progress() const override { return m_table->Progress(); }
    QString RowWord() const override;

    // The photo file's bytes when they decode cleanly; otherwise empty, and why in error.
    static QByteArray CheckedPhoto(const QString& path, QString* error);

private:
    TableFile m_file;
    std::unique_ptr<TableSource> m_table;
    QStringList m_headers;
    QList<int> m_targets;
    QString m_folder;
};

// The header and up to count rows after it, for the screen's preview.
struct TablePreview
{
    QStringList headers;
    QList<QStringList> rows;
    QList<qint64> numbers; // each row's number in the file, as the report names it (empty rows skipped)
};
TablePreview PreviewTable(const TableFile& file, int count = 20);
