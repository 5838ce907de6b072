// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CardFields.h"
#include "CategoryDescriptor.h"
#include "ESQLiteException.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// The 36 texts of a card, in CardFields order, as the screens show them.
using CardValues = std::array<QString, CardFields::Count>;

// A card as it lies in the archive: the stored bytes of its 36 texts and of its photo (empty when it has
// none). What a screen remembers of the card it shows, to tell whether another copy of the program has
// changed it since.
struct StoredCard
{
    QList<QByteArray> texts;
    QByteArray picture;

    bool operator==(const StoredCard&) const = default;
};

// Raised by SaveCard when the card was changed in the archive after it was read; nothing was stored.
class ECardChangedElsewhere : public ESQLiteException
{
public:
    using ESQLiteException::ESQLiteException;
};

// A found card as the result lists show it: its identifier and the six texts its line is made of.
struct CardSummary
{
    qint64 id = 0;
    QString nome;
    QString razza;
    QString sesso;
    QString dataNasc;
    QString telefono;
    QString prezzo;
};

// The nine fields of the advanced search, in the order of its form and of its query.
inline constexpr std::array<int, 9> AdvancedSearchFields = {
    CardFields::Nome,         CardFields::Razza,      CardFields::Sesso,
    CardFields::Proprietario, CardFields::Medico,     CardFields::Profilo,
    CardFields::Addestratore, CardFields::Specialita, CardFields::Note};
// The texts typed into those nine fields, in the same order.
using AdvancedSearchTexts = std::array<QString, AdvancedSearchFields.size()>;

// One category's archive as a screen sees it: the database file beside the executable, the screen's
// connection and its current result set. Both are replaced, never reused: OpenArchive opens a fresh
// connection (rolling back whatever the previous one left open) and every query replaces the result set.
// Every failure is raised as ESQLiteException.
class CategoryStore
{
public:
    CategoryStore(const CategoryDescriptor& category, const QString& programFolder,
                  int busyTimeoutMs = TSQLiteDatabase::DefaultBusyTimeoutMs);
    CategoryStore(const CategoryStore&) = delete;
    CategoryStore& operator=(const CategoryStore&) = delete;

    const CategoryDescriptor& category() const noexcept { return m_category; }
    // How long the next connections wait for another connection's lock.
    void SetBusyTimeout(int milliseconds) noexcept { m_busyTimeoutMs = milliseconds; }
    QString DatabasePath() const;
    QString CreateTableSql() const;

    // Positioning queries; each returns zero or one row.
    QString QueryFirst() const;
    QString QueryPrevious(qint64 id) const;
    QString QueryNext(qint64 id) const;
    QString QueryLast() const;
    QString QueryById(qint64 id) const;
    QString QueryAll() const;

    // Opens a new connection, creates the table when it is missing, and otherwise runs the positioning
    // query into a new result set. Returns whether the table existed (and so whether the query ran).
    bool OpenArchive(const QString& positioningSql);
    // Replaces the result set with the result of sql on the current connection.
    TSQLiteTable& Query(const QString& sql);

    // The searches. Each opens a new connection as OpenArchive does (creating a missing table, which then
    // finds nothing), releases the result set and returns the found cards in SQLite's order, unsorted.
    // Only the identifier and the six listed columns are read, never the photo; Query(QueryById(id))
    // then reads a chosen card whole on the same connection.
    // A key matches a value containing it, trimmed of the characters of codes 0 to 32; '%' and '_' in it
    // are wildcards, the letters A to Z match either case and every other character only itself. An
    // empty key matches every card, a NULL value included. A key holding a character that Windows-1252
    // cannot represent matches no card.
    //
    // The cards whose field (a CardFields index below EditableCount) contains key.
    std::vector<CardSummary> FindByField(int field, const QString& key);
    // The cards whose nine AdvancedSearchFields contain each its own text.
    std::vector<CardSummary> FindByFields(const AdvancedSearchTexts& texts);

    TSQLiteDatabase* Database() const noexcept { return m_db.get(); }
    TSQLiteTable* Cursor() const noexcept { return m_cursor.get(); }

    // The card changes, on the current connection. Values are the cleaned texts; they are stored trimmed.
    // A new card takes its identifier clean: schedule rows that still carry it are removed with the insert.
    qint64 InsertCard(const CardValues& values);
    void UpdateCard(qint64 id, const CardValues& values);
    void StorePicture(qint64 id, const QString& filePath);
    // Deletes the card, then positions the result set on the first card.
    void DeleteCard(qint64 id);
    // Deletes the card only (with its schedule and booklet rows, in one transaction).
    void DeleteRow(qint64 id);
    void CompactArchive();

    // Stores a card's texts and, when photoPath is not empty, its photo, in one transaction: either all of
    // it is stored or nothing is. Inserts when id is empty, otherwise updates that card, which must
    // still exist. When expected is given, an update first compares the stored card with it, inside the
    // transaction, and raises ECardChangedElsewhere without storing anything when they differ. Returns
    // the card's id.
    // written, when given, receives the card as stored, read back inside the same transaction.
    qint64 SaveCard(std::optional<qint64> id, const CardValues& values, const QString& photoPath,
                    const StoredCard* expected = nullptr, StoredCard* written = nullptr);
    // The cleaned texts as the archive will hold them: Windows-1252 bytes, trimmed. Raises when a text
    // holds a character the archive cannot represent.
    QList<QByteArray> EncodeValues(const CardValues& values) const;

    // The 36 texts of the current row of a result set of this table.
    static CardValues ReadCard(const TSQLiteTable& row);
    // The stored bytes of the current row's texts and photo.
    static StoredCard ReadStoredCard(const TSQLiteTable& row);
    // Removes the characters with codes 0 to 32 from both ends.
    static QByteArray TrimValue(const QByteArray& value);
    // The whole content of a photo file; raises when it cannot be read or is empty.
    static QByteArray ReadPictureFile(const QString& filePath);

private:
    // A new connection; creates the table when it is missing. Returns whether the table existed (when
    // another copy created it meanwhile, it did).
    bool reopen();
    // The found cards of the condition, its values bound as TEXT: "%" + trimmed text + "%" each.
    std::vector<CardSummary> findCards(const QString& condition, const QList<QString>& texts);
    TSQLiteDatabase& requireDatabase() const;
    // Runs work in a transaction on the current connection: committed when it succeeds, rolled back at
    // once when anything in it fails.
    void inTransaction(const std::function<void(TSQLiteDatabase&)>& work);
    void insertRow(const QList<QByteArray>& values);
    void updateRow(qint64 id, const QList<QByteArray>& values);
    QString pictureSql(qint64 id) const;

    const CategoryDescriptor& m_category;
    QString m_programFolder;
    int m_busyTimeoutMs;
    std::unique_ptr<TSQLiteDatabase> m_db;
    std::unique_ptr<TSQLiteTable> m_cursor;

public:
    // Lists of the whole archive (the export grid). Every card's texts of the given CardFields entries,
    // in ID order, and no other column: such a list never reads the photos into memory.
    QString QueryFieldsOfAll(std::span<const int> fields) const;
};
