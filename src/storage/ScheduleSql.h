// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScheduleTables.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The schedule's two tables of one archive, wherever the archive lives: its SQLite file
// (FileScheduleSql) or its schema on the archives' server. The schedule writes its statements once,
// with "?" for each value and the tables' names asked of it; values travel as text (numbers in decimal,
// texts in UTF-8, NULL kept apart). Every failure is raised as ESQLiteException.
class ScheduleSql
{
public:
    using Value = std::optional<QByteArray>;
    using Row = std::vector<Value>;

    virtual ~ScheduleSql() = default;

    // The tables as statements name them.
    virtual QString EntriesTable() const = 0;
    virtual QString TreatmentsTable() const = 0;
    virtual QString CardTable() const = 0;
    // Appended to a text column that is compared or sorted, so that it compares byte by byte (the ISO
    // dates and the texts after them) on both engines.
    virtual QString Bytewise() const = 0;
    // The expression giving a new entry its identifier when the engine may reuse one (a file: an
    // identifier no booklet row still names); empty when the engine never reuses identifiers.
    virtual QString NewEntryId() const = 0;

    virtual ScheduleTables::State Inspect() = 0;
    // Whether the archive has its card table (a file may lack it).
    virtual bool HasCardTable() = 0;

    virtual std::vector<Row> Query(const QString& sql, const std::vector<Value>& values = {}) = 0;
    // Runs a statement that changes rows; how many it changed.
    virtual qint64 Exec(const QString& sql, const std::vector<Value>& values = {}) = 0;
    // Runs an INSERT into a table whose key is ID; the new row's identifier.
    virtual qint64 Insert(const QString& sql, const std::vector<Value>& values = {}) = 0;
    // Runs work in one write transaction: everything or nothing is stored. At the first write of this
    // object, the tables are made when missing and the rows of cards deleted by another program removed.
    virtual void Write(const std::function<void()>& work) = 0;
    // Inside Write: whether the card exists. On the server the card stays locked against deletion until the
    // transaction ends, so that no row is written for a card deleted meanwhile.
    virtual bool CardExists(qint64 cardId) = 0;

    static Value Number(qint64 number) { return QByteArray::number(number); }
    static Value Text(const QString& text) { return text.toUtf8(); }
};

struct CategoryDescriptor;

// Opens the schedule's tables of one archive; nullptr when the archive does not exist (then nothing is
// due). readOnly: nothing is created or written (the reminders' look through the archives).
using ScheduleOpener =
    std::function<std::unique_ptr<ScheduleSql>(const CategoryDescriptor& category, bool readOnly)>;
// Makes an opener for one thread's use (a screen, one look through the archives): the files of the program
// folder, or the archives' server. The wiring chooses it from the settings.
using ScheduleSource = std::function<ScheduleOpener()>;
