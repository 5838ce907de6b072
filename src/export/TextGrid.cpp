// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextGrid.h"

#include <stdexcept>

TextGrid::TextGrid(int rows, int columns, int columnWidth)
    : m_rows(qMax(0, rows))
    , m_columns(qMax(0, columns))
    , m_texts(std::size_t(m_rows) * std::size_t(m_columns))
    , m_widths(std::size_t(m_columns), columnWidth)
{}

std::size_t TextGrid::indexOf(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        throw std::out_of_range("TextGrid: cell outside the grid");
    return std::size_t(row) * std::size_t(m_columns) + std::size_t(column);
}

const QString& TextGrid::Text(int row, int column) const
{
    return m_texts[indexOf(row, column)];
}

void TextGrid::SetText(int row, int column, QString text)
{
    m_texts[indexOf(row, column)] = std::move(text);
}

void TextGrid::SetRowCount(int rows)
{
    m_rows = qMax(0, rows);
    m_texts.resize(std::size_t(m_rows) * std::size_t(m_columns));
}

void TextGrid::ClearRowsFrom(int row)
{
    for (std::size_t i = std::size_t(qMax(0, row)) * std::size_t(m_columns); i < m_texts.size(); ++i)
        m_texts[i].clear();
}
