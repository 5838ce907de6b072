// SPDX-License-Identifier: GPL-3.0-or-later
#include "BackupCommands.h"

#include "Backup.h"
#include "Generation.h"
#include "Restore.h"
#include "program/Console.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

QString absolute(const Console& console, const QString& path)
{
    return QDir(console.folder).absoluteFilePath(path);
}

qint64 cardsOf(const Manifest& m)
{
    qint64 cards = 0;
    for (const Manifest::Entry& e : m.entries)
        cards += e.cards.value_or(0);
    return cards;
}

} // namespace

namespace BackupCommands {

int MakeBackup(Console& console)
{
    Backup::Options options;
    options.reason = Manifest::Reason::OnDemand;
    options.now = QDateTime::currentDateTime();
    Backup::Outcome outcome;
    if (!console.arguments.isEmpty())
        outcome = Backup::Make(console.folder, {absolute(console, console.arguments.first())}, options);
    else
        outcome = Backup::MakeConfigured(console.folder, options);
    if (!outcome.ok) {
        console.err << u"Copia di sicurezza non eseguita: %1\n"_s.arg(outcome.error);
        return 1;
    }
    console.out << outcome.paths.first() << u'\n';
    if (outcome.secondSkipped)
        console.err << u"Attenzione: seconda destinazione saltata (%1)\n"_s.arg(outcome.secondError);
    for (const QString& d : outcome.damaged)
        console.err << u"Attenzione: archivio danneggiato, non compreso nella copia: %1\n"_s.arg(d);
    return outcome.damaged.isEmpty() ? 0 : 3;
}

int Verify(Console& console)
{
    const QString target = console.arguments.isEmpty() ? Backup::FirstDestination(console.folder)
                                                       : absolute(console, console.arguments.first());
    QStringList paths;
    if (QFileInfo(target).isDir()) {
        // Every file named as a generation, a damaged manifest included: it is reported, not passed over.
        for (const QFileInfo& info : QDir(target).entryInfoList(QDir::Files, QDir::Name)) {
            if (Generation::DateOfName(info.fileName()))
                paths << info.filePath();
        }
    } else if (QFileInfo(target).isFile()) {
        paths << target;
    } else {
        console.err << u"%1 non esiste\n"_s.arg(target);
        return 2;
    }
    bool damaged = false;
    for (const QString& path : paths) {
        Generation::Verdict v;
        if (!Generation::DateOfName(QFileInfo(path).fileName()))
            v.reason = u"il nome non \u00e8 quello di una copia di sicurezza"_s;
        else
            v = Generation::Verify(path);
        if (v.ok && v.manifest->date != Generation::DateOfName(QFileInfo(path).fileName())) {
            v.ok = false;
            v.reason = u"la data non corrisponde al nome"_s;
        }
        damaged = damaged || !v.ok;
        console.out << path << u'\t' << (v.ok ? u"OK"_s : u"DANNEGGIATA\t"_s + v.reason) << u'\n';
    }
    return damaged ? 1 : 0;
}

int List(Console& console)
{
    const QString folder = console.arguments.isEmpty() ? Backup::FirstDestination(console.folder)
                                                       : absolute(console, console.arguments.first());
    for (const Generation::Listed& g : Generation::List(folder)) {
        const qint64 cards = cardsOf(g.manifest);
        console.out << g.path << u'\t' << g.manifest.date.toString(u"dd/MM/yyyy HH:mm:ss"_s) << u'\t'
                    << g.size << u" byte\t"_s << cards << (cards == 1 ? u" scheda\t"_s : u" schede\t"_s)
                    << Manifest::ReasonText(g.manifest.reason) << u'\n';
    }
    return 0;
}

int RestoreGeneration(Console& console)
{
    if (console.arguments.isEmpty()) {
        console.err << u"Indicare il file della copia di sicurezza da ripristinare.\n"_s;
        return 2;
    }
    Restore::Options options;
    options.archive = console.arguments.value(1);
    options.now = QDateTime::currentDateTime();
    const QString path = absolute(console, console.arguments.first());
    if (!QFileInfo(path).isFile()) {
        console.err << u"%1 non esiste\n"_s.arg(path);
        return 2;
    }
    const Restore::Outcome outcome = Restore::Run(console.folder, path, options);
    if (outcome.status == Restore::Status::Restored) {
        console.out << u"Ripristinati: %1\n"_s.arg(outcome.restored.join(u", "_s));
        if (!outcome.beforeRestorePath.isEmpty())
            console.out << u"I file precedenti sono nella copia %1\n"_s.arg(outcome.beforeRestorePath);
        return 0;
    }
    console.err << outcome.message << u'\n';
    return outcome.status == Restore::Status::Refused ? 1 : 2;
}

} // namespace BackupCommands
