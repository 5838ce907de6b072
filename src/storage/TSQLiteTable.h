// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

class TSQLiteDatabase;

// Storage kind of a result column; the numbers are SQLite's own type codes.
enum class ColumnKind { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

// The complete, in-memory result of one query. Once built it holds no statement and does not depend on
// the database object, which may be destroyed first.
class TSQLiteTable
{
public:
    TSQLiteTable(TSQLiteDatabase& db, const QString& sql, const QList<QByteArray>& textValues = {});
    TSQLiteTable(const TSQLiteTable&) = delete;
    TSQLiteTable& operator=(const TSQLiteTable&) = delete;

    quint32 RowCount() const noexcept { return m_rowCount; }
    int ColumnCount() const noexcept { return m_columnCount; }
    const QStringList& ColumnNames() const noexcept { return m_columnNames; }
    quint32 CurrentRow() const noexcept { return m_currentRow; }

    bool AtEnd() const noexcept { return m_currentRow >= m_rowCount; }
    bool GoNext();
    bool GoFirst();
    bool GoLast();
    bool GoToRow(qint64 position);

    int ColumnIndexOf(const QString& name) const;
    bool IsNull(int column) const;
    qint64 IntegerValue(int column) const;
    // The table's own copy of a blob cell; nullptr for a null (or zero-length) cell. Owned by the table.
    const QByteArray* BlobStream(int column) const;
    // The blob's bytes, unconverted; empty for a null cell.
    QByteArray BlobText(int column) const;
    // The cell's bytes whatever the column's kind: a text or blob as stored, a number in decimal; empty for
    // a null cell.
    QByteArray TextValue(int column) const;

private:
    using Cell = std::variant<std::monostate, qint64, double, QByteArray>;
    const Cell& cell(int column) const;
    void requireRow() const;

    quint32 m_rowCount = 0;
    int m_columnCount = 0;
    QStringList m_columnNames;
    std::vector<ColumnKind> m_columnKinds;
    std::vector<Cell> m_cells;
    quint32 m_currentRow = 0;
};
