// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Variant.h"
#include "VariantArray.h"

#include <QString>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

// The workbooks of the spreadsheet server, as its objects' calls build them; XlsxWriter writes them.
namespace SpreadsheetServer {

inline constexpr int MaxRows = 1048576;
inline constexpr int MaxColumns = 16384;

// A block of cells: rows top to bottom, columns left to right, all counted from 1.
struct Block
{
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;

    bool Contains(int row, int column) const
    {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
    bool Covers(const Block& b) const
    {
        return b.top >= top && b.bottom <= bottom && b.left >= left && b.right <= right;
    }
};

// One property of a sheet's cells, as the calls set it block by block: a later setting hides an earlier
// one where they overlap. Each setting is kept whole, as the call handed it over (an array of values stays
// one array, a format over a block one entry), so the sheet costs what its calls passed, not a copy per
// cell. Single cells are kept by position, so that a client setting cells one by one pays a lookup per
// cell rather than a scan of every earlier call.
template <typename T> class Layer
{
public:
    struct Found
    {
        const T* value = nullptr; // nullptr when nothing was set on the cell
        int top = 0;              // the first cell of the block it was set on
        int left = 0;
    };

    void Set(const Block& block, T value)
    {
        std::erase_if(m_blocks, [&](const Setting& s) { return block.Covers(s.block); });
        for (auto it = m_cells.lower_bound({block.top, block.left});
             it != m_cells.end() && it->first.first <= block.bottom;) {
            if (block.Contains(it->first.first, it->first.second))
                it = m_cells.erase(it);
            else
                ++it;
        }
        if (block.top == block.bottom && block.left == block.right)
            m_cells.insert_or_assign({block.top, block.left}, std::move(value));
        else
            m_blocks.push_back({block, std::move(value)});
    }

    Found Find(int row, int column) const
    {
        if (!m_cells.empty()) {
            const auto it = m_cells.find({row, column});
            if (it != m_cells.end())
                return {&it->second, row, column};
        }
        for (auto s = m_blocks.rbegin(); s != m_blocks.rend(); ++s) {
            if (s->block.Contains(row, column))
                return {&s->value, s->block.top, s->block.left};
        }
        return {};
    }

    // Widens first..last to the rows anything was set on.
    void WidenRows(int& first, int& last) const
    {
        for (const Setting& s : m_blocks) {
            first = qMin(first, s.block.top);
            last = qMax(last, s.block.bottom);
        }
        if (!m_cells.empty()) {
            first = qMin(first, m_cells.begin()->first.first);
            last = qMax(last, m_cells.rbegin()->first.first);
        }
    }
    // Widens first..last to the columns of row anything was set on.
    void WidenColumns(int row, int& first, int& last) const
    {
        for (const Setting& s : m_blocks) {
            if (row >= s.block.top && row <= s.block.bottom) {
                first = qMin(first, s.block.left);
                last = qMax(last, s.block.right);
            }
        }
        for (auto it = m_cells.lower_bound({row, 0}); it != m_cells.end() && it->first.first == row; ++it) {
            first = qMin(first, it->first.second);
            last = qMax(last, it->first.second);
        }
    }

private:
    struct Setting
    {
        Block block;
        T value;
    };
    std::vector<Setting> m_blocks;            // in call order
    std::map<std::pair<int, int>, T> m_cells; // by row and column
};

// What one value call put into a block: an array laid over it from its first cell, or one value for
// every cell.
struct Values
{
    std::shared_ptr<const Automation::VariantArray> array;
    Automation::Variant value;
};

// A cell's value as a text: what autofit measures and what reading the value gives.
QString DisplayText(const Automation::Variant& value);

struct Sheet
{
    QString name;
    Layer<Values> values;
    Layer<bool> textFormat; // number format "@"
    Layer<bool> bold;
    std::set<int> autoFitColumns;

    // The cell's value: empty, a text, a whole number or a truth value.
    const Automation::Variant& Value(int row, int column) const;
    bool IsText(int row, int column) const { return isSet(textFormat, row, column); }
    bool IsBold(int row, int column) const { return isSet(bold, row, column); }

    // The rows anything was set on; last is 0 when none.
    std::pair<int, int> Rows() const;
    // The columns of row anything was set on; last is 0 when none.
    std::pair<int, int> Columns(int row) const;

private:
    static bool isSet(const Layer<bool>& layer, int row, int column)
    {
        const auto found = layer.Find(row, column);
        return found.value && *found.value;
    }
};

struct Workbook
{
    std::vector<std::shared_ptr<Sheet>> sheets;
    bool written = false;
};

// A rectangle of cells of one sheet; wholeColumns for column ranges ("A:Z"), whose rows are all rows.
struct Area
{
    std::shared_ptr<Sheet> sheet;
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;
    bool wholeColumns = false;

    int RowCount() const { return bottom - top + 1; }
    int ColumnCount() const { return right - left + 1; }
    Block Cells() const { return {top, left, bottom, right}; }
};

} // namespace SpreadsheetServer
