// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportGrid.h"

#include "storage/ArchiveStore.h"
#include "storage/CardFields.h"
#include "storage/Win1252.h"

using namespace Qt::Literals::StringLiterals;

namespace ExportGrid {

TextGrid DesignedEmpty()
{
    TextGrid grid(DesignedRowCount, ColumnCount, 100);
    grid.SetColumnWidth(6, 208);
    return grid;
}

QStringList Headers(const CategoryDescriptor& category)
{
    return {u" N."_s,
            u" Nome"_s,
            u" Razza"_s,
            u" Sesso"_s,
            u" Data nascita"_s,
            u" Luogo nascita"_s,
            u" Proprietario"_s,
            u" Medico veterinario"_s,
            u" Altezza"_s,
            u" Lunghezza"_s,
            u" Peso"_s,
            Categories::ExportColourColumn(category),
            Categories::ExportCoatTypeColumn(category),
            u" Segni particolari"_s,
            u" Numero passaporto"_s,
            u" Codice microchip"_s,
            u" Tatuaggio"_s,
            u" Sterilizzato"_s,
            u" Certificato genealogico"_s,
            u" Alimentazione"_s,
            u" Vaccinazioni"_s,
            u" Profilo caratteriale"_s,
            u" Addestratore"_s,
            u" Telefono"_s,
            u" Prezzo"_s,
            u" Specialit\u00e0"_s};
}

const std::array<int, ColumnCount>& FilledWidths()
{
    static constexpr std::array<int, ColumnCount> widths = {50,  250, 250, 200, 200, 250, 250, 250, 200,
                                                            200, 200, 200, 250, 300, 250, 250, 250, 200,
                                                            300, 300, 300, 300, 250, 250, 250, 250};
    return widths;
}

QString CellText(const QString& value)
{
    if (value.size() <= MaxShownLength)
        return Win1252::Trimmed(value);
    return value.left(MaxShownLength) + u"..."_s;
}

void FillExportGrid(TextGrid& grid, const CategoryDescriptor& category,
                    const std::vector<QList<QByteArray>>& rows)
{
    grid.ClearRowsFrom(1);
    const QStringList headers = Headers(category);
    for (int c = 0; c < ColumnCount; ++c)
        grid.SetText(0, c, headers.at(c));
    const int count = int(rows.size());
    grid.SetRowCount(count + 1);
    for (int n = 1; n <= count; ++n) {
        const QList<QByteArray>& texts = rows[std::size_t(n - 1)];
        grid.SetText(n, 0, QString::number(n));
        for (std::size_t i = 0; i < Fields.size(); ++i)
            grid.SetText(n, int(i) + 1, CellText(Win1252::Decode(texts.value(qsizetype(i)))));
    }
    for (int c = 0; c < ColumnCount; ++c)
        grid.SetColumnWidth(c, FilledWidths()[std::size_t(c)]);
}

bool LoadExportGrid(ArchiveStore& store, TextGrid& grid)
{
    const std::vector<QList<QByteArray>> rows = store.FieldsOfAll(Fields);
    if (rows.empty())
        return false;
    FillExportGrid(grid, store.Category(), rows);
    return true;
}

} // namespace ExportGrid
