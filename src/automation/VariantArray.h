// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Variant.h"

#include <QList>

namespace Automation {

// A two-dimensional array of variants whose indices both start at 1 (rows 1..Rows, columns 1..Columns), as
// an automation client hands a block of cells to a server. Elements are kept column by column, the order
// of a two-dimensional SAFEARRAY. A copy shares the elements until either array is changed, so a server can
// keep the array it was handed without copying it or seeing the client's later changes.
class VariantArray
{
public:
    VariantArray(int rows, int columns);

    int Rows() const noexcept { return m_rows; }
    int Columns() const noexcept { return m_columns; }
    // Bounds of dimension 1 (rows) or 2 (columns).
    static constexpr int LowerBound(int /*dimension*/) noexcept { return 1; }
    int UpperBound(int dimension) const;

    // Raise EAutomationError for an index outside the bounds.
    const Variant& At(int row, int column) const;
    void Set(int row, int column, Variant value);

private:
    qsizetype indexOf(int row, int column) const;

    int m_rows;
    int m_columns;
    QList<Variant> m_items;
};

} // namespace Automation
