// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/ArchiveStore.h"

#include <memory>

class PgConnection;
class PgResult;
class ServerLink;

// An archive in its schema on the archives' server, reached through the archive's ServerLink. Texts are
// stored as the files store them (Windows-1252 bytes, as bytea) and travel in binary; the search reads the
// searched columns and matches them with the files' own byte-wise rule (ByteLike), so that both engines
// find the same cards.
class ServerArchiveStore final : public ArchiveStore
{
public:
    ServerArchiveStore(const CategoryDescriptor& category, std::shared_ptr<ServerLink> link);

    const CategoryDescriptor& Category() const noexcept override { return m_category; }
    QString Location() const override;
    void Open() override;
    std::optional<ArchiveCard> Position(Step step, std::optional<qint64> from = std::nullopt) override;
    std::optional<ArchiveCard> Read(qint64 id) override;
    std::vector<CardSummary> FindByField(int field, const QString& key) override;
    std::vector<CardSummary> FindByFields(const AdvancedSearchTexts& texts) override;
    qint64 SaveCard(std::optional<qint64> id, const CardValues& values, const QString& photoPath,
                    const StoredCard* expected = nullptr, StoredCard* written = nullptr) override;
    void DeleteCard(qint64 id) override;
    bool CanCompact() const noexcept override { return false; }
    void Compact() override {}
    std::vector<QList<QByteArray>> FieldsOfAll(std::span<const int> fields) override;
    qint64 CardCount() override;
    void AddCards(bool write, const std::function<bool(CardBatch&)>& work) override;
    std::vector<ArchiveRow> RowsAfter(qint64 afterId, int limit) override;
    ScheduleTables::Rows ScheduleRows() override;
    void ReplaceAll(const std::function<std::optional<ArchiveRow>()>& next,
                    const ScheduleTables::Rows& schedule) override;

private:
    // The card of the first row of a result of cardColumns(); nothing when it has no rows.
    static std::optional<ArchiveCard> cardOf(const PgResult& result);
    std::optional<ArchiveCard> cardWhere(const QString& condition, const std::vector<qint64>& values = {});
    std::optional<ArchiveCard> cardWhere(PgConnection& connection, const QString& tail,
                                         const std::vector<qint64>& values);
    // The cards whose columns match each its pattern (Windows-1252 bytes, "%" + key + "%").
    std::vector<CardSummary> findCards(const std::vector<int>& fields, const QList<QString>& keys);

    const CategoryDescriptor& m_category;
    std::shared_ptr<ServerLink> m_link;
    QString m_table;
};
