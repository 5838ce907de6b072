// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What an in-list find did.
struct FindInListResult
{
    enum class Outcome {
        EmptyList, // nothing to search: the screen says so, selection and remembered key are unchanged
        Found,     // selected is the matching line
        NotFound,  // selected is the line selected before (the first line when none was)
    };
    Outcome outcome = Outcome::EmptyList;
    int selected = -1;
    QString lastFindKey; // to remember for the next find
};

// The in-list find ("Trova"/"Cerca"). The key and the lines are compared with the letters A to Z in lower
// case (no other letter changes) and the key is not trimmed; an empty key matches no line. selected is the
// selected line, or -1 (or any index outside the list) when none is, which selects the first line.
// A key other than lastFindKey tests line 0 first and then the lines below it. The same key again
// continues from the line below the selection without testing the selection first, wraps from the last
// line to the first, and tests the selection once more at the end, so that with no other match it stays.
FindInListResult FindInList(const QStringList& lines, int selected, const QString& key,
                            const QString& lastFindKey);
