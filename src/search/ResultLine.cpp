// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultLine.h"

#include "storage/ArchiveStore.h"
#include "storage/Win1252.h"

using namespace Qt::Literals::StringLiterals;

QString PadField(const QString& value, int width)
{
    QString field = Win1252::Trimmed(value).left(width);
    if (field.size() < width)
        field += QString(width - field.size(), u' ');
    return field;
}

QString FormatResultLine(const QString& nome, const QString& razza, const QString& sesso,
                         const QString& dataNasc, const QString& telefono, const QString& prezzo)
{
    const QString price = Win1252::Trimmed(prezzo);
    QString line;
    line.reserve(138 + price.size());
    line += PadField(nome, 30);
    line += "  Razza: "_L1;
    line += PadField(razza, 30);
    line += "  "_L1;
    line += PadField(sesso, 7);
    line += "  Nato il "_L1;
    line += PadField(dataNasc, 18);
    line += "  Tel. "_L1;
    line += PadField(telefono, 15);
    line += "  Prezzo: "_L1;
    line += price;
    return line;
}

QString FormatResultLine(const CardSummary& card)
{
    return FormatResultLine(card.nome, card.razza, card.sesso, card.dataNasc, card.telefono, card.prezzo);
}
