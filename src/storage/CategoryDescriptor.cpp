// SPDX-License-Identifier: GPL-3.0-or-later
#include "CategoryDescriptor.h"

namespace Categories {

const CategoryDescriptor* ByKey(const QString& key)
{
    for (const auto& c : All) {
        if (key == c.key)
            return &c;
    }
    return nullptr;
}

const CategoryDescriptor* ByTableName(const QString& tableName)
{
    for (const auto& c : All) {
        if (tableName == c.tableName)
            return &c;
    }
    return nullptr;
}

QString RecordCardCaption(const CategoryDescriptor& c)
{
    return "  "_L1 + c.title;
}
QString ColourLabel(const CategoryDescriptor& c)
{
    return "Colore "_L1 + c.colourWord + ':'_L1;
}
QString CoatTypeLabel(const CategoryDescriptor& c)
{
    return "Tipologia "_L1 + c.coatTypeWord + ':'_L1;
}
QString ColourCriterion(const CategoryDescriptor& c)
{
    return "Colore "_L1 + c.colourWord;
}
QString CoatTypeCriterion(const CategoryDescriptor& c)
{
    return "Tipologia "_L1 + c.coatTypeWord;
}
QString PrintedListTitle(const CategoryDescriptor& c)
{
    return "Archivio anagrafico "_L1 + c.pluralNoun;
}
QString SearchHeading(const CategoryDescriptor& c)
{
    return "Ricerca "_L1 + c.pluralNoun + " in archivio"_L1;
}
QString ExportCaption(const CategoryDescriptor& c)
{
    return " Esportazione archivio anagrafico "_L1 + c.pluralNoun;
}
QString ExportColourColumn(const CategoryDescriptor& c)
{
    return ' '_L1 + ColourCriterion(c);
}
QString ExportCoatTypeColumn(const CategoryDescriptor& c)
{
    return ' '_L1 + CoatTypeCriterion(c);
}
QString SheetName(const CategoryDescriptor& c)
{
    return "Archivio "_L1 + c.pluralNoun;
}

QString RecordCardName(const CategoryDescriptor& c)
{
    return "Tfrm"_L1 + c.key;
}
QString FindName(const CategoryDescriptor& c)
{
    return "TfrmTrova"_L1 + c.key;
}
QString AdvancedSearchName(const CategoryDescriptor& c)
{
    return "TfrmRicerca"_L1 + c.key;
}
QString ViewerName(const CategoryDescriptor& c)
{
    return "TfrmBrowse"_L1 + c.key;
}
QString SlideshowName(const CategoryDescriptor& c)
{
    return "TfrmSlide"_L1 + c.key;
}
QString ExportName(const CategoryDescriptor& c)
{
    return "TfrmExp"_L1 + c.key;
}

} // namespace Categories
