// SPDX-License-Identifier: GPL-3.0-or-later
#include "ColumnMapping.h"

#include "storage/CardFields.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace ColumnMapping {

namespace {

// Lower case, no accents, letters and digits only, single blanks.
QString normalised(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D).toCaseFolded();
    QString out;
    bool blank = false;
    for (const QChar c : decomposed) {
        if (c.isLetterOrNumber()) {
            if (blank && !out.isEmpty())
                out += u' ';
            out += c;
            blank = false;
        } else if (c.category() != QChar::Mark_NonSpacing) {
            blank = true;
        }
    }
    return out;
}

const QHash<QString, int>& synonyms()
{
    using namespace CardFields;
    static const QHash<QString, int> table = [] {
        const QList<std::pair<int, QStringList>> words = {
            {Nome, {u"Nome"_s, u"Nome animale"_s, u"Nome dell'animale"_s, u"Animale"_s}},
            {Razza, {u"Razza"_s, u"Specie"_s}},
            {Sesso, {u"Sesso"_s, u"Genere"_s}},
            {DataNasc, {u"Data nascita"_s, u"Data di nascita"_s, u"Nato il"_s, u"Nata il"_s, u"Nascita"_s}},
            {LuogoNasc, {u"Luogo nascita"_s, u"Luogo di nascita"_s, u"Nato a"_s, u"Provenienza"_s}},
            {Proprietario, {u"Proprietario"_s, u"Padrone"_s, u"Cliente"_s, u"Intestatario"_s}},
            {Medico, {u"Medico veterinario"_s, u"Veterinario"_s, u"Medico"_s}},
            {7, {u"Altezza"_s, u"Altezza al garrese"_s}},
            {8, {u"Lunghezza"_s}},
            {Taglia, {u"Taglia"_s}},
            {Peso, {u"Peso"_s, u"Peso kg"_s}},
            {Colore, {u"Colore"_s, u"Mantello"_s}},
            {Pelo, {u"Tipologia"_s, u"Tipo pelo"_s, u"Pelo"_s}},
            {13, {u"Segni particolari"_s, u"Segni"_s, u"Segni distintivi"_s}},
            {Passaporto, {u"Passaporto"_s, u"Passaporto n"_s, u"Numero passaporto"_s, u"N passaporto"_s}},
            {15,
             {u"Codice microchip"_s, u"Microchip"_s, u"Chip"_s, u"N microchip"_s, u"Numero microchip"_s,
              u"Transponder"_s}},
            {16, {u"Tatuaggio"_s}},
            {Sterilizzato, {u"Sterilizzato"_s, u"Sterilizzata"_s, u"Castrato"_s}},
            {18, {u"Certificato genealogico"_s, u"Certificato"_s, u"Pedigree"_s, u"Genealogia"_s}},
            {19, {u"Alimentazione"_s, u"Dieta"_s, u"Cibo"_s}},
            {20, {u"Vaccinazioni"_s, u"Vaccini"_s}},
            {Profilo, {u"Profilo caratteriale"_s, u"Carattere"_s, u"Profilo"_s}},
            {Addestratore, {u"Addestratore"_s, u"Allevatore"_s}},
            {Telefono, {u"Telefono"_s, u"Tel"_s, u"Cellulare"_s, u"Recapito"_s}},
            {Prezzo, {u"Prezzo"_s, u"Costo"_s}},
            {Specialita, {u"Specialit\u00e0"_s, u"Specialita"_s}},
            {Note, {u"Note"_s, u"Annotazioni"_s, u"Osservazioni"_s}},
            {Didascalia, {u"Didascalia"_s, u"Didascalia foto"_s}},
            {Photo, {u"Foto"_s, u"Fotografia"_s, u"Immagine"_s, u"File foto"_s, u"Percorso foto"_s}},
        };
        QHash<QString, int> t;
        for (const auto& [field, list] : words) {
            for (const QString& w : list)
                t.insert(normalised(w), field);
        }
        // The card's own captions ("Data di nascita:", "Passaporto n.", "Codice microchip:"...).
        for (int f = 0; f < CardFields::EditableCount; ++f) {
            const QString label = QString(CardFields::All[std::size_t(f)].label.toString());
            if (!label.isEmpty())
                t.insert(normalised(label), f);
        }
        return t;
    }();
    return table;
}

} // namespace

int TargetOf(const QString& header, const CategoryDescriptor& category)
{
    const QString key = normalised(header);
    if (key.isEmpty())
        return Ignored;
    // The colour and coat-type columns are named after the kind of animal ("Colore piumaggio").
    if (key == normalised(Categories::ColourCriterion(category)) || key.startsWith(u"colore "_s))
        return CardFields::Colore;
    if (key == normalised(Categories::CoatTypeCriterion(category)) || key.startsWith(u"tipologia "_s))
        return CardFields::Pelo;
    return synonyms().value(key, Ignored);
}

QList<int> FromHeaders(const QStringList& headers, const CategoryDescriptor& category)
{
    QList<int> targets;
    for (const QString& h : headers) {
        int t = TargetOf(h, category);
        if (t != Ignored && targets.contains(t))
            t = Ignored;
        targets.append(t);
    }
    return targets;
}

QString TargetName(int target, const CategoryDescriptor& category)
{
    if (target == Photo)
        return u"Foto"_s;
    if (target < 0 || target >= CardFields::EditableCount)
        return u"(non importata)"_s;
    QString label = CardFields::Label(target, category);
    if (label.endsWith(u':'))
        label.chop(1);
    return label;
}

} // namespace ColumnMapping
