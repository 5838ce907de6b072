// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "import/ImportCommand.h"
#include "program/Console.h"
#include "program/MakerInfo.h"

#include <QTextStream>
#include <functional>
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
        {u"--import"_s, u"FILE --archive NOME [--dry-run] [--skip-duplicates|--include-duplicates]"_s,
         u"Importa schede da un file CSV, .xlsx, .ods, da un'altra cartella del programma o da una copia .zip."_s,
         ImportCommand::Run},
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

void printHelp(QTextStream& out)
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

int Run(const QStringList& arguments, const QString& folder, QTextStream& out, QTextStream& err)
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
        printHelp(out);
        return 0;
    }
    if (option == u"--version"_s || option == u"-v"_s) {
        out << MakerInfo::ApplicationTitle() << u' ' << MakerInfo::Version() << u'\n';
        return 0;
    }
    for (const Mode& mode : modes()) {
        if (mode.option == option) {
            Console console{folder, arguments.mid(at + 1), out, err};
            return mode.run(console);
        }
    }
    err << u"Opzione sconosciuta: %1\n\n"_s.arg(option);
    printHelp(err);
    return 2;
}

} // namespace CommandLine
