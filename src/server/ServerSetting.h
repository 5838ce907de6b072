// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "program/Settings.h"

#include <QString>

// Where the archives live: [Archivi] Server in the settings beside them holds a libpq connection string
// when they are on a server; absent or empty, they are the files of the folder.
namespace ServerSetting {

inline constexpr const char* Section = "Archivi";
inline constexpr const char* Key = "Server";

// The connection string; empty for the file archives. Read from the file at each call.
inline QString Of(const QString& folder)
{
    return Settings(folder).Text(Section, Key).trimmed();
}

} // namespace ServerSetting
