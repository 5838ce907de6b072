// SPDX-License-Identifier: GPL-3.0-or-later
#include "SuggestedSets.h"

#include "storage/CategoryDescriptor.h"

using namespace Qt::Literals::StringLiterals;

namespace SuggestedSets {

namespace {

struct Item
{
    const char16_t* kind;
    const char16_t* description;
    int months;
};

std::vector<Item> itemsFor(const QString& table)
{
    if (table == u"infanzia"_s) // dogs
        return {{u"Vaccinazione", u"Richiamo annuale vaccinazione di base", 12},
                {u"Sverminazione", u"Sverminazione", 3},
                {u"Antiparassitario", u"Antiparassitario contro pulci, zecche e pappataci", 1},
                {u"Visita", u"Visita di controllo", 12}};
    if (table == u"famiglia"_s) // cats
        return {{u"Vaccinazione", u"Richiamo annuale vaccinazione di base", 12},
                {u"Sverminazione", u"Sverminazione", 3},
                {u"Antiparassitario", u"Antiparassitario contro pulci e zecche", 1},
                {u"Visita", u"Visita di controllo", 12}};
    if (table == u"amici"_s) // horses
        return {{u"Vaccinazione", u"Richiamo vaccinazione influenza e tetano", 12},
                {u"Sverminazione", u"Sverminazione", 4},
                {u"Visita", u"Controllo dei denti", 12},
                {u"Altro", u"Pareggio degli zoccoli o ferratura", 2}};
    if (table == u"vacanze"_s) // rabbits
        return {{u"Vaccinazione", u"Vaccinazione contro mixomatosi e malattia emorragica", 12},
                {u"Visita", u"Visita di controllo", 12}};
    if (table == u"sposi"_s) // fish
        return {{u"Altro", u"Controllo dei valori dell'acqua", 1}};
    if (table == u"scuola"_s || table == u"celebrazioni"_s) // turtles, reptiles
        return {{u"Visita", u"Visita di controllo", 12},
                {u"Sverminazione", u"Esame delle feci e sverminazione", 12}};
    return {{u"Visita", u"Visita di controllo", 12}};
}

} // namespace

std::vector<EntryInput> For(const CategoryDescriptor& category, const QDate& today)
{
    std::vector<EntryInput> set;
    for (const Item& item : itemsFor(QString(category.tableName))) {
        EntryInput e;
        e.kind = QString::fromUtf16(item.kind);
        e.description = QString::fromUtf16(item.description);
        e.repeatMonths = item.months;
        e.due = today.addMonths(item.months);
        set.push_back(e);
    }
    return set;
}

} // namespace SuggestedSets
