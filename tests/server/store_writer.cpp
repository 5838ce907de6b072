// SPDX-License-Identifier: GPL-3.0-or-later
// Another workstation saving cards, for the store's tests of several writers at once (and for counting
// by hand). The archive is Amici's, in the folder or on the server the location names.
//
//   store_writer file|server LOCATION COUNT
//       Saves a new card of its own, with a 300 kB photo, then reads it and saves it with a changed note,
//       COUNT times, with the card's conflict check. Prints "saved=S conflicts=C errors=E last=NOTE",
//       then each error's message on standard error.
#include "server/ServerArchiveStore.h"
#include "server/ServerLink.h"
#include "storage/FileArchiveStore.h"

#include <QCoreApplication>
#include <QTemporaryFile>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args[1] != u"file"_s && args[1] != u"server"_s)) {
        std::fprintf(stderr, "usage: store_writer file|server LOCATION COUNT\n");
        return 2;
    }
    const CategoryDescriptor& amici = *Categories::ByKey(u"Amici"_s);
    std::unique_ptr<ArchiveStore> store;
    if (args[1] == u"file"_s)
        // Waits for the other writer's lock as long as it takes: a save that fails here is a fault, not a
        // busy machine.
        store = std::make_unique<FileArchiveStore>(amici, args[2], 600000);
    else
        store = std::make_unique<ServerArchiveStore>(amici, std::make_shared<ServerLink>(args[2]));

    int saved = 0, conflicts = 0, errors = 0;
    QString last;
    CardValues values;
    values[CardFields::Nome] = u"Scrittore %1"_s.arg(QCoreApplication::applicationPid());
    std::optional<qint64> id;
    QTemporaryFile photo;
    if (!photo.open() || photo.write(QByteArray(300000, 'p')) != 300000 || !photo.flush())
        return 2;
    for (int i = 0; i < 1 + args[3].toInt(); ++i) {
        try {
            StoredCard expected;
            if (id) {
                const auto card = store->Read(*id);
                if (!card)
                    throw ESQLiteException(u"card %1 not found"_s.arg(*id));
                expected = card->stored;
                values[CardFields::Note] = u"%1 %2"_s.arg(QCoreApplication::applicationPid()).arg(i);
            }
            id = store->SaveCard(id, values, i % 10 == 0 ? photo.fileName() : QString(),
                                 id ? &expected : nullptr);
            last = values[CardFields::Note];
            saved += i > 0 ? 1 : 0;
        } catch (const ECardChangedElsewhere&) {
            ++conflicts;
        } catch (const ESQLiteException& e) {
            ++errors;
            std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        }
    }
    std::printf("saved=%d conflicts=%d errors=%d id=%lld last=%s\n", saved, conflicts, errors, id ? *id : 0LL,
                qPrintable(last));
    return 0;
}
