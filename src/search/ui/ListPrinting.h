// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Desktop.h"

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

// The texts of the list-printing dialogue.
namespace ListPrintingTexts {
inline const QString EmptyList =
    QStringLiteral("Operazione di stampa non applicabile: la lista non contiene nessuna voce.");
inline const QString ConfirmTitle = QStringLiteral("Conferma operazione di stampa");
inline const QString NoPrinter =
    QStringLiteral("Non \u00e8 installata nessuna stampante. Si vuole salvare l'elenco in un file PDF?");
inline const QString PdfChooserTitle = QStringLiteral("Salva l'elenco in un file PDF");
inline const QString PdfFilter = QStringLiteral("Documenti PDF (*.pdf)");
inline const QString ReplaceTitle = QStringLiteral("Conferma sovrascrittura");
inline const QString PrintFailed = QStringLiteral("Stampa non riuscita: l'elenco non \u00e8 stato stampato.");
// followed by the file's path
inline const QString PdfFailed =
    QStringLiteral("Salvataggio non riuscito: l'elenco non \u00e8 stato scritto nel file ");
} // namespace ListPrintingTexts
