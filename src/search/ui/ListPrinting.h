// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Desktop.h"
#include "kit/PrintedList.h"

#include <QString>
#include <QStringList>

struct CategoryDescriptor;
class QWidget;

// How a screen asks before printing its result list.
struct ListPrintStyle
{
    QString question;                         // the confirmation text
    Desktop::Icon icon = Desktop::Icon::None; // None: the plain question; otherwise modal to the whole task
    QString dashLine;                         // above and below the printed title
};

// "Stampa" of the result lists. An empty list gets the message that printing does not apply. Otherwise,
// once the user confirms, the lines are printed on the default printer in colour and landscape, under the
// title "Archivio anagrafico " + the category's plural noun and with the date of the program-wide short
// date format and the time, showing the busy cursor meanwhile. With no printer installed the user is
// offered to save the same pages as a PDF file. A job that fails is reported once the normal cursor is
// back. Returns whether pages were printed or saved.
bool PrintListOnRequest(QWidget* parent, const QStringList& lines, const CategoryDescriptor& category,
                        const ListPrintStyle& style);
