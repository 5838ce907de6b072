// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CardSource.h"

#include <QHash>
#include <QTemporaryDir>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The cards of the same archive in another program folder (another computer's copy, the portable bundle)
// or in a backup generation (a .zip holding the archives at its root): their texts, photos and attached
// files' paths as stored, and their schedule and booklet rows when those tables exist there, carried over
// with their card IDs remapped to the new cards. The other archive is only read.
class ArchiveCardSource final : public CardSource
{
public:
    // Whether path is a folder or a .zip file, which this source reads (anything else is a table).
    static bool IsArchiveSource(const QString& path);

    // Raises EImportError when the folder or generation holds no such archive or it cannot be read.
    ArchiveCardSource(const QString& path, const CategoryDescriptor& category);
    ~ArchiveCardSource() override;

    bool Next(ImportCandidate& card) override;
    double Progress() const override;
    QString RowWord() const override;
    void Inserted(qint64 sourceId, qint64 newId) override;
    QStringList Finish(CardBatch& target, bool write) override;

private:
    bool hasTable(const char* name) const;

    const CategoryDescriptor& m_category;
    std::unique_ptr<QTemporaryDir> m_unpacked; // the archive taken out of a generation
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_cards = nullptr;
    qint64 m_total = 0;
    qint64 m_read = 0;
    QHash<qint64, qint64> m_newIds; // source card ID -> new card ID (0 in a dry run)
};
