// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListPrinting.h"

#include "search/ShortDateFormat.h"
#include "storage/CategoryDescriptor.h"

#include <QLocale>

using namespace Qt::Literals::StringLiterals;

bool PrintListOnRequest(QWidget* parent, const QStringList& lines, const CategoryDescriptor& category,
                        const ListPrintStyle& style)
{
    using namespace ListPrintingTexts;
    if (lines.isEmpty()) {
        desktop().Plain(parent, EmptyList);
        return false;
    }
    const bool confirmed = style.icon == Desktop::Icon::None
                               ? desktop().Question(parent, ConfirmTitle, style.question)
                               : desktop().Ask(parent, style.icon, ConfirmTitle, style.question);
    if (!confirmed)
        return false;

    return Kit::PrintLines(parent, lines, [&](const QDateTime& now) {
        return PrintedListTexts{style.dashLine, Categories::PrintedListTitle(category),
                                ShortDateFormat::Format(now.date()),
                                PrintedTime(now.time(), QLocale::system())};
    });
}
