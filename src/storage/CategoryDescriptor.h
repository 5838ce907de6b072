// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>
#include <QString>
#include <array>

// The constant description of one of the ten archives. Every per-category screen gets one.
struct CategoryDescriptor
{
    QLatin1StringView key;              // names the category's screens (TfrmAmici, TfrmTrovaAmici, ...)
    QLatin1StringView tableName;        // SQLite table, and the token screens pass to each other
    QLatin1StringView databaseFileName; // file beside the executable
    QLatin1StringView title;            // displayed name
    QLatin1StringView pluralNoun;       // the name inside sentences
    QLatin1StringView colourWord;       // completes "Colore ..."
    QLatin1StringView coatTypeWord;     // completes "Tipologia ..."
};

namespace Categories {

using namespace Qt::Literals::StringLiterals;

// In the order of the start menu's tiles.
inline constexpr std::array<CategoryDescriptor, 10> All = {{
    {"Infanzia"_L1, "infanzia"_L1, "Cani.db"_L1, "Cani"_L1, "cani"_L1, "mantello"_L1, "pelo"_L1},
    {"Famiglia"_L1, "famiglia"_L1, "Gatti.db"_L1, "Gatti"_L1, "gatti"_L1, "mantello"_L1, "pelo"_L1},
    {"Amici"_L1, "amici"_L1, "Cavalli.db"_L1, "Cavalli"_L1, "cavalli"_L1, "mantello"_L1, "pelo"_L1},
    {"Ricorrenze"_L1, "ricorrenze"_L1, "Uccelli.db"_L1, "Uccelli"_L1, "uccelli"_L1, "piumaggio"_L1,
     "piume"_L1},
    {"Scuola"_L1, "scuola"_L1, "Tartarughe.db"_L1, "Tartarughe"_L1, "tartarughe"_L1, "corazza"_L1,
     "pelle"_L1},
    {"Sposi"_L1, "sposi"_L1, "Pesci.db"_L1, "Pesci"_L1, "pesci"_L1, "pelle"_L1, "scaglie"_L1},
    {"Lavoro"_L1, "lavoro"_L1, "Criceti.db"_L1, "Criceti"_L1, "criceti"_L1, "mantello"_L1, "pelo"_L1},
    {"Vacanze"_L1, "vacanze"_L1, "Conigli.db"_L1, "Conigli"_L1, "conigli"_L1, "mantello"_L1, "pelo"_L1},
    {"Celebrazioni"_L1, "celebrazioni"_L1, "Rettili.db"_L1, "Rettili"_L1, "rettili"_L1, "pelle"_L1,
     "squame"_L1},
    {"Hobby"_L1, "hobby"_L1, "Altri.db"_L1, "Altri animali"_L1, "altri animali"_L1, "mantello"_L1, "pelo"_L1},
}};

// nullptr when no category has that key or table name (compared exactly).
const CategoryDescriptor* ByKey(const QString& key);
const CategoryDescriptor* ByTableName(const QString& tableName);

// The texts formed from a descriptor, as the user sees them.
QString RecordCardCaption(const CategoryDescriptor& c);    // "  Cavalli"
QString ColourLabel(const CategoryDescriptor& c);          // "Colore mantello:"
QString CoatTypeLabel(const CategoryDescriptor& c);        // "Tipologia pelo:"
QString ColourCriterion(const CategoryDescriptor& c);      // "Colore mantello"
QString CoatTypeCriterion(const CategoryDescriptor& c);    // "Tipologia pelo"
QString PrintedListTitle(const CategoryDescriptor& c);     // "Archivio anagrafico cavalli"
QString SearchHeading(const CategoryDescriptor& c);        // "Ricerca cavalli in archivio"
QString ExportCaption(const CategoryDescriptor& c);        // " Esportazione archivio anagrafico cavalli"
QString ExportColourColumn(const CategoryDescriptor& c);   // " Colore mantello"
QString ExportCoatTypeColumn(const CategoryDescriptor& c); // " Tipologia pelo"
QString SheetName(const CategoryDescriptor& c);            // "Archivio cavalli"

// Object names of the category's screens.
QString RecordCardName(const CategoryDescriptor& c);     // "TfrmAmici"
QString FindName(const CategoryDescriptor& c);           // "TfrmTrovaAmici"
QString AdvancedSearchName(const CategoryDescriptor& c); // "TfrmRicercaAmici"
QString ViewerName(const CategoryDescriptor& c);         // "TfrmBrowseAmici"
QString SlideshowName(const CategoryDescriptor& c);      // "TfrmSlideAmici"
QString ExportName(const CategoryDescriptor& c);         // "TfrmExpAmici"

} // namespace Categories
