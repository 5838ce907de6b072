// SPDX-License-Identifier: GPL-3.0-or-later
#include "FindCriteria.h"

#include "storage/CardFields.h"
#include "storage/CategoryDescriptor.h"
#include "storage/Win1252.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString lowerAscii(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() - u'A' + u'a');
    }
    return text;
}

} // namespace

QStringList FindCriteria(const CategoryDescriptor& category)
{
    QStringList entries{
        u"Nome"_s,
        u"Razza"_s,
        u"Sesso"_s,
        u"Data di nascita"_s,
        u"Luogo di nascita"_s,
        u"Proprietario"_s,
        u"Medico veterinario"_s,
        u"Altezza"_s,
        u"Lunghezza"_s,
        u"Taglia"_s,
        u"Peso"_s,
        Categories::ColourCriterion(category),
        Categories::CoatTypeCriterion(category),
        u"Segni particolari"_s,
        u"Numero passaporto"_s,
        u"Codice microchip"_s,
        u"Tatuaggio"_s,
        u"Sterilizzato"_s,
        u"Certificato genealogico"_s,
        u"Alimentazione"_s,
        u"Vaccinazioni"_s,
        u"Profilo caratteriale"_s,
        u"Addestratore"_s,
        u"Telefono"_s,
        u"Prezzo"_s,
        u"Specialit\u00e0"_s,
        u"Note"_s,
        u"Didascalia"_s,
    };
    Q_ASSERT(entries.size() == CardFields::EditableCount);
    return entries;
}

int CriterionField(const QString& text, const CategoryDescriptor& category)
{
    const QString wanted = lowerAscii(Win1252::Trimmed(text));
    const QStringList entries = FindCriteria(category);
    for (int i = 0; i < entries.size(); ++i) {
        if (lowerAscii(entries.at(i)) == wanted)
            return i;
    }
    return -1;
}
