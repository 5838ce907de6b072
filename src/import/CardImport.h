// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CardSource.h"
#include "storage/CategoryDescriptor.h"

#include <QString>
#include <QStringList>
#include <functional>

// What the user chose for the rows the dry run reported.
struct ImportOptions
{
    enum class Duplicates {
        Refuse, // a duplicate is a problem: nothing is imported
        Skip,   // duplicates are left out
        Include // duplicates are imported all the same
    };
    enum class Unrepresentable {
        Refuse,  // a text outside Windows-1252 is a problem
        Replace, // each such character becomes "?" (listed in the report)
        Skip     // such rows are left out
    };
    Duplicates duplicates = Duplicates::Refuse;
    Unrepresentable unrepresentable = Unrepresentable::Refuse;
};

// What a dry run found, or an import did.
struct ImportReport
{
    enum class Outcome {
        Ready,      // dry run: every row can be imported as chosen
        Imported,   // every accepted card was stored, in one transaction
        Problems,   // some rows have problems: nothing was (or would be) imported
        Cancelled,  // the user cancelled: nothing was imported
        Unreadable, // the file could not be read: nothing was imported
        Failed      // the archive could not be read or written: nothing was imported
    };
    // One line of a list: the row's number and what is said of it.
    struct Line
    {
        qint64 row = 0;
        QString text;
    };
    // Lists keep their first MaxLines lines; the counts count them all.
    static constexpr int MaxLines = 1000;

    Outcome outcome = Outcome::Ready;
    bool dryRun = true;
    QString rowWord = QStringLiteral("riga");
    QString error; // Unreadable and Failed: why
    qint64 rowsRead = 0;
    qint64 accepted = 0; // cards added, or that would be
    qint64 problemRows = 0;
    qint64 duplicateRows = 0;
    qint64 skippedRows = 0;
    qint64 noteCount = 0;
    QList<Line> problems;   // rows with problems and why
    QList<Line> duplicates; // rows like a card of the archive or an earlier row
    QList<Line> notes;      // what was changed and is shown (characters replaced...)
    QStringList extra;      // what came with the cards (schedule rows...)
    ImportOptions options;

    // The command line's exit code: 0 imported (or would be), 1 problems, 2 file unreadable, 3 archive
    // failure; a cancelled import counts as 3 (nothing written).
    int ExitCode() const;
    // The report as the screen shows it and saves it, and the command line prints it.
    QString Text(const QString& sourceName, const CategoryDescriptor& category) const;
};

// The import of cards into one archive of the program folder. The dry run reads the whole source and the
// archive without changing anything; the import does the same work inside one write transaction and
// commits only when no row has a problem left: all or nothing. Both apply the card's rules: the name is
// required, ";" and double quotes become blanks (as the card's save does, and the report says so), and a text
// the archive cannot hold is refused unless options say otherwise. Duplicates: the same non-empty microchip
// (blanks and case aside), or the same name and date of birth (both non-empty), as a card of the archive or
// an earlier row. progress, when given, receives the fraction read and returns false to cancel. The archive
// is the folder's, in its file or on the server its settings name.
ImportReport RunImport(CardSource& source, const CategoryDescriptor& category, const QString& programFolder,
                       const ImportOptions& options, bool write,
                       const std::function<bool(double)>& progress = {});

// The category named by a tile's title ("Cani", "Altri animali") or an archive's file name with or without
// ".db" ("Altri", "Cani.db"), without regard to case; nullptr when none.
const CategoryDescriptor* CategoryNamed(const QString& name);
