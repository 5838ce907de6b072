// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportCommand.h"

#include "ArchiveCardSource.h"
#include "CardImport.h"
#include "ColumnMapping.h"
#include "ImportError.h"
#include "TableCardSource.h"
#include "program/Console.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace ImportCommand {

int Run(Console& console)
{
    QString file, archive;
    bool dryRun = false;
    ImportOptions options;
    int duplicateOptions = 0;
    const QStringList& args = console.arguments;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--archive"_s && i + 1 < args.size()) {
            archive = args[++i];
        } else if (a == u"--dry-run"_s) {
            dryRun = true;
        } else if (a == u"--skip-duplicates"_s) {
            options.duplicates = ImportOptions::Duplicates::Skip;
            ++duplicateOptions;
        } else if (a == u"--include-duplicates"_s) {
            options.duplicates = ImportOptions::Duplicates::Include;
            ++duplicateOptions;
        } else if (!a.startsWith(u"--"_s) && file.isEmpty()) {
            file = a;
        } else {
            console.err << u"Argomento non valido: %1\n"_s.arg(a);
            return 2;
        }
    }
    if (file.isEmpty() || archive.isEmpty() || duplicateOptions > 1) {
        console.err << u"Uso: codazzurra --import FILE --archive NOME [--dry-run] "
                       u"[--skip-duplicates | --include-duplicates]\n"_s;
        return 2;
    }
    const CategoryDescriptor* category = CategoryNamed(archive);
    if (!category) {
        console.err << u"Archivio sconosciuto: %1\n"_s.arg(archive);
        return 2;
    }
    // Each run reads the file from its start: the import checks every row again inside its transaction.
    auto open = [&]() -> std::unique_ptr<CardSource> {
        if (ArchiveCardSource::IsArchiveSource(file))
            return std::make_unique<ArchiveCardSource>(file, *category);
        auto table = std::make_unique<TableCardSource>(TableFile::ForPath(file));
        table->SetMapping(ColumnMapping::FromHeaders(table->Headers(), *category));
        return table;
    };
    std::unique_ptr<CardSource> source;
    try {
        source = open();
    } catch (const EImportError& e) {
        console.err << e.message() << u'\n';
        return 2;
    }
    const QString name = QFileInfo(file).fileName();
    const ImportReport check = RunImport(*source, *category, console.folder, options, false);
    console.out << check.Text(name, *category);
    if (dryRun || check.ExitCode() != 0)
        return check.ExitCode();
    try {
        source = open();
    } catch (const EImportError& e) {
        console.err << e.message() << u'\n';
        return 2;
    }
    const ImportReport done = RunImport(*source, *category, console.folder, options, true);
    console.out << u"\n"_s << done.Text(name, *category);
    return done.ExitCode();
}

} // namespace ImportCommand
