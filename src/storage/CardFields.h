// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CategoryDescriptor.h"

#include <QLatin1StringView>
#include <QStringView>
#include <array>

// One of the 36 text columns of a card, with the record card control bound to it.
struct CardField
{
    enum class Kind { Line, Choice, MultiLine, Holder };

    QLatin1StringView column;  // database column
    QLatin1StringView control; // record card control
    QStringView label;         // caption beside the control; empty for hidden holders
    Kind kind;
};

namespace CardFields {

using namespace Qt::Literals::StringLiterals;

inline constexpr int Count = 36;
inline constexpr int EditableCount = 28; // the first 28 are edited on the card; the rest are holders

// Index constants for the fields that code refers to by role.
enum Index : int {
    Nome = 0,
    Razza = 1,
    Sesso = 2,
    DataNasc = 3,
    LuogoNasc = 4,
    Proprietario = 5,
    Medico = 6,
    Taglia = 9,
    Peso = 10,
    Colore = 11,
    Pelo = 12,
    Passaporto = 14,
    Microchip = 15,
    Sterilizzato = 17,
    Profilo = 21,
    Addestratore = 22,
    Telefono = 23,
    Prezzo = 24,
    Specialita = 25,
    Note = 26,
    Didascalia = 27,
    File01 = 28,
    File02 = 29,
    File03 = 30,
    Desc01 = 31,
    Desc02 = 32,
    Desc03 = 33,
    Cartella = 34,
    CartellaDesc = 35
};

// The one order used by the table definition, the statements, and filling, clearing and cleaning the card.
inline constexpr std::array<CardField, Count> All = {{
    {"varNome"_L1, "txtNome"_L1, u"Nome:", CardField::Kind::Line},
    {"varRazza"_L1, "txtRazza"_L1, u"Razza:", CardField::Kind::Line},
    {"varSesso"_L1, "txtSesso"_L1, u"Sesso:", CardField::Kind::Choice},
    {"varDataNasc"_L1, "txtDataNasc"_L1, u"Data di nascita:", CardField::Kind::Line},
    {"varLuogoNasc"_L1, "txtLuogoNasc"_L1, u"Luogo di nascita:", CardField::Kind::Line},
    {"varProprietario"_L1, "txtProprietario"_L1, u"Proprietario:", CardField::Kind::Line},
    {"varMedico"_L1, "txtMedico"_L1, u"Medico veterinario:", CardField::Kind::Line},
    {"varAltezza"_L1, "txtAltezza"_L1, u"Altezza:", CardField::Kind::Line},
    {"varLunghezza"_L1, "txtLunghezza"_L1, u"Lunghezza:", CardField::Kind::Line},
    {"varTaglia"_L1, "txtTaglia"_L1, u"Taglia:", CardField::Kind::Line},
    {"varPeso"_L1, "txtPeso"_L1, u"Peso:", CardField::Kind::Line},
    {"varColore"_L1, "txtColore"_L1, u"", CardField::Kind::Line},
    {"varPelo"_L1, "txtPelo"_L1, u"", CardField::Kind::Line},
    {"varSegni"_L1, "txtSegni"_L1, u"Segni particolari:", CardField::Kind::Line},
    {"varPassaporto"_L1, "txtPassaporto"_L1, u"Passaporto n.", CardField::Kind::Line},
    {"varMicrochip"_L1, "txtMicrochip"_L1, u"Codice microchip:", CardField::Kind::Line},
    {"varTatuaggio"_L1, "txtTatuaggio"_L1, u"Tatuaggio:", CardField::Kind::Line},
    {"varSterilizzato"_L1, "txtSterilizzato"_L1, u"Sterilizzato:", CardField::Kind::Choice},
    {"varCertificato"_L1, "txtCertificato"_L1, u"Certificato genealogico:", CardField::Kind::Line},
    {"varAlimentazione"_L1, "txtAlimentazione"_L1, u"Alimentazione:", CardField::Kind::Line},
    {"varVaccinazioni"_L1, "txtVaccinazioni"_L1, u"Vaccinazioni:", CardField::Kind::Line},
    {"varProfilo"_L1, "txtProfilo"_L1, u"Profilo caratteriale:", CardField::Kind::Line},
    {"varAddestratore"_L1, "txtAddestratore"_L1, u"Addestratore:", CardField::Kind::Line},
    {"varTelefono"_L1, "txtTelefono"_L1, u"Telefono:", CardField::Kind::Line},
    {"varPrezzo"_L1, "txtPrezzo"_L1, u"Prezzo:", CardField::Kind::Line},
    {"varSpecialita"_L1, "txtSpecialita"_L1, u"Specialit\u00e0:", CardField::Kind::Line},
    {"varNote"_L1, "txtNote"_L1, u"Note:", CardField::Kind::MultiLine},
    {"varDidascalia"_L1, "txtDidascalia"_L1, u"Didascalia:", CardField::Kind::Line},
    {"varFile01"_L1, "lblFile01"_L1, u"", CardField::Kind::Holder},
    {"varFile02"_L1, "lblFile02"_L1, u"", CardField::Kind::Holder},
    {"varFile03"_L1, "lblFile03"_L1, u"", CardField::Kind::Holder},
    {"varDesc01"_L1, "lblDesc01"_L1, u"", CardField::Kind::Holder},
    {"varDesc02"_L1, "lblDesc02"_L1, u"", CardField::Kind::Holder},
    {"varDesc03"_L1, "lblDesc03"_L1, u"", CardField::Kind::Holder},
    {"varCartella"_L1, "lblCartella"_L1, u"", CardField::Kind::Holder},
    {"varCartellaDesc"_L1, "lblCartellaDesc"_L1, u"", CardField::Kind::Holder},
}};

// The caption beside the field's control: the colour and coat-type labels come from the category.
QString Label(int index, const CategoryDescriptor& category);

// Entries of the choice lists, sorted.
QStringList Choices(int index);

} // namespace CardFields
