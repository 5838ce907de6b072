// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ArchiveStore.h"

// An archive in its SQLite file beside the program: the store's questions asked of a CategoryStore,
// with its statements and its rules.
class FileArchiveStore final : public ArchiveStore
{
public:
    enum class Access {
        Full,    // every operation, the archive created when missing
        LookOnly // positions and reads only, each on a connection of its own that creates nothing: nothing
                 // when the file or its table is missing
    };
    // A look that gives up at once when another connection is writing: the caller reads again later.
    static constexpr int LookAheadBusyTimeoutMs = 50;

    FileArchiveStore(const CategoryDescriptor& category, const QString& programFolder,
                     int busyTimeoutMs = TSQLiteDatabase::DefaultBusyTimeoutMs, Access access = Access::Full);

    const CategoryDescriptor& Category() const noexcept override { return m_store.category(); }
    QString Location() const override { return m_store.DatabasePath(); }
    void Open() override;
    std::optional<ArchiveCard> Position(Step step, std::optional<qint64> from = std::nullopt) override;
    std::optional<ArchiveCard> Read(qint64 id) override;
    std::vector<CardSummary> FindByField(int field, const QString& key) override;
    std::vector<CardSummary> FindByFields(const AdvancedSearchTexts& texts) override;
    qint64 SaveCard(std::optional<qint64> id, const CardValues& values, const QString& photoPath,
                    const StoredCard* expected = nullptr, StoredCard* written = nullptr) override;
    void DeleteCard(qint64 id) override;
    bool CanCompact() const noexcept override { return true; }
    void Compact() override;
    std::vector<QList<QByteArray>> FieldsOfAll(std::span<const int> fields) override;
    qint64 CardCount() override;
    void AddCards(bool write, const std::function<bool(CardBatch&)>& work) override;
    std::vector<ArchiveRow> RowsAfter(qint64 afterId, int limit) override;
    ScheduleTables::Rows ScheduleRows() override;
    void ReplaceAll(const std::function<std::optional<ArchiveRow>()>& next,
                    const ScheduleTables::Rows& schedule) override;

    CategoryStore& Store() noexcept { return m_store; }

private:
    std::optional<ArchiveCard> cardAt(const QString& sql);
    std::optional<ArchiveCard> lookAt(const QString& sql) const;
    void ensureConnection();
    void requireFullAccess() const;

    CategoryStore m_store;
    int m_busyTimeoutMs;
    Access m_access;
    // The connection was opened by Open() and nothing has used it since: a save need not open another.
    bool m_fresh = false;
};
