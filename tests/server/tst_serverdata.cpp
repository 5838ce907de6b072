// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule, the moves and the backups of an installation whose archives are on a server, against a
// real PostgreSQL server (tests/support/PgTestServer); the schedule's cases run on both engines.
#include "backup/Backup.h"
#include "backup/Restore.h"
#include "backup/ServerBackup.h"
#include "import/ArchiveCardSource.h"
#include "import/CardImport.h"
#include "program/Console.h"
#include "program/Settings.h"
#include "schedule/Reminders.h"
#include "schedule/ScheduleBook.h"
#include "server/ArchiveMove.h"
#include "server/PgConnection.h"
#include "server/ServerArchiveStore.h"
#include "server/ServerLink.h"
#include "server/ServerScheduleSql.h"
#include "server/ServerSetting.h"
#include "storage/FileArchiveStore.h"
#include "storage/FileScheduleSql.h"
#include "storage/TSQLiteDatabase.h"
#include "support/PgTestServer.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const CategoryDescriptor& cavalli()
{
    return *Categories::ByKey(u"Amici"_s);
}

CardValues named(const QString& name)
{
    CardValues values;
    values[CardFields::Nome] = name;
    return values;
}

EntryInput entry(const QString& kind, const QDate& due, int months, const QString& description = {})
{
    return {kind, description, due, months, {}};
}

QString raised(const std::function<void()>& body)
{
    try {
        body();
    } catch (const ESQLiteException& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestServerData : public QObject
{
    Q_OBJECT

    PgTestServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder(const QString& name, bool onServer) const
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(path);
        if (onServer)
            Settings(path).SetText("Archivi", "Server", m_server.ConnectionString());
        return path;
    }
    std::unique_ptr<ArchiveStore> serverStore(const CategoryDescriptor& category = cavalli()) const
    {
        return std::make_unique<ServerArchiveStore>(
            category, std::make_shared<ServerLink>(m_server.ConnectionString()));
    }
    // The rows of every archive of the folder's files and of the server compared; the first difference.
    QString differenceFromServer(const QString& files) const
    {
        const auto link = std::make_shared<ServerLink>(m_server.ConnectionString());
        for (const CategoryDescriptor& c : Categories::All) {
            FileArchiveStore file(c, files);
            ServerArchiveStore server(c, link);
            QString difference;
            if (!ArchiveMove::SameRows(file, server, &difference))
                return QString(c.title) + u": "_s + difference;
        }
        return {};
    }
    // A folder of file archives whose horses hold two cards with their schedule and booklet.
    QString filesWithSchedule(const QString& name)
    {
        const QString path = folder(name, false);
        FileArchiveStore store(cavalli(), path);
        const qint64 rex = store.SaveCard({}, named(u"Rex"_s), {});
        store.SaveCard({}, named(u"Fido"_s), {});
        ScheduleBook book(cavalli(), path);
        const qint64 vaccine =
            book.AddEntry(rex, entry(u"Vaccinazione"_s, QDate(2024, 3, 1), 12, u"Tetano"_s));
        book.MarkDone(vaccine, QDate(2024, 2, 20), u"fatto \u00e0 casa"_s);
        book.AddBookletRow(rex, u"Visita"_s, u"Controllo"_s, QDate(2023, 5, 2), {});
        return path;
    }

private slots:
    void initTestCase() { QVERIFY2(m_server.Error().isEmpty(), qPrintable(m_server.Error())); }
    void init()
    {
        QVERIFY(m_server.ResetDatabase().isEmpty());
        m_dir = std::make_unique<QTemporaryDir>();
    }

    void schedule_sameOnBothEngines_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::newRow("file") << false;
        QTest::newRow("server") << true;
    }
    void schedule_sameOnBothEngines()
    {
        QFETCH(bool, onServer);
        const QString path = folder(u"install"_s, onServer);
        std::unique_ptr<ArchiveStore> store =
            onServer ? serverStore() : std::make_unique<FileArchiveStore>(cavalli(), path);
        const ScheduleSource source =
            onServer ? ServerScheduleSql::Source(m_server.ConnectionString()) : FileScheduleSql::Source(path);
        const qint64 rex = store->SaveCard({}, named(u"Rex"_s), {});
        const qint64 fido = store->SaveCard({}, named(u"Fido"_s), {});

        ScheduleBook book(cavalli(), source()(cavalli(), false));
        const qint64 yearly = book.AddEntry(rex, entry(u"Vaccinazione"_s, QDate(2024, 1, 10), 12));
        book.AddEntry(rex, entry(u"Visita"_s, QDate(2024, 2, 1), 0, u"Controllo \u00e8 dovuto"_s));
        QCOMPARE(book.AddEntries(rex, {entry(u"Visita"_s, QDate(2025, 1, 1), 0, u"Controllo \u00e8 dovuto"_s),
                                       entry(u"Sverminazione"_s, QDate(2024, 1, 15), 3)}),
                 1);
        const ScheduleBook::Done done = book.MarkDone(yearly, QDate(2024, 1, 5), u"ok"_s);
        QCOMPARE(done.nextDue, QDate(2025, 1, 5));
        QVERIFY(!raised([&] { book.MarkDone(yearly, QDate(2024, 1, 4)); }).isEmpty());
        book.AddEntry(fido, entry(u"Altro"_s, QDate(2023, 12, 1), 0));

        const std::vector<ScheduleEntry> entries = book.Entries(rex);
        QCOMPARE(entries.size(), std::size_t(3));
        QCOMPARE(entries.front().due, QDate(2024, 1, 15)); // by due date
        QCOMPARE(entries.back().lastDone, QDate(2024, 1, 5));
        QCOMPARE(entries.back().due, QDate(2025, 1, 5));
        QCOMPARE(book.Booklet(rex).size(), std::size_t(1));
        QCOMPARE(book.Booklet(rex).front().note, u"ok"_s);

        // The reminders after the password read the same rows: overdue first, then by date.
        const ReminderScan scan = Reminders::FindDue(source, QDate(2024, 1, 20), 14);
        QVERIFY2(scan.problems.isEmpty(), qPrintable(scan.problems.join(u'\n')));
        QStringList shown;
        for (const Reminder& r : scan.reminders)
            shown << r.animal + u' ' + r.kind;
        QCOMPARE(shown, (QStringList{u"Fido Altro"_s, u"Rex Sverminazione"_s, u"Rex Visita"_s}));

        // Deleting a card deletes its rows with it; a write for it afterwards is refused.
        store->DeleteCard(rex);
        const ScheduleTables::Rows rows = store->ScheduleRows();
        QCOMPARE(rows.entries.size(), std::size_t(1));
        QVERIFY(rows.treatments.empty());
        QVERIFY(raised([&] {
                    book.AddEntry(rex, entry(u"Visita"_s, QDate(2024, 5, 1), 0));
                }).contains(u"non \u00e8 pi\u00f9 presente"_s));
        // A new card never meets the deleted card's rows.
        const qint64 next = store->SaveCard({}, named(u"Nuovo"_s), {});
        QVERIFY(book.Entries(next).empty() && book.Booklet(next).empty());
    }

    void import_sameOnBothEngines_data() { schedule_sameOnBothEngines_data(); }
    void import_sameOnBothEngines()
    {
        QFETCH(bool, onServer);
        const QString target = folder(u"target"_s, onServer);
        const auto store = onServer ? serverStore() : std::make_unique<FileArchiveStore>(cavalli(), target);
        CardValues fido = named(u"Fido \u00e0"_s);
        fido[CardFields::Microchip] = u"380 260 1"_s;
        store->SaveCard({}, fido, {});
        const QString source = filesWithSchedule(u"source"_s);
        fido[CardFields::Microchip] = u"3802601"_s; // the same microchip, written without blanks
        FileArchiveStore(cavalli(), source).SaveCard(2, fido, {});
        ImportOptions options;
        options.duplicates = ImportOptions::Duplicates::Skip;
        auto import = [&](bool write, const std::function<bool(double)>& progress = {}) {
            ArchiveCardSource cards(source, cavalli());
            return RunImport(cards, cavalli(), target, options, write, progress);
        };

        // The trial and a cancelled import change nothing; the import adds Rex with his schedule, Fido
        // being there already.
        ImportReport report = import(false);
        QCOMPARE(report.outcome, ImportReport::Outcome::Ready);
        QCOMPARE(report.accepted, qint64(1));
        QCOMPARE(report.duplicateRows, qint64(1));
        QCOMPARE(import(true, [](double done) { return done < 1; }).outcome,
                 ImportReport::Outcome::Cancelled);
        QCOMPARE(store->CardCount(), 1);
        QVERIFY(store->ScheduleRows().Empty());
        report = import(true);
        QCOMPARE(report.outcome, ImportReport::Outcome::Imported);
        QVERIFY2(report.extra.contains(u"Trattamenti importati: 2"_s), qPrintable(report.extra.join(u'\n')));
        const auto rex = store->Position(ArchiveStore::Step::Last);
        QCOMPARE(rex->stored.texts.at(CardFields::Nome), QByteArray("Rex"));
        const ScheduleTables::Rows rows = store->ScheduleRows();
        QCOMPARE(rows.entries.size(), std::size_t(1));
        QCOMPARE(rows.treatments.size(), std::size_t(2));
        const QByteArray rexId = QByteArray::number(rex->id);
        QCOMPARE(rows.entries[0][1], rexId);
        QCOMPARE(rows.treatments[0][1], rexId);
        // The treatment that fulfilled the entry points at the entry's new row.
        QCOMPARE(rows.treatments[0][2].value_or(rows.treatments[1][2].value_or("none")), rows.entries[0][0]);
    }

    void move_carriesTheScheduleRows()
    {
        const QString files = filesWithSchedule(u"files"_s);
        Settings(files).SetText("Archivi", "Server", m_server.ConnectionString());
        auto run = [&](int (*mode)(Console&), const QStringList& arguments, QString* printed = nullptr) {
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            Console console{files, arguments, outStream, errStream};
            const int code = mode(console);
            outStream.flush();
            errStream.flush();
            if (printed)
                *printed = out + err;
            return code;
        };
        QString printed;
        QCOMPARE(run(ArchiveMove::CopyToServer, {}, &printed), 0);
        QVERIFY2(printed.contains(u"Cavalli: 2 schede copiate e verificate, con 3 righe"_s),
                 qPrintable(printed));
        FileArchiveStore file(cavalli(), files);
        const auto server = serverStore();
        const ScheduleTables::Rows copied = file.ScheduleRows();
        QCOMPARE(copied.entries.size(), std::size_t(1));
        QCOMPARE(server->ScheduleRows(), copied);

        // Stopped midway: the archive being copied stays as it was on the server.
        const qint64 cards = server->CardCount();
        const ArchiveMove::Outcome stopped =
            ArchiveMove::ToServer(files, true, [](qint64, qint64) { return false; });
        QCOMPARE(stopped.status, ArchiveMove::Status::Cancelled);
        QCOMPARE(server->CardCount(), cards);
        QCOMPARE(server->ScheduleRows(), copied);

        // Rows added on the server come after the copied ones; --replace brings the files' rows back.
        ScheduleBook onServer(cavalli(),
                              ServerScheduleSql::Source(m_server.ConnectionString())()(cavalli(), false));
        const qint64 added = onServer.AddEntry(1, entry(u"Altro"_s, QDate(2025, 1, 1), 0));
        QVERIFY(added > copied.entries.back()[0]->toLongLong());
        QVERIFY(added > copied.treatments.back()[2].value_or("0").toLongLong());
        QCOMPARE(run(ArchiveMove::CopyToServer, {u"--replace"_s}), 0);
        QCOMPARE(server->ScheduleRows(), copied);

        const QString back = m_dir->filePath(u"ritorno"_s);
        QCOMPARE(run(ArchiveMove::CopyFromServer, {back}), 0);
        QCOMPARE(FileArchiveStore(cavalli(), back).ScheduleRows(), copied);
        QCOMPARE(ScheduleBook(cavalli(), back).Booklet(1).size(), std::size_t(2));

        // Rows whose card another program deleted from the file never attach to a card made on the server.
        TSQLiteDatabase(QDir(files).filePath(u"Cavalli.db"_s))
            .ExecuteStatement(u"UPDATE Scadenze SET IDScheda = 9"_s);
        QCOMPARE(run(ArchiveMove::CopyToServer, {u"--replace"_s}), 0);
        QVERIFY(server->SaveCard({}, named(u"Nuovo"_s), {}) > 9);
    }

    void backup_ofServer_restoresToFilesAndBack()
    {
        const QString files = filesWithSchedule(u"files"_s);
        const QString install = folder(u"server"_s, true);
        {
            const auto link = std::make_shared<ServerLink>(m_server.ConnectionString());
            FileArchiveStore source(cavalli(), files);
            ServerArchiveStore destination(cavalli(), link);
            ArchiveMove::CopyArchive(source, destination);
        }
        Backup::Options options;
        options.now = QDateTime(QDate(2026, 3, 1), QTime(10, 0));
        const Backup::Outcome made = Backup::MakeConfigured(install, options);
        QVERIFY2(made.ok, qPrintable(made.error));
        const auto verdict = Generation::Verify(made.paths.front());
        QVERIFY2(verdict.ok, qPrintable(verdict.reason));
        QCOMPARE(verdict.manifest->Find(u"Cavalli.db"_s)->cards, 2);
        QCOMPARE(verdict.manifest->Find(u"Cani.db"_s)->cards, 0);

        // Into a folder of files: the server's rows, every one.
        const QString restoredFiles = folder(u"ripristino"_s, false);
        Restore::Options restore;
        restore.now = options.now.addSecs(60);
        Restore::Outcome outcome = Restore::Run(restoredFiles, made.paths.front(), restore);
        QVERIFY2(outcome.status == Restore::Status::Restored, qPrintable(outcome.message));
        QVERIFY(ServerSetting::Of(restoredFiles).isEmpty()); // still the files' installation
        QCOMPARE(differenceFromServer(restoredFiles), QString());

        // The server changed since; back into it, every row as in the generation, the setting kept.
        const auto server = serverStore();
        server->DeleteCard(1);
        server->SaveCard({}, named(u"Dopo"_s), {});
        restore.now = restore.now.addSecs(60);
        outcome = Restore::Run(install, made.paths.front(), restore);
        QVERIFY2(outcome.status == Restore::Status::Restored, qPrintable(outcome.message));
        QCOMPARE(ServerSetting::Of(install), m_server.ConnectionString());
        QCOMPARE(differenceFromServer(restoredFiles), QString());
        QVERIFY(!outcome.beforeRestorePath.isEmpty());

        // A generation the server cannot take (a repeat that is not a number): refused for that archive,
        // and the server's archive as it was.
        {
            TSQLiteDatabase db(QDir(files).filePath(u"Cavalli.db"_s));
            db.ExecuteStatement(u"UPDATE Scadenze SET RipetiMesi = 'mai'"_s);
        }
        const Backup::Outcome odd = Backup::Make(files, {m_dir->filePath(u"altre"_s)}, options);
        QVERIFY2(odd.ok, qPrintable(odd.error));
        restore.now = restore.now.addSecs(60);
        outcome = Restore::Run(install, odd.paths.front(), restore);
        QCOMPARE(outcome.status, Restore::Status::Failed);
        QVERIFY2(outcome.message.contains(u"Cavalli.db"_s), qPrintable(outcome.message));
        QCOMPARE(differenceFromServer(restoredFiles), QString());
    }

    void automaticBackup_oneWorkstationAtATime()
    {
        const QString install = folder(u"postazione"_s, true);
        Backup::Options options;
        options.reason = Manifest::Reason::Automatic;
        options.now = QDateTime(QDate(2026, 3, 1), QTime(10, 0));
        {
            // Another workstation is making its backup.
            PgConnection other(m_server.ConnectionString());
            other.Exec(u"SELECT pg_advisory_lock($1)"_s, {PgParam::Number(ServerBackup::AutomaticLockKey)});
            const Backup::Outcome skipped = Backup::MakeAutomatic(install, options);
            QVERIFY(skipped.skipped && !skipped.ok && skipped.error.isEmpty());
            QVERIFY(Generation::List(Backup::FirstDestination(install)).empty());
        }
        // A note from a workstation whose clock ran a year ahead keeps no one from the backup.
        PgConnection(m_server.ConnectionString())
            .Exec(u"INSERT INTO codazzurra.copie VALUES ('2027-03-01T10:00:00Z', 'avanti', 'x.zip')"_s);
        const Backup::Outcome made = Backup::MakeAutomatic(install, options);
        QVERIFY2(made.ok, qPrintable(made.error));
        QCOMPARE(Generation::List(Backup::FirstDestination(install)).size(), std::size_t(1));
        // Made today: not due again; the lock was given back with the run.
        Backup::Options later = options;
        later.now = options.now.addSecs(3600);
        QVERIFY(Backup::MakeAutomatic(install, later).skipped);
        // Nor on another workstation, whose own destination holds none; due there the next day.
        const QString second = folder(u"seconda"_s, true);
        QVERIFY(Backup::MakeAutomatic(second, later).skipped);
        QVERIFY(Generation::List(Backup::FirstDestination(second)).empty());
        const QString note = Backup::LastServerAutomatic(second, later.now);
        QVERIFY2(note.startsWith(options.now.toString(u"dd/MM/yyyy HH:mm"_s)) &&
                     note.contains(QFileInfo(made.paths.front()).fileName()),
                 qPrintable(note));
        later.now = options.now.addDays(1).addSecs(60);
        QVERIFY(Backup::MakeAutomatic(second, later).ok);
        PgConnection after(m_server.ConnectionString());
        QCOMPARE(
            after
                .Exec(u"SELECT pg_try_advisory_lock($1)"_s, {PgParam::Number(ServerBackup::AutomaticLockKey)})
                .Bytes(0, 0),
            QByteArray(1, '\1'));
    }
};

QTEST_GUILESS_MAIN(TestServerData)
#include "tst_serverdata.moc"
