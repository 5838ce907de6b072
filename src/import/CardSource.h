// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryStore.h"

#include <QByteArray>
#include <QStringList>

class CardBatch;

// One card as a source offers it to the import, with what the source already found wrong with it.
struct ImportCandidate
{
    qint64 row = 0;       // the row's number in the file, or the card's number in another archive
    CardValues values{};  // the 36 texts
    QByteArray photo;     // the JPEG bytes to store; empty for none
    QStringList problems; // why it cannot be imported as it is
    qint64 sourceId = 0;  // the card's ID in another archive; 0 for a row of a table
};

// Where imported cards come from: a table (CSV, workbook) through a column mapping, or the archive of
// another program folder or backup. Read failures raise EImportError.
class CardSource
{
public:
    virtual ~CardSource() = default;
    // The next card; false at the end.
    virtual bool Next(ImportCandidate& card) = 0;
    // How far the reading has got, from 0 to 1.
    virtual double Progress() const = 0;
    // What the report calls a row's number: "riga 12" or "scheda 12".
    virtual QString RowWord() const = 0;
    // The card of sourceId was stored as newId (inside the import's transaction).
    virtual void Inserted(qint64 sourceId, qint64 newId)
    {
        Q_UNUSED(sourceId)
        Q_UNUSED(newId)
    }
    // Called once every card is stored, inside the same transaction, with the target archive's batch:
    // stores what comes with the cards when write is set, and returns lines for the report. Raises
    // ESQLiteException to undo the whole import.
    virtual QStringList Finish(CardBatch& target, bool write)
    {
        Q_UNUSED(target)
        Q_UNUSED(write)
        return {};
    }
};
