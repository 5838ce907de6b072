// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CardFields.h"
#include "CategoryDescriptor.h"
#include "TSQLiteDatabase.h"
#include "TSQLiteTable.h"

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>

// The 36 texts of a card, in CardFields order, as the screens show them.
using CardValues = std::array<QString, CardFields::Count>;

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

    TSQLiteDatabase* Database() const noexcept { return m_db.get(); }
    TSQLiteTable* Cursor() const noexcept { return m_cursor.get(); }

    // The card changes, on the current connection. Values are the cleaned texts; they are stored trimmed.
    qint64 InsertCard(const CardValues& values);
    void UpdateCard(qint64 id, const CardValues& values);
    void StorePicture(qint64 id, const QString& filePath);
    void DeleteCard(qint64 id);
    void CompactArchive();

    // Stores a card's texts and, when photoPath is not empty, its photo, in one transaction: either all of
    // it is stored or nothing is. Inserts when id is empty, otherwise updates that card, which must
    // still exist. Returns the card's id.
    qint64 SaveCard(std::optional<qint64> id, const CardValues& values, const QString& photoPath);

    // The 36 texts of the current row of a result set of this table.
    static CardValues ReadCard(const TSQLiteTable& row);
    // Removes the characters with codes 0 to 32 from both ends.
    static QByteArray TrimValue(const QByteArray& value);
    // The whole content of a photo file; raises when it cannot be read or is empty.
    static QByteArray ReadPictureFile(const QString& filePath);

private:
    TSQLiteDatabase& requireDatabase() const;
    // Runs work in a transaction on the current connection: committed when it succeeds, rolled back at
    // once when anything in it fails.
    void inTransaction(const std::function<void(TSQLiteDatabase&)>& work);
    QList<QByteArray> encodeValues(const CardValues& values) const;
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
