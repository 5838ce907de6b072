// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScheduleSql.h"
#include "TSQLiteDatabase.h"

#include <memory>

struct CategoryDescriptor;

// The schedule's tables in an archive file, on a connection of its own or on one the caller keeps open.
class FileScheduleSql final : public ScheduleSql
{
public:
    FileScheduleSql(const CategoryDescriptor& category, std::unique_ptr<TSQLiteDatabase> own);
    FileScheduleSql(const CategoryDescriptor& category, TSQLiteDatabase& db);

    // The archives of programFolder; an archive file that does not exist is opened only to write.
    static ScheduleSource Source(const QString& programFolder);

    TSQLiteDatabase& Database() const noexcept { return *m_db; }

    QString EntriesTable() const override { return QString::fromLatin1(ScheduleTables::Entries); }
    QString TreatmentsTable() const override { return QString::fromLatin1(ScheduleTables::Treatments); }
    QString CardTable() const override;
    QString Bytewise() const override { return {}; }
    QString NewEntryId() const override;
    ScheduleTables::State Inspect() override { return ScheduleTables::Inspect(*m_db); }
    bool HasCardTable() override;
    std::vector<Row> Query(const QString& sql, const std::vector<Value>& values = {}) override;
    qint64 Exec(const QString& sql, const std::vector<Value>& values = {}) override;
    qint64 Insert(const QString& sql, const std::vector<Value>& values = {}) override;
    void Write(const std::function<void()>& work) override;
    bool CardExists(qint64 cardId) override;

private:
    const CategoryDescriptor& m_category;
    std::unique_ptr<TSQLiteDatabase> m_own;
    TSQLiteDatabase* m_db;
    bool m_prepared = false; // a write succeeded: the tables exist and were cleaned
};
