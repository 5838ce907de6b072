// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryDescriptor.h"

#include <QString>

class PgConnection;

// The archives' tables on the server: one schema per archive, named after its file in lower case (cani,
// gatti, …), holding the card table under the category's table name and the schedule's two tables; and
// the schema codazzurra, whose table versione records the version of the whole layout.
//
// Versions: 1 the card tables; 2 the schedule's tables (Scadenze, Trattamenti); 3 codazzurra.copie, the
// automatic backups made by the workstations (when, on which workstation, the generation's file name).
namespace ServerSchema {

inline constexpr int Version = 3;
inline constexpr const char* BackupsTable = "codazzurra.copie";

// "cani" for Cani.db.
QString SchemaName(const CategoryDescriptor& category);
// The card table, qualified by its schema: "cani.infanzia".
QString CardTable(const CategoryDescriptor& category);
QString ScheduleTable(const CategoryDescriptor& category);  // "cani.scadenze"
QString TreatmentTable(const CategoryDescriptor& category); // "cani.trattamenti"

// The version the server records; 0 when it records none.
int StoredVersion(PgConnection& connection);

// Brings the server to version target: creates what is missing, or migrates an older version, in one
// transaction under an advisory lock, so that two workstations starting at once cannot race. A server
// already at target (or above, up to Version) is left untouched, without taking the lock. A server of a
// version newer than this program knows is refused with EServerError, and nothing is written.
void Ensure(PgConnection& connection, int target = Version);

} // namespace ServerSchema
