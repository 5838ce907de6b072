// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <vector>

// A read-only table of texts, row 0 the header row, with a pixel width per column: the contents of the
// export screen's grid, which its table model shows and the spreadsheet transfer reads.
class TextGrid
{
public:
    TextGrid(int rows, int columns, int columnWidth = 100);

    int RowCount() const noexcept { return m_rows; }
    int ColumnCount() const noexcept { return m_columns; }

    const QString& Text(int row, int column) const;
    void SetText(int row, int column, QString text);

    // Changes the number of rows; the texts of the rows kept stay, new rows are empty.
    void SetRowCount(int rows);
    // Empties every text from row on.
    void ClearRowsFrom(int row);

    int ColumnWidth(int column) const { return m_widths.at(std::size_t(column)); }
    void SetColumnWidth(int column, int pixels) { m_widths.at(std::size_t(column)) = pixels; }

private:
    std::size_t indexOf(int row, int column) const;

    int m_rows;
    int m_columns;
    std::vector<QString> m_texts; // row by row
    std::vector<int> m_widths;
};
