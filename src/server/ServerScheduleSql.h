// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/ScheduleSql.h"

#include <memory>

class PgConnection;
class ServerLink;

// The schedule's tables of one archive in its schema on the archives' server, reached through the
// archive's ServerLink. The layout is made by the link (ServerSchema), so both tables always exist.
class ServerScheduleSql final : public ScheduleSql
{
public:
    ServerScheduleSql(const CategoryDescriptor& category, std::shared_ptr<ServerLink> link);

    // The archives of the server named by connectionString: each opener (one per thread) holds one
    // connection for the ten archives, made when the opener is made, so that a server that cannot be
    // reached is told once.
    static ScheduleSource Source(const QString& connectionString);

    QString EntriesTable() const override;
    QString TreatmentsTable() const override;
    QString CardTable() const override;
    QString Bytewise() const override;
    QString NewEntryId() const override { return {}; }
    ScheduleTables::State Inspect() override;
    bool HasCardTable() override { return true; }
    std::vector<Row> Query(const QString& sql, const std::vector<Value>& values = {}) override;
    qint64 Exec(const QString& sql, const std::vector<Value>& values = {}) override;
    qint64 Insert(const QString& sql, const std::vector<Value>& values = {}) override;
    void Write(const std::function<void()>& work) override;
    bool CardExists(qint64 cardId) override;

    // "?" placeholders as the server numbers them ($1, $2, …), outside quoted texts.
    static QString Numbered(const QString& sql);

private:
    std::vector<Row> run(PgConnection& connection, const QString& sql, const std::vector<Value>& values,
                         qint64* affected);
    std::vector<Row> run(const QString& sql, const std::vector<Value>& values, qint64* affected);

    const CategoryDescriptor& m_category;
    std::shared_ptr<ServerLink> m_link;
    PgConnection* m_writing = nullptr; // the connection of the write under way
};
