// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextGrid.h"
#include "storage/CategoryDescriptor.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <array>
#include <vector>

class ArchiveStore;

// The export screen's grid of a whole archive: a running number and 25 single-line text fields per card,
// one card per row in insertion order, row 0 the headers.
namespace ExportGrid {

inline constexpr int ColumnCount = 26;
inline constexpr int DesignedRowCount = 10;
// Longer values are cut to this many characters and "..." follows.
inline constexpr int MaxShownLength = 250;

// The CardFields entries shown in grid columns 1 to 25, in grid order.
inline constexpr std::array<int, ColumnCount - 1> Fields = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};

// The grid as designed, before any filling: 10 rows, no texts, every column 100 pixels wide but column 6
// (208).
TextGrid DesignedEmpty();

// The 26 header texts, each beginning with one blank (" N.", " Nome", ... " Colore mantello" ...).
QStringList Headers(const CategoryDescriptor& category);
// The 26 column widths, in pixels, after filling.
const std::array<int, ColumnCount>& FilledWidths();

// A card value as the grid shows it: trimmed of codes 0 to 32 when it has at most 250 characters,
// otherwise its first 250 characters (not trimmed) followed by "...".
QString CellText(const QString& value);

// Fills the grid from rows, the stored texts of the Fields entries of every card in insertion order:
// clears the data rows, writes the headers, one row per card with its running number and its 25 texts,
// and the filled widths.
void FillExportGrid(TextGrid& grid, const CategoryDescriptor& category,
                    const std::vector<QList<QByteArray>>& rows);

// What showing the export screen does: reads the shown columns of every card through store (creating the
// archive when missing), and fills the grid when the archive has cards; otherwise the grid is left as it
// was. Returns whether it filled. Raises ESQLiteException.
bool LoadExportGrid(ArchiveStore& store, TextGrid& grid);

} // namespace ExportGrid
