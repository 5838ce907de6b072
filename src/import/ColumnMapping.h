// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryDescriptor.h"

#include <QList>
#include <QString>
#include <QStringList>

// Which card field each column of an imported table fills.
namespace ColumnMapping {

inline constexpr int Ignored = -1;
// The column holds photo file paths (absolute, or relative to the imported file's folder).
inline constexpr int Photo = -2;

// The target of each header: the program's own export headers map one to one, and so do the card's
// captions and common Italian synonyms ("Nome animale", "Chip", "Data nascita"); case, accents, blanks
// and punctuation do not count. A field goes to the first column that names it; any other column is
// Ignored (the export's running number " N." among them).
QList<int> FromHeaders(const QStringList& headers, const CategoryDescriptor& category);
// The target of one header, or Ignored.
int TargetOf(const QString& header, const CategoryDescriptor& category);
// What the screen and the report call a target: the card's caption without its colon, "Foto" or
// "(non importata)".
QString TargetName(int target, const CategoryDescriptor& category);

} // namespace ColumnMapping
