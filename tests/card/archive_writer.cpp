// SPDX-License-Identifier: GPL-3.0-or-later
// Another copy of the program writing to an archive, for the tests of several copies at once (and for
// counting by hand). The archive is Amici's, in FOLDER.
//
//   archive_writer update FOLDER ID COUNT
//       Reads card ID and saves it with a changed note, COUNT times, as the record card does. Prints
//       "saved=S conflicts=C immediate=I waited=W other=O" and then the milliseconds of each failed step:
//       a failure for a lock is "immediate" when it came before the busy timeout had passed.
//   archive_writer create
//       For each folder read from standard input, one a line, saves a new card in that folder's archive
//       and answers "ok" or the failure, one line each.
#include "card/CardEditor.h"
#include "storage/FileArchiveStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

const CategoryDescriptor& amici()
{
    return *Categories::ByKey(u"Amici"_s);
}

int update(const QString& folder, qint64 id, int count)
{
    CardEditor editor(std::make_unique<FileArchiveStore>(amici(), folder));
    int saved = 0, conflicts = 0, immediate = 0, waited = 0, other = 0;
    QStringList waits;
    auto failed = [&](const QString& error, qint64 ms) {
        if (!error.contains(u"locked"_s) && !error.contains(u"busy"_s))
            ++other;
        else if (ms < TSQLiteDatabase::DefaultBusyTimeoutMs)
            ++immediate;
        else
            ++waited;
        waits << QString::number(ms);
        std::fprintf(stderr, "after %lld ms: ...%s\n", ms, qPrintable(error.right(60)));
    };
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        try {
            const std::optional<ArchiveCard> card = editor.Store().Read(id);
            if (!card)
                throw ESQLiteException(u"card %1 not found"_s.arg(id));
            editor.Load(*card);
        } catch (const ESQLiteException& e) {
            failed(e.message(), timer.elapsed());
            continue;
        }
        editor.SetValue(CardFields::Note, u"%1 %2"_s.arg(QCoreApplication::applicationPid()).arg(i));
        const CardEditor::SaveOutcome outcome = editor.Save();
        switch (outcome.kind) {
        case CardEditor::SaveOutcome::Kind::Updated:
            ++saved;
            break;
        case CardEditor::SaveOutcome::Kind::ChangedElsewhere:
            ++conflicts;
            break;
        default:
            failed(outcome.error, timer.elapsed());
        }
    }
    std::printf("saved=%d conflicts=%d immediate=%d waited=%d other=%d\n%s\n", saved, conflicts, immediate,
                waited, other, qPrintable(waits.join(u' ')));
    return 0;
}

int create()
{
    QTextStream in(stdin);
    QString folder;
    while (in.readLineInto(&folder)) {
        CardEditor editor(std::make_unique<FileArchiveStore>(amici(), folder));
        editor.SetValue(CardFields::Nome, u"Nuovo"_s);
        const CardEditor::SaveOutcome outcome = editor.Save();
        const QString answer = outcome.kind == CardEditor::SaveOutcome::Kind::Inserted
                                   ? u"ok"_s
                                   : u"failed: "_s + outcome.error.simplified();
        std::printf("%s\n", qPrintable(answer));
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == u"update"_s)
        return update(args[2], args[3].toLongLong(), args[4].toInt());
    if (args.size() == 2 && args[1] == u"create"_s)
        return create();
    std::fprintf(stderr, "usage: archive_writer update FOLDER ID COUNT | archive_writer create\n");
    return 2;
}
