// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CategoryStore.h"
#include "ScheduleTables.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// A card read whole: its identifier and its stored bytes (the 36 texts and the photo).
struct ArchiveCard
{
    qint64 id = 0;
    StoredCard stored;
};

// A row of the card table as it lies in the archive, every column kept, NULL apart from empty: what moving
// an archive between engines copies and compares.
struct ArchiveRow
{
    qint64 id = 0;
    std::array<std::optional<QByteArray>, CardFields::Count> texts;
    std::optional<QByteArray> picture;
    std::optional<QByteArray> ext;

    bool operator==(const ArchiveRow&) const = default;
};

// What an import writes into an archive, inside the one transaction of ArchiveStore::AddCards.
class CardBatch
{
public:
    virtual ~CardBatch() = default;
    // Calls each with the identifier and the texts of the given CardFields entries of every card, in
    // identifier order; never the photos.
    virtual void ForEachCard(std::span<const int> fields,
                             const std::function<void(qint64 id, const QList<QByteArray>& texts)>& each) = 0;
    // Stores a new card: its 36 texts as they are to lie in the archive, its JPEG bytes (empty for none).
    // Returns its identifier.
    virtual qint64 Insert(const std::array<QByteArray, CardFields::Count>& texts,
                          const QByteArray& photo) = 0;
    // Stores a schedule row (Scadenze when entry is set, otherwise Trattamenti) whose card is one this batch
    // stored: its columns as ScheduleTables gives them, the ID left out. Returns the row's identifier.
    virtual qint64 InsertScheduleRow(bool entry, const ScheduleTables::Row& row) = 0;
};

// One archive as the screens use it, wherever it lives: a SQLite file beside the program
// (FileArchiveStore) or a schema on the archives' server (ServerArchiveStore). The screens speak in cards,
// never in SQL, so both engines answer the same questions the same way:
// - the search's rule: a key matches a value containing it, trimmed of the characters of codes 0 to 32;
//   '%' and '_' in it are wildcards, only the letters A to Z match either case, every other character
//   only itself; an empty key matches every card; a key Windows-1252 cannot represent matches none;
// - the save's conflict check: ECardChangedElsewhere when the card changed since it was read, and the
//   "no longer in the archive" error when it was deleted, nothing stored in either case.
// Every failure is raised as ESQLiteException (EServerError from the server). A store is used by one
// thread at a time.
class ArchiveStore
{
public:
    enum class Step { First, Previous, Next, Last };

    virtual ~ArchiveStore() = default;

    virtual const CategoryDescriptor& Category() const noexcept = 0;
    // Where the archive lives, for messages: the file's path, or the server and schema.
    virtual QString Location() const = 0;

    // Makes the archive ready (creating it when it is missing) and drops whatever a previous action kept.
    virtual void Open() = 0;

    // The card at step from the card from: the first, the one with the highest identifier below from,
    // the one with the lowest above it, or the last. Previous and Next without from give the first card.
    // Nothing when there is no such card.
    virtual std::optional<ArchiveCard> Position(Step step, std::optional<qint64> from = std::nullopt) = 0;
    // The card with that identifier, read whole; nothing when it does not exist.
    virtual std::optional<ArchiveCard> Read(qint64 id) = 0;

    // The cards whose field (a CardFields index below EditableCount) contains key, in identifier order.
    virtual std::vector<CardSummary> FindByField(int field, const QString& key) = 0;
    // The cards whose nine AdvancedSearchFields contain each its own text.
    virtual std::vector<CardSummary> FindByFields(const AdvancedSearchTexts& texts) = 0;

    // Stores a card's texts and, when photoPath is not empty, its photo, in one transaction. Inserts when
    // id is empty, otherwise updates that card; when expected is given, an update first compares the
    // stored card with it inside the transaction. written, when given, receives the card as stored.
    // Returns the card's identifier.
    virtual qint64 SaveCard(std::optional<qint64> id, const CardValues& values, const QString& photoPath,
                            const StoredCard* expected = nullptr, StoredCard* written = nullptr) = 0;
    // Deletes the card; a card already gone is no error.
    virtual void DeleteCard(qint64 id) = 0;
    // Whether Compact has anything to do: the server gives the space of deleted cards back by itself.
    virtual bool CanCompact() const noexcept = 0;
    // Gives the space of deleted cards back.
    virtual void Compact() = 0;

    // The texts of the given CardFields entries of every card, in identifier order; never the photos.
    virtual std::vector<QList<QByteArray>> FieldsOfAll(std::span<const int> fields) = 0;
    virtual qint64 CardCount() = 0;

    // Adding cards in number (the import). With write set: work runs in one transaction that keeps other
    // writers out from its first read to its end (the archive created when missing); what it inserted is
    // stored when it returns true, nothing when it returns false or raises. Without write (a dry run):
    // work only reads, nothing is locked or created, and a missing archive has no cards.
    virtual void AddCards(bool write, const std::function<bool(CardBatch&)>& work) = 0;

    // Moving archives. At most limit rows whose identifier is above afterId, whole, in identifier order.
    virtual std::vector<ArchiveRow> RowsAfter(qint64 afterId, int limit) = 0;
    // The schedule's rows, whole, with their identifiers.
    virtual ScheduleTables::Rows ScheduleRows() = 0;
    // In one transaction: removes every card, then stores each row that next gives, with its own
    // identifier, until next gives nothing, and replaces the schedule's rows by schedule (none: the
    // archive keeps no schedule). When anything fails, the archive stays as it was.
    virtual void ReplaceAll(const std::function<std::optional<ArchiveRow>()>& next,
                            const ScheduleTables::Rows& schedule = {}) = 0;
};
