// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveMove.h"

#include "EServerError.h"
#include "ServerArchiveStore.h"
#include "ServerLink.h"
#include "ServerSetting.h"
#include "program/Console.h"
#include "program/Settings.h"
#include "storage/FileArchiveStore.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace ArchiveMove {

namespace {

// Rows read at a time: photos of several megabytes each must not all be in memory at once.
constexpr int PageRows = 16;

// The move was stopped by its progress callback.
class EMoveCancelled : public ESQLiteException
{
public:
    EMoveCancelled()
        : ESQLiteException(u"copia annullata"_s)
    {}
};

using Pairs = std::vector<std::pair<std::unique_ptr<ArchiveStore>, std::unique_ptr<ArchiveStore>>>;

QString notConfigured(const QString& folder)
{
    return u"Nessun server degli archivi in %1 (sezione [Archivi], voce Server)"_s.arg(
        QDir(folder).filePath(QString::fromLatin1(Settings::FileName)));
}

// Copies and verifies each archive, one line each.
Outcome copyAll(const Pairs& pairs, const Progress& progress)
{
    Outcome outcome;
    outcome.status = Status::Copied;
    qint64 total = 0;
    for (const auto& [source, destination] : pairs)
        total += source->CardCount();
    qint64 done = 0;
    for (const auto& [source, destination] : pairs) {
        const QString title(source->Category().title);
        try {
            qint64 scheduleRows = 0;
            const qint64 cards = CopyArchive(*source, *destination, &scheduleRows, progress, done, total);
            done += cards;
            QString line = cards == 1 ? u"%1: 1 scheda copiata e verificata"_s.arg(title)
                                      : u"%1: %2 schede copiate e verificate"_s.arg(title).arg(cards);
            if (scheduleRows > 0)
                line += u", con %1 %2 di scadenze e libretto"_s.arg(scheduleRows)
                            .arg(scheduleRows == 1 ? u"riga"_s : u"righe"_s);
            outcome.lines << line;
        } catch (const EMoveCancelled&) {
            outcome.lines << u"%1: copia annullata, archivio di destinazione invariato"_s.arg(title);
            outcome.status = Status::Cancelled;
            return outcome;
        } catch (const ESQLiteException& e) {
            outcome.lines << u"%1: copia non riuscita: %2"_s.arg(title, e.message());
            outcome.status = Status::Failed;
        }
    }
    return outcome;
}

int exitCode(Console& console, const Outcome& outcome)
{
    for (const QString& line : outcome.lines)
        console.out << line << u'\n';
    if (!outcome.reason.isEmpty())
        console.err << outcome.reason << u'\n';
    switch (outcome.status) {
    case Status::Copied:
        return 0;
    case Status::Refused:
        return 1;
    default:
        return 2;
    }
}

} // namespace

qint64 CopyArchive(ArchiveStore& source, ArchiveStore& destination, qint64* scheduleRows,
                   const Progress& progress, qint64 doneBefore, qint64 total)
{
    std::vector<ArchiveRow> page;
    std::size_t at = 0;
    qint64 last = 0;
    qint64 copied = 0;
    const ScheduleTables::Rows schedule = source.ScheduleRows();
    destination.ReplaceAll(
        [&]() -> std::optional<ArchiveRow> {
            if (at == page.size()) {
                page = source.RowsAfter(last, PageRows);
                at = 0;
                if (page.empty())
                    return std::nullopt;
            }
            if (progress && at == 0 && !progress(doneBefore + copied, total))
                throw EMoveCancelled();
            ++copied;
            last = page[at].id;
            return std::move(page[at++]);
        },
        schedule);
    QString difference;
    if (!SameRows(source, destination, &difference))
        throw ESQLiteException(u"la copia non corrisponde all'originale (%1)"_s.arg(difference));
    if (scheduleRows)
        *scheduleRows = qint64(schedule.entries.size() + schedule.treatments.size());
    return destination.CardCount();
}

bool SameRows(ArchiveStore& a, ArchiveStore& b, QString* difference)
{
    const ScheduleTables::Rows scheduleA = a.ScheduleRows(), scheduleB = b.ScheduleRows();
    if (scheduleA != scheduleB) {
        *difference = u"scadenze: %1 e %2 righe contro %3 e %4"_s.arg(scheduleA.entries.size())
                          .arg(scheduleA.treatments.size())
                          .arg(scheduleB.entries.size())
                          .arg(scheduleB.treatments.size());
        return false;
    }
    const qint64 count = a.CardCount();
    if (count != b.CardCount()) {
        *difference = u"%1 schede contro %2"_s.arg(count).arg(b.CardCount());
        return false;
    }
    qint64 last = 0;
    for (;;) {
        const std::vector<ArchiveRow> left = a.RowsAfter(last, PageRows);
        const std::vector<ArchiveRow> right = b.RowsAfter(last, PageRows);
        for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
            if (i >= left.size() || i >= right.size() || left[i] != right[i]) {
                *difference = u"scheda %1"_s.arg(i < left.size() ? left[i].id : right[i].id);
                return false;
            }
        }
        if (left.empty())
            return true;
        last = left.back().id;
    }
}

Outcome ToServer(const QString& folder, bool replace, const Progress& progress)
{
    Outcome outcome;
    outcome.status = Status::Refused;
    const QString server = ServerSetting::Of(folder);
    if (server.isEmpty()) {
        outcome.reason = notConfigured(folder);
        return outcome;
    }
    const auto link = std::make_shared<ServerLink>(server);
    Pairs pairs;
    try {
        for (const CategoryDescriptor& category : Categories::All) {
            auto file = std::make_unique<FileArchiveStore>(category, folder);
            auto onServer = std::make_unique<ServerArchiveStore>(category, link);
            if (!QFileInfo::exists(file->Location())) {
                outcome.lines << u"%1: nessun archivio nella cartella, il server resta com'\u00e8"_s.arg(
                    QString(category.title));
                continue;
            }
            if (const qint64 cards = onServer->CardCount(); cards > 0 && !replace) {
                outcome.lines
                    << u"%1: il server contiene gi\u00e0 %2 schede"_s.arg(QString(category.title)).arg(cards);
                outcome.serverHasCards = true;
            }
            pairs.emplace_back(std::move(file), std::move(onServer));
        }
    } catch (const ESQLiteException& e) {
        outcome.status = Status::Failed;
        outcome.reason = e.message();
        return outcome;
    }
    if (outcome.serverHasCards) {
        outcome.reason =
            u"Il server contiene gi\u00e0 delle schede: nulla \u00e8 stato copiato (sostituirle con "
            u"quelle dei file va chiesto espressamente)"_s;
        return outcome; // nothing was written
    }
    if (pairs.empty()) {
        outcome.reason = u"Nella cartella %1 non c'\u00e8 alcun archivio: nulla \u00e8 stato copiato"_s.arg(
            QDir::toNativeSeparators(folder));
        return outcome;
    }
    Outcome copied = copyAll(pairs, progress);
    copied.lines = outcome.lines + copied.lines;
    return copied;
}

Outcome FromServer(const QString& folder, const QString& target, const Progress& progress)
{
    Outcome outcome;
    outcome.status = Status::Refused;
    const QFileInfo info(target);
    if (info.exists() && (!info.isDir() || !QDir(target).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                                 QDir::Hidden | QDir::System))) {
        outcome.reason =
            u"La cartella %1 non \u00e8 vuota: gli archivi si scrivono solo in una cartella vuota o nuova"_s
                .arg(target);
        return outcome;
    }
    const QString server = ServerSetting::Of(folder);
    if (server.isEmpty()) {
        outcome.reason = notConfigured(folder);
        return outcome;
    }
    if (!QDir().mkpath(target)) {
        outcome.status = Status::Failed;
        outcome.reason = u"Impossibile creare la cartella %1"_s.arg(target);
        return outcome;
    }
    const auto link = std::make_shared<ServerLink>(server);
    Pairs pairs;
    for (const CategoryDescriptor& category : Categories::All)
        pairs.emplace_back(std::make_unique<ServerArchiveStore>(category, link),
                           std::make_unique<FileArchiveStore>(category, target));
    try {
        return copyAll(pairs, progress);
    } catch (const ESQLiteException& e) {
        outcome.status = Status::Failed;
        outcome.reason = e.message();
        return outcome;
    }
}

int CopyToServer(Console& console)
{
    const bool replace = console.arguments == QStringList{u"--replace"_s};
    if (!replace && !console.arguments.isEmpty()) {
        console.err << u"Uso: codazzurra --copy-to-server [--replace]\n"_s;
        return 1;
    }
    Outcome outcome = ToServer(console.folder, replace);
    if (outcome.serverHasCards)
        outcome.reason =
            u"Il server contiene gi\u00e0 delle schede: nulla \u00e8 stato copiato; --replace le "
            u"sostituisce"_s;
    return exitCode(console, outcome);
}

int CopyFromServer(Console& console)
{
    if (console.arguments.size() != 1) {
        console.err << u"Uso: codazzurra --copy-from-server CARTELLA\n"_s;
        return 1;
    }
    return exitCode(console,
                    FromServer(console.folder, QDir::current().absoluteFilePath(console.arguments.front())));
}

} // namespace ArchiveMove
