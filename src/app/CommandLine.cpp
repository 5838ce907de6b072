// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "backup/BackupCommands.h"
#include "import/ImportCommand.h"
#include "program/Console.h"
#include "program/MakerInfo.h"
#include "server/ArchiveMove.h"
#include "server/ArchiveStores.h"
#include "shell/ProgramFolder.h"

#include <QTextStream>
#include <functional>
#include <stdexcept>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Mode
{
    QString option;
    QString usage; // what follows the option
    QString help;  // one Italian line
    std::function<int(Console&)> run;
};

// Every mode, in the order --help lists them.
const std::vector<Mode>& modes()
{
    static const std::vector<Mode> all = {
        {u"--backup"_s, u"[CARTELLA]"_s,
         u"Esegue una copia di sicurezza (nella CARTELLA o nelle destinazioni scelte) e ne scrive il percorso."_s,
         BackupCommands::MakeBackup},
        {u"--verify"_s, u"[FILE|CARTELLA]"_s,
         u"Verifica una copia di sicurezza, o tutte quelle della cartella (predefinita: Backup)."_s,
         BackupCommands::Verify},
        {u"--list-backups"_s, u"[CARTELLA]"_s,
         u"Elenca le copie di sicurezza: percorso, data, dimensione, schede, motivo."_s,
         BackupCommands::List},
        {u"--restore"_s, u"FILE [ARCHIVIO]"_s,
         u"Ripristina una copia di sicurezza, tutta o il solo ARCHIVIO (es. Cani.db), senza chiedere."_s,
         BackupCommands::RestoreGeneration},
        {u"--import"_s, u"FILE --archive NOME [--dry-run] [--skip-duplicates|--include-duplicates]"_s,
         u"Importa schede da un file CSV, .xlsx, .ods, da un'altra cartella del programma o da una copia .zip."_s,
         ImportCommand::Run},
        {u"--copy-to-server"_s, u"[--replace]"_s,
         u"Copia gli archivi della cartella sul server indicato in Codazzurra.ini."_s,
         ArchiveMove::CopyToServer},
        {u"--copy-from-server"_s, u"CARTELLA"_s,
         u"Scrive gli archivi del server come file nella CARTELLA, vuota o nuova."_s,
         ArchiveMove::CopyFromServer},
    };
    return all;
}

// Qt's own options for the window (QGuiApplication takes them with one dash or two).
bool isWindowOption(const QString& argument)
{
    static const QStringList names = {u"platform"_s,
                                      u"platformpluginpath"_s,
                                      u"platformtheme"_s,
                                      u"plugin"_s,
                                      u"qwindowgeometry"_s,
                                      u"qwindowtitle"_s,
                                      u"qwindowicon"_s,
                                      u"reverse"_s,
                                      u"session"_s,
                                      u"style"_s,
                                      u"stylesheet"_s,
                                      u"widgetcount"_s,
                                      u"display"_s,
                                      u"geometry"_s,
                                      u"name"_s,
                                      u"title"_s,
                                      u"visual"_s,
                                      u"ncols"_s,
                                      u"cmap"_s,
                                      u"nograb"_s,
                                      u"dograb"_s,
                                      u"sync"_s,
                                      u"fontengine"_s,
                                      u"dialogs"_s};
    QString name = argument.mid(2);
    name = name.left(name.indexOf(u'='));
    return names.contains(name);
}

void printHelp(QTextStream& out, const ProgramFolder& folders)
{
    out << u"Uso: codazzurra [OPZIONE]\n\n"_s
        << u"Senza opzioni apre il programma. Con una delle opzioni seguenti lavora senza finestre e senza "
           u"chiedere la password, poi termina.\n\n"_s;
    auto line = [&out](const QString& left, const QString& help) {
        // A long usage takes a line of its own, and its help goes below, in the column of the others.
        if (left.size() >= 34)
            out << u"  "_s << left << u'\n' << QString(36, u' ') << help << u'\n';
        else
            out << u"  "_s << left.leftJustified(34) << help << u'\n';
    };
    for (const Mode& mode : modes())
        line(mode.option + (mode.usage.isEmpty() ? QString() : u" "_s + mode.usage), mode.help);
    line(u"--version"_s, u"Mostra la versione del programma."_s);
    line(u"--help"_s, u"Mostra questo aiuto."_s);
    out << u'\n' << folders.Description() << u"Archivi: "_s << ArchiveStores::Where(folders.Data())
        << u".\n"_s;
}

} // namespace

namespace CommandLine {

bool AsksForMode(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument.startsWith(u"--"_s) && !isWindowOption(argument))
            return true;
        if (argument == u"-h"_s || argument == u"-v"_s)
            return true;
    }
    return false;
}

int Run(const QStringList& arguments, const ProgramFolder& folders, QTextStream& out, QTextStream& err)
{
    const qsizetype at = [&] {
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            if ((arguments[i].startsWith(u"--"_s) && !isWindowOption(arguments[i])) ||
                arguments[i] == u"-h"_s || arguments[i] == u"-v"_s)
                return i;
        }
        return qsizetype(0);
    }();
    const QString option = arguments.value(at);
    if (option == u"--help"_s || option == u"-h"_s) {
        printHelp(out, folders);
        return 0;
    }
    if (option == u"--version"_s || option == u"-v"_s) {
        out << MakerInfo::ApplicationTitle() << u' ' << MakerInfo::Version() << u'\n';
        return 0;
    }
    for (const Mode& mode : modes()) {
        if (mode.option == option) {
            try {
                folders.Prepare();
            } catch (const std::runtime_error& e) {
                err << QString::fromStdString(e.what()) << u'\n';
                return 1;
            }
            Console console{folders.Data(), arguments.mid(at + 1), out, err};
            return mode.run(console);
        }
    }
    err << u"Opzione sconosciuta: %1\n\n"_s.arg(option);
    printHelp(err, folders);
    return 2;
}

} // namespace CommandLine
