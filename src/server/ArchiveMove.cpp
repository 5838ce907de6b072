// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveMove.h"

#include "EServerError.h"
#include "ServerArchiveStore.h"
#include "ServerLink.h"
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

enum ExitCode { Copied = 0, Refused = 1, Failed = 2 };

// The server named in the folder's settings; empty (with the reason written) when there is none.
QString serverOf(Console& console)
{
    const QString server = Settings(console.folder).Text("Archivi", "Server").trimmed();
    if (server.isEmpty())
        console.err << u"Nessun server degli archivi in %1 (sezione [Archivi], voce Server)\n"_s.arg(
            QDir(console.folder).filePath(QString::fromLatin1(Settings::FileName)));
    return server;
}

// Copies and verifies each archive, one line each; the exit code.
int copyAll(Console& console,
            const std::vector<std::pair<std::unique_ptr<ArchiveStore>, std::unique_ptr<ArchiveStore>>>& pairs)
{
    int code = Copied;
    for (const auto& [source, destination] : pairs) {
        const QString title(source->Category().title);
        try {
            const qint64 cards = CopyArchive(*source, *destination);
            console.out << u"%1: %2 schede copiate e verificate\n"_s.arg(title).arg(cards);
        } catch (const ESQLiteException& e) {
            console.out << u"%1: copia non riuscita: %2\n"_s.arg(title, e.message());
            code = Failed;
        }
        console.out.flush();
    }
    return code;
}

} // namespace

qint64 CopyArchive(ArchiveStore& source, ArchiveStore& destination)
{
    std::vector<ArchiveRow> page;
    std::size_t at = 0;
    qint64 last = 0;
    destination.ReplaceAll([&]() -> std::optional<ArchiveRow> {
        if (at == page.size()) {
            page = source.RowsAfter(last, PageRows);
            at = 0;
            if (page.empty())
                return std::nullopt;
        }
        last = page[at].id;
        return std::move(page[at++]);
    });
    QString difference;
    if (!SameRows(source, destination, &difference))
        throw ESQLiteException(u"la copia non corrisponde all'originale (%1)"_s.arg(difference));
    return destination.CardCount();
}

bool SameRows(ArchiveStore& a, ArchiveStore& b, QString* difference)
{
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

int CopyToServer(Console& console)
{
    const bool replace = console.arguments == QStringList{u"--replace"_s};
    if (!replace && !console.arguments.isEmpty()) {
        console.err << u"Uso: codazzurra --copy-to-server [--replace]\n"_s;
        return Refused;
    }
    const QString server = serverOf(console);
    if (server.isEmpty())
        return Refused;
    const auto link = std::make_shared<ServerLink>(server);
    std::vector<std::pair<std::unique_ptr<ArchiveStore>, std::unique_ptr<ArchiveStore>>> pairs;
    int code = Copied;
    try {
        for (const CategoryDescriptor& category : Categories::All) {
            auto file = std::make_unique<FileArchiveStore>(category, console.folder);
            auto onServer = std::make_unique<ServerArchiveStore>(category, link);
            if (!QFileInfo::exists(file->Location())) {
                console.out << u"%1: nessun archivio nella cartella, il server resta com'\u00e8\n"_s.arg(
                    QString(category.title));
                continue;
            }
            if (const qint64 cards = onServer->CardCount(); cards > 0 && !replace) {
                console.out << u"%1: il server contiene gi\u00e0 %2 schede; --replace le sostituisce\n"_s
                                   .arg(QString(category.title))
                                   .arg(cards);
                code = Refused;
            }
            pairs.emplace_back(std::move(file), std::move(onServer));
        }
    } catch (const ESQLiteException& e) {
        console.err << e.message() << u'\n';
        return Failed;
    }
    if (code == Refused)
        return code; // nothing was written
    return copyAll(console, pairs);
}

int CopyFromServer(Console& console)
{
    if (console.arguments.size() != 1) {
        console.err << u"Uso: codazzurra --copy-from-server CARTELLA\n"_s;
        return Refused;
    }
    const QString folder = QDir::current().absoluteFilePath(console.arguments.front());
    const QFileInfo info(folder);
    if (info.exists() && (!info.isDir() || !QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                                 QDir::Hidden | QDir::System))) {
        console.err
            << u"La cartella %1 non \u00e8 vuota: gli archivi si scrivono solo in una cartella vuota o "
               u"nuova\n"_s.arg(folder);
        return Refused;
    }
    const QString server = serverOf(console);
    if (server.isEmpty())
        return Refused;
    if (!QDir().mkpath(folder)) {
        console.err << u"Impossibile creare la cartella %1\n"_s.arg(folder);
        return Failed;
    }
    const auto link = std::make_shared<ServerLink>(server);
    std::vector<std::pair<std::unique_ptr<ArchiveStore>, std::unique_ptr<ArchiveStore>>> pairs;
    for (const CategoryDescriptor& category : Categories::All)
        pairs.emplace_back(std::make_unique<ServerArchiveStore>(category, link),
                           std::make_unique<FileArchiveStore>(category, folder));
    return copyAll(console, pairs);
}

} // namespace ArchiveMove
