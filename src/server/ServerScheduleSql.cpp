// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerScheduleSql.h"

#include "PgConnection.h"
#include "ServerLink.h"
#include "ServerSchema.h"

#include <libpq-fe.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The server's type identifiers of the integers (pg_type).
constexpr Oid Int8 = 20, Int2 = 21, Int4 = 23;

} // namespace

ServerScheduleSql::ServerScheduleSql(const CategoryDescriptor& category, std::shared_ptr<ServerLink> link)
    : m_category(category)
    , m_link(std::move(link))
{}

ScheduleSource ServerScheduleSql::Source(const QString& connectionString)
{
    return [connectionString] {
        auto link = std::make_shared<ServerLink>(connectionString);
        link->Connection();
        return [link](const CategoryDescriptor& category, bool) -> std::unique_ptr<ScheduleSql> {
            return std::make_unique<ServerScheduleSql>(category, link);
        };
    };
}

QString ServerScheduleSql::EntriesTable() const
{
    return ServerSchema::ScheduleTable(m_category);
}

QString ServerScheduleSql::TreatmentsTable() const
{
    return ServerSchema::TreatmentTable(m_category);
}

QString ServerScheduleSql::CardTable() const
{
    return ServerSchema::CardTable(m_category);
}

QString ServerScheduleSql::Bytewise() const
{
    return u" COLLATE \"C\""_s;
}

ScheduleTables::State ServerScheduleSql::Inspect()
{
    return {ScheduleTables::State::Kind::Ready, {}, true};
}

QString ServerScheduleSql::Numbered(const QString& sql)
{
    QString numbered;
    numbered.reserve(sql.size() + 16);
    bool quoted = false;
    int next = 1;
    for (const QChar c : sql) {
        if (c == u'\'')
            quoted = !quoted;
        if (c == u'?' && !quoted)
            numbered += u'$' + QString::number(next++);
        else
            numbered += c;
    }
    return numbered;
}

std::vector<ScheduleSql::Row> ServerScheduleSql::run(PgConnection& connection, const QString& sql,
                                                     const std::vector<Value>& values, qint64* affected)
{
    std::vector<PgParam> params;
    params.reserve(values.size());
    for (const Value& v : values)
        params.push_back(v ? PgParam{*v, false} : PgParam::Null());
    const PgResult result = connection.Exec(Numbered(sql), params);
    if (affected)
        *affected = result.AffectedRows();
    std::vector<Row> rows;
    rows.reserve(std::size_t(result.Rows()));
    for (int r = 0; r < result.Rows(); ++r) {
        Row row;
        row.reserve(std::size_t(result.Columns()));
        for (int c = 0; c < result.Columns(); ++c) {
            const Oid type = PQftype(result.get(), c);
            if (result.IsNull(r, c))
                row.emplace_back(std::nullopt);
            else if (type == Int8 || type == Int4 || type == Int2)
                row.emplace_back(QByteArray::number(result.Number(r, c)));
            else
                row.emplace_back(result.Bytes(r, c));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<ScheduleSql::Row> ServerScheduleSql::run(const QString& sql, const std::vector<Value>& values,
                                                     qint64* affected)
{
    if (m_writing)
        return run(*m_writing, sql, values, affected);
    std::vector<Row> rows;
    m_link->Read([&](PgConnection& connection) { rows = run(connection, sql, values, affected); });
    return rows;
}

std::vector<ScheduleSql::Row> ServerScheduleSql::Query(const QString& sql, const std::vector<Value>& values)
{
    return run(sql, values, nullptr);
}

qint64 ServerScheduleSql::Exec(const QString& sql, const std::vector<Value>& values)
{
    qint64 affected = 0;
    run(sql, values, &affected);
    return affected;
}

qint64 ServerScheduleSql::Insert(const QString& sql, const std::vector<Value>& values)
{
    const std::vector<Row> rows = run(sql + " RETURNING ID"_L1, values, nullptr);
    return rows.at(0).at(0).value_or("0").toLongLong();
}

void ServerScheduleSql::Write(const std::function<void()>& work)
{
    struct Writing
    {
        PgConnection*& at;
        ~Writing() { at = nullptr; }
    };
    m_link->Write([&](PgConnection& connection) {
        m_writing = &connection;
        const Writing writing{m_writing};
        work();
    });
}

bool ServerScheduleSql::CardExists(qint64 cardId)
{
    // FOR KEY SHARE: a workstation deleting the card waits until this transaction ends, and its delete of
    // the card's schedule rows then sees the rows written here.
    return !Query("SELECT ID FROM "_L1 + CardTable() + " WHERE ID = ? FOR KEY SHARE"_L1, {Number(cardId)})
                .empty();
}
