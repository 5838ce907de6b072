// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerSchema.h"

#include "EServerError.h"
#include "PgConnection.h"
#include "storage/CardFields.h"

using namespace Qt::Literals::StringLiterals;

namespace ServerSchema {

namespace {

// The key of the advisory lock that guards creating and migrating the layout ("Codazzur" in ASCII).
constexpr qint64 LayoutLockKey = 0x436F64617A7A7572;

QString cardTableSql(const CategoryDescriptor& c)
{
    QString sql = "CREATE TABLE IF NOT EXISTS "_L1 + CardTable(c) +
                  " (ID bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY"_L1;
    for (const CardField& f : CardFields::All)
        sql += ", "_L1 + f.column + " bytea"_L1;
    // Photos are JPEG files, which do not compress: stored as they are, without the server trying.
    return sql + ", Picture bytea, Ext text);\nALTER TABLE "_L1 + CardTable(c) +
           " ALTER COLUMN Picture SET STORAGE EXTERNAL;\n"_L1;
}

// The statements that bring the layout from version - 1 to version.
QString stepSql(int version)
{
    QString sql;
    for (const CategoryDescriptor& c : Categories::All) {
        if (version == 1) {
            sql += "CREATE SCHEMA IF NOT EXISTS "_L1 + SchemaName(c) + ";\n"_L1 + cardTableSql(c);
        } else if (version == 2) {
            sql += "CREATE TABLE IF NOT EXISTS "_L1 + ScheduleTable(c) +
                   " (ID bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, IDScheda bigint NOT NULL,"
                   " Tipo text NOT NULL, Descrizione text, Scadenza text NOT NULL,"
                   " RipetiMesi integer NOT NULL DEFAULT 0, Note text);\n"
                   "CREATE INDEX IF NOT EXISTS scadenze_scadenza ON "_L1 +
                   ScheduleTable(c) + " (Scadenza);\nCREATE TABLE IF NOT EXISTS "_L1 + TreatmentTable(c) +
                   " (ID bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, IDScheda bigint NOT NULL,"
                   " IDScadenza bigint, Tipo text, Descrizione text, Data text, Note text);\n"_L1;
        }
    }
    if (version == 3)
        sql += "CREATE TABLE IF NOT EXISTS "_L1 + QLatin1StringView(BackupsTable) +
               " (Quando timestamptz NOT NULL, Postazione text NOT NULL, Copia text NOT NULL);\n"_L1;
    return sql;
}

[[noreturn]] void refuseNewer(const PgConnection& connection, int version)
{
    throw EServerError(
        u"Gli archivi sul server (%1) sono di una versione pi\u00f9 recente (%2) di quella che "
        u"questo programma conosce (%3): aggiornare il programma"_s.arg(connection.ServerName())
            .arg(version)
            .arg(Version),
        false);
}

} // namespace

QString SchemaName(const CategoryDescriptor& category)
{
    QString name(category.databaseFileName);
    name.chop(3); // ".db"
    return name.toLower();
}

QString CardTable(const CategoryDescriptor& category)
{
    return SchemaName(category) + u'.' + category.tableName;
}

QString ScheduleTable(const CategoryDescriptor& category)
{
    return SchemaName(category) + ".scadenze"_L1;
}

QString TreatmentTable(const CategoryDescriptor& category)
{
    return SchemaName(category) + ".trattamenti"_L1;
}

int StoredVersion(PgConnection& connection)
{
    const PgResult exists = connection.Exec(u"SELECT to_regclass('codazzurra.versione') IS NOT NULL"_s);
    if (exists.Bytes(0, 0) != QByteArray(1, '\1'))
        return 0;
    const PgResult version = connection.Exec(u"SELECT max(versione) FROM codazzurra.versione"_s);
    return int(version.Number(0, 0));
}

void Ensure(PgConnection& connection, int target)
{
    const int found = StoredVersion(connection);
    if (found > Version)
        refuseNewer(connection, found);
    if (found >= target)
        return;
    connection.Begin();
    try {
        connection.Exec(u"SELECT pg_advisory_xact_lock($1)"_s, {PgParam::Number(LayoutLockKey)});
        // Another workstation may have done it while this one waited for the lock.
        const int current = StoredVersion(connection);
        if (current > Version)
            refuseNewer(connection, current);
        if (current < target) {
            connection.ExecScript(
                u"CREATE SCHEMA IF NOT EXISTS codazzurra;\n"
                "CREATE TABLE IF NOT EXISTS codazzurra.versione (versione integer NOT NULL);\n"_s);
            for (int version = current + 1; version <= target; ++version)
                connection.ExecScript(stepSql(version));
            connection.Exec(u"DELETE FROM codazzurra.versione"_s);
            connection.Exec(u"INSERT INTO codazzurra.versione (versione) VALUES ($1)"_s,
                            {PgParam::Number(target)});
        }
        connection.Commit();
    } catch (...) {
        connection.Rollback();
        throw;
    }
}

} // namespace ServerSchema
