// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "search/ResultListPrinter.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

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

namespace Kit {

// The printed lists' rule, once the user has asked for the list: the pages go to the default printer or,
// with no printer installed and when the user agrees, to a PDF file of the user's choice (written whole or
// not at all; an existing file is replaced only when the user confirms). texts gives the headings for the
// moment of printing. The busy cursor shows meanwhile; a job that fails is reported once it is gone.
// Returns whether pages were printed or saved.
bool PrintLines(QWidget* parent, const QStringList& lines,
                const std::function<PrintedListTexts(const QDateTime& now)>& texts);

} // namespace Kit
