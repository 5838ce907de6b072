// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QDate;

// The program-wide short date format that printed result lists write their date in: the system's own
// until a find dialog is first shown, then "dd/MM/yyyy" for the rest of the run, whichever screen prints.
namespace ShortDateFormat {

// The format in force, in Qt's notation.
QString Current();
// Switches to "dd/MM/yyyy" for the rest of the run (the find dialogs do it when shown).
void UseDayMonthYear();
// date written in the format in force, with the system's month and day names where the format has them.
QString Format(const QDate& date);
// Back to the system's format, as at program start (for tests).
void Reset();

} // namespace ShortDateFormat
