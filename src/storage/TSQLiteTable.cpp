// SPDX-License-Identifier: GPL-3.0-or-later
#include "TSQLiteTable.h"

#include "ESQLiteException.h"
#include "SqlStatement.h"
#include "TSQLiteDatabase.h"

#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace {

ColumnKind kindFromDeclaredType(const char* declared, int firstRowType)
{
    if (!declared)
        return ColumnKind(firstRowType);
    auto is = [declared](const char* name) { return std::strcmp(declared, name) == 0; };
    if (is("INTEGER") || is("BOOLEAN"))
        return ColumnKind::Integer;
    if (is("NUMERIC") || is("FLOAT") || is("DOUBLE") || is("REAL"))
        return ColumnKind::Float;
    if (is("BLOB"))
        return ColumnKind::Blob;
    return ColumnKind::Text;
}

} // namespace

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& db, const QString& sql, const QList<QByteArray>& textValues)
{
    SqlStatement st(db, sql, "Error executing SQL");
    st.bindTexts(textValues);
    sqlite3_stmt* stmt = st.get();

    int rc = sqlite3_step(stmt);
    while (rc != SQLITE_DONE) {
        if (rc == SQLITE_BUSY)
            throw ESQLiteException(QStringLiteral("Could not prepare SQL statement"), SQLITE_BUSY);
        if (rc != SQLITE_ROW)
            db.RaiseSqlError(QStringLiteral("Could not retrieve data"), sql);
        ++m_rowCount;
        if (m_rowCount == 1) {
            m_columnCount = sqlite3_column_count(stmt);
            m_columnKinds.reserve(m_columnCount);
            for (int c = 0; c < m_columnCount; ++c)
                m_columnNames.append(QString::fromUtf8(sqlite3_column_name(stmt, c)).toUpper());
            for (int c = 0; c < m_columnCount; ++c)
                m_columnKinds.push_back(
                    kindFromDeclaredType(sqlite3_column_decltype(stmt, c), sqlite3_column_type(stmt, c)));
        }
        for (int c = 0; c < m_columnCount; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
                m_cells.emplace_back();
                continue;
            }
            switch (m_columnKinds[c]) {
            case ColumnKind::Integer:
                m_cells.emplace_back(qint64(sqlite3_column_int64(stmt, c)));
                break;
            case ColumnKind::Float:
                m_cells.emplace_back(sqlite3_column_double(stmt, c));
                break;
            case ColumnKind::Blob: {
                const int size = sqlite3_column_bytes(stmt, c);
                if (size == 0)
                    m_cells.emplace_back();
                else
                    m_cells.emplace_back(
                        QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)), size));
                break;
            }
            default:
                m_cells.emplace_back(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
                break;
            }
        }
        rc = sqlite3_step(stmt);
    }
    m_currentRow = 0;
}

bool TSQLiteTable::GoNext()
{
    if (AtEnd())
        return false;
    ++m_currentRow;
    return true;
}

bool TSQLiteTable::GoFirst()
{
    if (m_rowCount == 0)
        return false;
    m_currentRow = 0;
    return true;
}

bool TSQLiteTable::GoLast()
{
    if (m_rowCount == 0)
        return false;
    m_currentRow = m_rowCount - 1;
    return true;
}

bool TSQLiteTable::GoToRow(qint64 position)
{
    if (position < 0 || position >= qint64(m_rowCount))
        return false;
    m_currentRow = quint32(position);
    return true;
}

int TSQLiteTable::ColumnIndexOf(const QString& name) const
{
    if (m_columnNames.isEmpty())
        throw ESQLiteException(QStringLiteral("Field ") + name + QStringLiteral(" Not found. Empty dataset"));
    const int index = int(m_columnNames.indexOf(name.toUpper()));
    if (index < 0)
        throw ESQLiteException(QStringLiteral("Field not found in dataset: ") + name);
    return index;
}

void TSQLiteTable::requireRow() const
{
    if (AtEnd())
        throw ESQLiteException(QStringLiteral("Table is at End of File"));
}

const TSQLiteTable::Cell& TSQLiteTable::cell(int column) const
{
    if (column < 0 || column >= m_columnCount)
        throw ESQLiteException(QStringLiteral("Field index out of range: %1").arg(column));
    return m_cells[std::size_t(m_currentRow) * std::size_t(m_columnCount) + std::size_t(column)];
}

bool TSQLiteTable::IsNull(int column) const
{
    requireRow();
    return std::holds_alternative<std::monostate>(cell(column));
}

qint64 TSQLiteTable::IntegerValue(int column) const
{
    requireRow();
    const Cell& value = cell(column);
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    if (const auto* i = std::get_if<qint64>(&value))
        return *i;
    if (const auto* d = std::get_if<double>(&value))
        return qint64(std::trunc(*d));
    throw ESQLiteException(QStringLiteral("Not an integer or numeric field"));
}

const QByteArray* TSQLiteTable::BlobStream(int column) const
{
    requireRow();
    const Cell& value = cell(column);
    if (std::holds_alternative<std::monostate>(value))
        return nullptr;
    if (m_columnKinds[column] != ColumnKind::Blob)
        throw ESQLiteException(QStringLiteral("Not a Blob field"));
    return &std::get<QByteArray>(value);
}

QByteArray TSQLiteTable::BlobText(int column) const
{
    const QByteArray* blob = BlobStream(column);
    return blob ? *blob : QByteArray();
}

QByteArray TSQLiteTable::TextValue(int column) const
{
    requireRow();
    const Cell& value = cell(column);
    if (const auto* bytes = std::get_if<QByteArray>(&value))
        return *bytes;
    if (const auto* i = std::get_if<qint64>(&value))
        return QByteArray::number(*i);
    if (const auto* d = std::get_if<double>(&value))
        return QByteArray::number(*d);
    return {};
}
