// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

struct CategoryDescriptor;

// The 28 entries of the find dialog's criterion list, in order: entry i searches CardFields field i
// ("Nome" … "Didascalia"; the colour and coat-type entries come from the category).
QStringList FindCriteria(const CategoryDescriptor& category);

// The field that a criterion text searches, recognised by the text trimmed of codes 0 to 32 with A to Z
// in lower case; -1 when no entry has that text.
int CriterionField(const QString& text, const CategoryDescriptor& category);
