// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardFields.h"

#include <QStringList>

namespace CardFields {

QString Label(int index, const CategoryDescriptor& category)
{
    if (index == Colore)
        return Categories::ColourLabel(category);
    if (index == Pelo)
        return Categories::CoatTypeLabel(category);
    return All.at(std::size_t(index)).label.toString();
}

QStringList Choices(int index)
{
    if (index == Sesso)
        return {QStringLiteral("Femmina"), QStringLiteral("Maschio")};
    if (index == Sterilizzato)
        return {QStringLiteral("No"), QString::fromUtf8("S\u00ec")};
    return {};
}

} // namespace CardFields
