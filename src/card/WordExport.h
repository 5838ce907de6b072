// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationRegistry.h"
#include "storage/CategoryDescriptor.h"

#include <QByteArray>
#include <QString>
#include <functional>

// The card shown on screen handed to a new document of the word processor, by automation: a centred bold
// title, the card's picture and a table of 28 label and value rows.

// What the record card shows, in a plain message box, when the export fails at any point.
inline const QString WordExportFailureMessage = QStringLiteral(
    "Si \u00e8 verificato un errore imprevisto durante l'esportazione della scheda in Microsoft Word.");

inline constexpr int WordExportRows = 28;
// The picture handed to the word processor, beside the executable; it stays there after the export.
inline constexpr QLatin1StringView WordPictureFileName{"Scheda.bmp"};

// The label of table row 1 to 28; rows 12 and 13 come from the category ("Colore mantello:",
// "Tipologia pelo:").
QString WordExportLabel(int row, const CategoryDescriptor& category);

// The CardFields entry whose value table row 1 to 28 holds: the card's first 28 fields, in order.
constexpr int WordExportField(int row)
{
    return row - 1;
}

// The current text of the card control of table row 1 to 28 (the card's first 28 fields in order), read
// just before its cell is written.
using CardTextReader = std::function<QString(int row)>;

struct WordExportResult
{
    bool ok = true;
    // Where it stopped: 0 the server could not be created, 1 to 23 the step of the export (11 is writing
    // the picture file).
    int failedStep = 0;
    QString errorText; // what failed, for diagnosis; the user sees WordExportFailureMessage
};

// Creates the "Word.Application" server through registry and builds the card's document in its 23 steps.
// The picture file "Scheda.bmp" in programFolder is written once, whole, with picture's bytes (the JPEG
// the card shows), or placeholder's when picture is empty. Each value is trimmed of codes 0 to 32; the
// notes keep their inner line breaks. Stops at the first failure; every automation reference is released
// before it returns.
WordExportResult ExportCardToWord(const CardTextReader& readValue, const CategoryDescriptor& category,
                                  const QByteArray& picture, const QByteArray& placeholder,
                                  const QString& programFolder, const Automation::Registry& registry);
