// SPDX-License-Identifier: GPL-3.0-or-later
#include "Workbook.h"

using namespace Qt::Literals::StringLiterals;
using namespace Automation;

namespace SpreadsheetServer {

QString DisplayText(const Variant& value)
{
    switch (value.type()) {
    case Variant::Type::String:
        return value.ToString();
    case Variant::Type::Int16:
    case Variant::Type::Int32:
        return QString::number(value.ToInt());
    case Variant::Type::Bool:
        return value.ToBool() ? u"VERO"_s : u"FALSO"_s;
    default:
        break;
    }
    return {};
}

const Variant& Sheet::Value(int row, int column) const
{
    static const Variant none;
    static const Variant notAvailable = Variant::Str(u"#N/D"_s);
    const auto found = values.Find(row, column);
    if (!found.value)
        return none;
    const auto& array = found.value->array;
    if (!array)
        return found.value->value;
    // Cells beyond the array read "#N/D", as the application does.
    const int i = row - found.top + 1;
    const int j = column - found.left + 1;
    return i <= array->Rows() && j <= array->Columns() ? array->At(i, j) : notAvailable;
}

std::pair<int, int> Sheet::Rows() const
{
    int first = MaxRows + 1, last = 0;
    values.WidenRows(first, last);
    textFormat.WidenRows(first, last);
    bold.WidenRows(first, last);
    return {first, last};
}

std::pair<int, int> Sheet::Columns(int row) const
{
    int first = MaxColumns + 1, last = 0;
    values.WidenColumns(row, first, last);
    textFormat.WidenColumns(row, first, last);
    bold.WidenColumns(row, first, last);
    return {first, last};
}

} // namespace SpreadsheetServer
