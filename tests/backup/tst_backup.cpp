// SPDX-License-Identifier: GPL-3.0-or-later
// Generations made, verified, listed, rotated and restored on temporary folders, with the faults a user's
// disk meets: a damaged archive, a flipped byte, a locked archive, a missing or unwritable destination.
#include "backup/ArchiveCopy.h"
#include "backup/Backup.h"
#include "backup/BackupCommands.h"
#include "backup/Generation.h"
#include "backup/Restore.h"
#include "backup/Rotation.h"
#include "program/Console.h"
#include "program/Settings.h"
#include "shell/PasswordFile.h"
#include "support/TestArchive.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDateTime Start(QDate(2026, 3, 14), QTime(10, 0, 0));

Backup::Outcome make(const QString& folder, const QDateTime& now,
                     Manifest::Reason reason = Manifest::Reason::OnDemand)
{
    Backup::Options options;
    options.now = now;
    options.reason = reason;
    return Backup::MakeConfigured(folder, options);
}

void flipByte(const QString& path, qint64 at)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek(at);
    char c = 0;
    f.getChar(&c);
    f.seek(at);
    f.putChar(char(c ^ 0x20));
}

QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The identifiers of the horses' archive in a database file, in order.
QList<qint64> ids(const QString& path)
{
    TSQLiteDatabase db(path);
    const auto t = db.OpenQuery(u"SELECT ID FROM amici ORDER BY ID"_s);
    QList<qint64> all;
    for (t->GoFirst(); !t->AtEnd(); t->GoNext())
        all << t->IntegerValue(0);
    return all;
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString folder() const { return m_dir->path(); }
    QString backups() const { return Backup::FirstDestination(folder()); }
    QString passwordPath() const { return m_dir->filePath(QString::fromLatin1(PasswordFile::FileName)); }

    void fill(int cards)
    {
        TestArchive archive(folder());
        for (int i = 1; i <= cards; ++i)
            archive.Add(i, "Cavallo " + QByteArray::number(i), TestFiles::MakeJpeg({64, 48}));
        QVERIFY(TestFiles::WriteFile(passwordPath(), "[Accesso]\r\nValore=abc\r\n"));
        Settings(folder()).SetNumber(Backup::Section, Backup::KeepKey, 10);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        fill(5);
    }

    void manifestReadsBackWhatItWrote()
    {
        Manifest m;
        m.version = u"1.1.0"_s;
        m.date = Start;
        m.reason = Manifest::Reason::BeforeRestore;
        m.entries.push_back({u"Cani.db"_s, 4096, QByteArray(64, 'a'), 12, 4096, 1234567, {}});
        m.entries.push_back({u"Gatti.db"_s, 0, {}, {}, 10, 20, u"file is not a database\nsecond line"_s});
        m.entries.push_back({u"unins000.dll"_s, 30, QByteArray(64, 'b'), {}, -1, -1, {}});
        const auto back = Manifest::Parse(m.ToText());
        QVERIFY(back);
        QCOMPARE(back->ToText(), m.ToText());
        QCOMPARE(back->Files().size(), std::size_t(2));
        QCOMPARE(back->Find(u"Cani.db"_s)->cards, std::optional<qint64>(12));
        // Cut short, or with a malformed hash, it is no manifest.
        const QByteArray text = m.ToText();
        QVERIFY(!Manifest::Parse(text.left(text.size() - 3)));
        QVERIFY(!Manifest::Parse(QByteArray(text).replace("aaaa", "zzzz")));
        QVERIFY(!Manifest::Parse("Codazzurra\n"));
    }

    void generationHoldsTheFilesAndVerifies()
    {
        TestArchive(folder()).Add(6, "Ultimo");
        const auto outcome = make(folder(), Start);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(QFileInfo(outcome.paths.value(0)).fileName(), u"Codazzurra 2026-03-14 10.00.00.zip"_s);
        const auto listed = Generation::List(backups());
        QCOMPARE(listed.size(), std::size_t(1));
        const Manifest& m = listed[0].manifest;
        QCOMPARE(m.reason, Manifest::Reason::OnDemand);
        QCOMPARE(m.Find(u"Cavalli.db"_s)->cards, std::optional<qint64>(6));
        QVERIFY(m.Find(QString::fromLatin1(PasswordFile::FileName)));
        QVERIFY(m.Find(QString::fromLatin1(Settings::FileName)));
        QVERIFY(!m.Find(u"Cani.db"_s)); // an archive that does not exist is not invented
        // Stored without compression: the zip is at least as large as what it holds.
        qint64 held = 0;
        for (const auto* e : m.Files())
            held += e->size;
        QVERIFY(listed[0].size >= held);
        QVERIFY(Generation::Verify(outcome.paths[0]).ok);
        // What it holds is the archive, byte for byte usable: extracted, it has the same cards.
        const QString extracted = m_dir->filePath(u"copy.db"_s);
        QString error;
        QVERIFY2(Generation::Extract(outcome.paths[0], m, u"Cavalli.db"_s, extracted, &error),
                 qPrintable(error));
        QCOMPARE(ids(extracted), ids(TestArchive(folder()).Path()));
        // Two in the same second: the second one takes the next second, and both are kept.
        QVERIFY(make(folder(), Start).ok);
        QCOMPARE(Generation::List(backups()).size(), std::size_t(2));
    }

    void flippedByteIsDamageAnywhere()
    {
        const auto outcome = make(folder(), Start);
        QVERIFY(outcome.ok);
        const QString path = outcome.paths[0];
        const QByteArray original = TestFiles::ReadFile(path);
        // Bytes of the first header, of the manifest, central directory and end record, and bytes spread over
        // the files.
        for (qint64 at = 0; at < original.size(); at += (at < 64 || at > original.size() - 1100) ? 3 : 1009) {
            QVERIFY(TestFiles::WriteFile(path, original));
            flipByte(path, at);
            if (Generation::Verify(path).ok)
                QFAIL(qPrintable(u"a flipped byte at %1 of %2 was not found"_s.arg(at).arg(original.size())));
        }
        // The seal made while reading back, which takes each file's sum from the zip's directory, is the sum
        // of the bytes themselves: sealing again over every byte changes nothing.
        QVERIFY(TestFiles::WriteFile(path, original));
        QString error;
        QVERIFY(Generation::Seal(path, &error));
        QCOMPARE(TestFiles::ReadFile(path), original);
        // A zip whose files no longer match its manifest when read back is not sealed.
        flipByte(path, original.size() / 2);
        QVERIFY(!Generation::SealChecked(path).ok);
        // A damaged generation is never restored.
        QVERIFY(TestFiles::WriteFile(path, original));
        flipByte(path, original.size() / 2);
        Restore::Options options;
        options.now = Start.addSecs(60);
        const auto restored = Restore::Run(folder(), path, options);
        QCOMPARE(restored.status, Restore::Status::Refused);
        QCOMPARE(Generation::List(backups()).size(), std::size_t(1)); // no "before restore" generation either
    }

    void onlyTheProgramsOwnFilesAreTouched()
    {
        QDir().mkpath(backups());
        const QStringList leftovers = {u".codazzurra-backup-AbCdE1"_s, u".codazzurra-backup-AbCdE2.zip"_s,
                                       u".codazzurra-backup-AbCdE3.zip.Xy12Zq"_s,
                                       u".codazzurra-backup-AbCdE4-journal"_s};
        const QStringList foreign = {u"notes.txt"_s, u"Codazzurra 2020-01-01 00.00.00.zip"_s,
                                     u"Codazzurra 2020-01-02 00.00.00.zip.bak"_s, u".codazzurra-backup-x"_s};
        for (const QString& name : leftovers + foreign)
            QVERIFY(TestFiles::WriteFile(QDir(backups()).filePath(name), "not a zip"));
        // A folder a killed backup of the server left, with an archive copy in it; a foreign one beside it.
        for (const QString& sub : {u".codazzurra-backup-Fo1der"_s, u"mine"_s})
            QVERIFY(QDir(backups()).mkpath(sub));
        QVERIFY(TestFiles::WriteFile(QDir(backups()).filePath(u".codazzurra-backup-Fo1der/Cani.db"_s), "x"));
        QVERIFY(TestFiles::WriteFile(QDir(backups()).filePath(u"mine/.codazzurra-backup-Fo1der"_s), "x"));
        QVERIFY(make(folder(), Start).ok);
        const QStringList after = namesIn(backups());
        QVERIFY(!QFileInfo::exists(QDir(backups()).filePath(u".codazzurra-backup-Fo1der"_s)));
        QVERIFY(QFileInfo::exists(QDir(backups()).filePath(u"mine/.codazzurra-backup-Fo1der"_s)));
        for (const QString& name : leftovers)
            QVERIFY2(!after.contains(name), qPrintable(name));
        for (const QString& name : foreign)
            QVERIFY2(after.contains(name), qPrintable(name));
        // A file named as a generation without a manifest is no generation.
        QCOMPARE(Generation::List(backups()).size(), std::size_t(1));
    }

    void damagedArchiveIsNamedAndTheOthersKept()
    {
        const QString dogs = m_dir->filePath(u"Cani.db"_s);
        QVERIFY(TestFiles::WriteFile(dogs, QByteArray(8192, 'x')));
        const auto outcome = make(folder(), Start);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(outcome.damaged.size(), 1);
        QVERIFY(outcome.damaged[0].startsWith(u"Cani.db"_s));
        const auto m = Generation::ReadManifest(outcome.paths[0]);
        QVERIFY(!m->Find(u"Cani.db"_s)->damage.isEmpty());
        QVERIFY(m->Find(u"Cavalli.db"_s)->damage.isEmpty());
        QVERIFY(Generation::Verify(outcome.paths[0]).ok);
        QCOMPARE(TestFiles::ReadFile(dogs), QByteArray(8192, 'x')); // never touched
        // The storage layer tells that damage from other failures, and names the file.
        CategoryStore store(*Categories::ByKey(u"Infanzia"_s), folder());
        try {
            store.OpenArchive(store.QueryFirst());
            QFAIL("a damaged archive opened");
        } catch (const ESQLiteException& e) {
            QVERIFY(e.IsDamage());
            QCOMPARE(QFileInfo(e.DatabaseFile()).fileName(), u"Cani.db"_s);
        }
    }

    void lockedArchiveIsNoDamage()
    {
        TSQLiteDatabase writer(TestArchive(folder()).Path());
        writer.StartTransaction();
        writer.ExecuteStatement(u"DELETE FROM amici WHERE ID = 1"_s);
        TSQLiteDatabase other(TestArchive(folder()).Path(), 50);
        try {
            other.ExecuteStatement(u"BEGIN IMMEDIATE"_s);
            QFAIL("the lock was had twice");
        } catch (const ESQLiteException& e) {
            QVERIFY(!e.IsDamage());
            QCOMPARE(e.SqliteCode() & 0xff, SQLITE_BUSY);
        }
        // A restore cannot have the write lock: refused, and the archive as it was.
        const auto outcome = make(folder(), Start);
        QVERIFY(outcome.ok);
        Restore::Options options;
        options.now = Start.addSecs(60);
        options.busyTimeoutMs = 100;
        options.archive = u"Cavalli.db"_s;
        const auto restored = Restore::Run(folder(), outcome.paths[0], options);
        QCOMPARE(restored.status, Restore::Status::Refused);
        writer.RollbackTransaction();
        QCOMPARE(ids(TestArchive(folder()).Path()).size(), qsizetype(5));
    }

    void rotationKeepsTheNewestTheMonthsAndTheLastBeforeRestore()
    {
        using R = Manifest::Reason;
        std::vector<Rotation::Item> items;
        // One a day for 400 days back from the 14th of March 2026, one made before a restore long ago.
        for (int d = 0; d < 400; ++d)
            items.push_back({Start.addDays(-d), R::Automatic});
        items.push_back({Start.addDays(-500), R::BeforeRestore});
        items.push_back({Start.addDays(-501), R::BeforeRestore});
        const auto removed = Rotation::ToRemove(items, Start, 10);
        std::vector<bool> kept(items.size(), true);
        for (auto i : removed)
            kept[i] = false;
        for (int d = 0; d < 10; ++d)
            QVERIFY(kept[std::size_t(d)]);
        // The newest of each of the last twelve months: the last day of each month before March 2026.
        for (int back = 1; back < 12; ++back) {
            const QDate last = QDate(2026, 3, 1).addMonths(-back + 1).addDays(-1);
            QVERIFY2(kept[std::size_t(last.daysTo(Start.date()))], qPrintable(last.toString()));
        }
        QVERIFY(kept[400]);
        QVERIFY(!kept[401]);
        QCOMPARE(int(items.size() - removed.size()), 10 + 11 + 1);
        // Fewer than kept: nothing goes.
        QVERIFY(Rotation::ToRemove({items.begin(), items.begin() + 5}, Start, 10).empty());
    }

    void rotationRunsAfterANewGenerationVerified()
    {
        Settings(folder()).SetNumber(Backup::Section, Backup::KeepKey, 2);
        for (int i = 0; i < 4; ++i)
            QVERIFY(make(folder(), Start.addSecs(i)).ok);
        // Two newest, and the newest of March (the newest of all) is among them.
        const auto listed = Generation::List(backups());
        QCOMPARE(listed.size(), std::size_t(2));
        QCOMPARE(listed[0].manifest.date, Start.addSecs(3));
    }

    void destinationsMissingUnwritableOrFull()
    {
        QVERIFY(make(folder(), Start).ok);
        // A second destination that is not there: the first one gets the generation, and since when is noted.
        const QString stick = m_dir->filePath(u"chiavetta"_s);
        Settings(folder()).SetText(Backup::Section, Backup::SecondKey, stick);
        auto outcome = make(folder(), Start.addDays(1));
        QVERIFY(outcome.ok);
        QVERIFY(outcome.secondSkipped);
        QCOMPARE(Backup::SecondSkippedSince(folder()), std::optional<QDateTime>(Start.addDays(1)));
        QVERIFY(make(folder(), Start.addDays(2)).ok);
        QCOMPARE(Backup::SecondSkippedSince(folder()), std::optional<QDateTime>(Start.addDays(1)));
        QVERIFY(QDir().mkpath(stick));
        outcome = make(folder(), Start.addDays(3));
        QCOMPARE(outcome.paths.size(), 2);
        QVERIFY(!Backup::SecondSkippedSince(folder()));
        QVERIFY(Generation::Verify(outcome.paths[1]).ok);

        // A first destination that cannot be written (a file stands where the folder should be).
        const QString blocked = m_dir->filePath(u"bloccata"_s);
        QVERIFY(TestFiles::WriteFile(blocked, "x"));
        Backup::Options options;
        options.now = Start.addDays(4);
        outcome = Backup::Make(folder(), {blocked}, options);
        QVERIFY(!outcome.ok);
        QVERIFY(!outcome.error.isEmpty());

        // A full disk, as a file size limit: a clear failure, the older generations kept, nothing half made.
        TestArchive(folder()).Add(99, "Grande", QByteArray(60000, 'p'));
        const auto before = namesIn(backups());
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 20000;
        setrlimit(RLIMIT_FSIZE, &small);
        outcome = make(folder(), Start.addDays(5));
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!outcome.ok);
        QVERIFY(!outcome.error.isEmpty());
        QCOMPARE(namesIn(backups()), before);
    }

    void automaticBackupIsDueAfterADayAndAChange()
    {
        QVERIFY(Backup::AutomaticDue(folder(), Start)); // no generation yet
        QVERIFY(make(folder(), Start, Manifest::Reason::Automatic).ok);
        QVERIFY(!Backup::AutomaticDue(folder(), Start.addSecs(3600)));
        QVERIFY(!Backup::AutomaticDue(folder(), Start.addDays(2))); // nothing changed
        TestArchive(folder()).Add(7, "Nuovo");
        QVERIFY(!Backup::AutomaticDue(folder(), Start.addSecs(3600))); // changed, but not a day yet
        QVERIFY(Backup::AutomaticDue(folder(), Start.addDays(2)));
    }

    void restoreOneArchiveOrEverything()
    {
        const auto first = make(folder(), Start);
        QVERIFY(first.ok);
        const QByteArray password = TestFiles::ReadFile(passwordPath());
        TestArchive(folder()).Add(6, "Dopo la copia");
        QVERIFY(TestFiles::WriteFile(passwordPath(), "[Accesso]\r\nValore=changed\r\n"));
        // Another connection stays open on the archive, as another copy of the program would.
        TSQLiteDatabase other(TestArchive(folder()).Path());
        QCOMPARE(other.OpenQuery(u"SELECT count(*) FROM amici"_s)->IntegerValue(0), 6);

        Restore::Options options;
        options.now = Start.addSecs(60);
        options.archive = u"Cavalli.db"_s;
        auto outcome = Restore::Run(folder(), first.paths[0], options);
        QVERIFY2(outcome.status == Restore::Status::Restored, qPrintable(outcome.message));
        QCOMPARE(other.OpenQuery(u"SELECT count(*) FROM amici"_s)->IntegerValue(0), 5);
        QCOMPARE(TestFiles::ReadFile(passwordPath()), QByteArray("[Accesso]\r\nValore=changed\r\n"));
        // The files as they were are a generation of their own, with the card made after the backup.
        const auto saved = Generation::ReadManifest(outcome.beforeRestorePath);
        QCOMPARE(saved->reason, Manifest::Reason::BeforeRestore);
        QCOMPARE(saved->Find(u"Cavalli.db"_s)->cards, std::optional<qint64>(6));

        options.archive.clear();
        options.now = Start.addSecs(120);
        outcome = Restore::Run(folder(), first.paths[0], options);
        QCOMPARE(outcome.status, Restore::Status::Restored);
        QCOMPARE(TestFiles::ReadFile(passwordPath()), password);
        QVERIFY(outcome.restored.contains(QString::fromLatin1(Settings::FileName)));
    }

    void damagedArchiveIsMovedAsideAndWrittenFresh()
    {
        const auto first = make(folder(), Start);
        QVERIFY(first.ok);
        const QString path = TestArchive(folder()).Path();
        QByteArray bytes = TestFiles::ReadFile(path);
        bytes.replace(0, 100, QByteArray(100, '\x5a'));
        QVERIFY(TestFiles::WriteFile(path, bytes));
        QVERIFY(TestFiles::WriteFile(path + u"-journal"_s, "stale journal of the damaged file"));
        const auto offer = Restore::NewestVerifying(folder(), u"Cavalli.db"_s);
        QVERIFY(offer);
        QCOMPARE(offer->path, first.paths[0]);
        const QDateTime now = Start.addSecs(60);
        const auto outcome = Restore::ReplaceDamaged(folder(), offer->path, u"Cavalli.db"_s, now);
        QVERIFY2(outcome.status == Restore::Status::Restored, qPrintable(outcome.message));
        QCOMPARE(ids(path).size(), qsizetype(5));
        QVERIFY(!QFileInfo::exists(path + u"-journal"_s));
        const QString aside = m_dir->filePath(Restore::DamagedName(u"Cavalli.db"_s, now));
        QCOMPARE(TestFiles::ReadFile(aside), bytes);
        QVERIFY(QFileInfo::exists(aside + u"-journal"_s));
        // A generation whose copy of the archive is damaged is never offered.
        flipByte(first.paths[0], QFileInfo(first.paths[0]).size() / 2);
        QVERIFY(!Restore::NewestVerifying(folder(), u"Cavalli.db"_s));
    }

    void copyRestartedByWritesEndsInOneStep()
    {
        // An archive of several steps, saved by another connection between every two of them, and then by
        // another thread, every millisecond, while it is copied again.
        const QString archive = m_dir->filePath(u"Cavalli.db"_s);
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(archive.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_busy_timeout(db, 10000);
        const auto save = [&] {
            return sqlite3_exec(db, "UPDATE amici SET varNome = hex(randomblob(4)) WHERE ID = 2", nullptr,
                                nullptr, nullptr) == SQLITE_OK;
        };
        QCOMPARE(sqlite3_exec(db, "UPDATE amici SET Picture = randomblob(4000000) WHERE ID = 1", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        for (const bool threaded : {false, true}) {
            std::atomic<bool> copying = true;
            std::thread writer([&] {
                while (threaded && copying) {
                    save();
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            });
            const QString target = m_dir->filePath(u"copy%1.db"_s.arg(threaded));
            const auto copy = ArchiveCopy::Backup(archive, target, 10000,
                                                  [&](qint64, qint64) { return threaded || save(); });
            copying = false;
            writer.join();
            QVERIFY2(copy.ok && !copy.damaged, qPrintable(copy.error));
            if (!threaded)
                QCOMPARE(copy.restarts, ArchiveCopy::SteppedAttempts);
            qint64 cards = 0;
            QString problem;
            QVERIFY2(ArchiveCopy::Check(target, u"amici"_s, &cards, &problem), qPrintable(problem));
            QCOMPARE(cards, qint64(5));
        }
        sqlite3_close(db);
    }

    void backupWhileAnotherCopySaves()
    {
        // Another connection saves a card every few milliseconds; each save is acknowledged by its id.
        std::atomic<bool> stop = false;
        std::atomic<qint64> acknowledged = 5;
        std::thread writer([&] {
            CategoryStore store(TestArchive::Category(), folder());
            CardValues values;
            for (qint64 id = 6; !stop; ++id) {
                values[CardFields::Nome] = u"Salvata %1"_s.arg(id);
                try {
                    store.OpenArchive(store.QueryFirst());
                    store.SaveCard(std::nullopt, values, {});
                    acknowledged = id;
                } catch (const ESQLiteException&) {
                    --id; // the busy timeout ran out: the same card again, as a user would
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
            }
        });
        const qint64 before = acknowledged;
        const auto outcome = make(folder(), Start);
        const qint64 after = acknowledged;
        stop = true;
        writer.join();
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QVERIFY(Generation::Verify(outcome.paths[0]).ok);
        const auto m = Generation::ReadManifest(outcome.paths[0]);
        const QString extracted = m_dir->filePath(u"copy.db"_s);
        QString error;
        QVERIFY(Generation::Extract(outcome.paths[0], *m, u"Cavalli.db"_s, extracted, &error));
        // Every save acknowledged before some moment, and none after it: the cards 1..n without a gap.
        const auto held = ids(extracted);
        QVERIFY(held.size() >= before);
        QVERIFY(held.size() <= after + 1);
        for (qsizetype i = 0; i < held.size(); ++i)
            QCOMPARE(held[i], qint64(i + 1));
    }

    void commandLine()
    {
        QString out, err;
        QTextStream o(&out), e(&err);
        auto run = [&](int (*mode)(Console&), const QStringList& arguments) {
            out.clear();
            err.clear();
            Console console{folder(), arguments, o, e};
            const int code = mode(console);
            o.flush();
            e.flush();
            return code;
        };
        const QString elsewhere = m_dir->filePath(u"altrove"_s);
        QCOMPARE(run(BackupCommands::MakeBackup, {elsewhere}), 0);
        const QString path = out.trimmed();
        QVERIFY(path.startsWith(elsewhere + u"/Codazzurra "_s));
        QCOMPARE(run(BackupCommands::List, {elsewhere}), 0);
        QVERIFY(out.startsWith(path + u'\t'));
        QVERIFY(out.contains(u"5 schede\tsu richiesta"_s));
        QCOMPARE(run(BackupCommands::Verify, {elsewhere}), 0);
        QCOMPARE(out, path + u"\tOK\n"_s);
        QCOMPARE(run(BackupCommands::RestoreGeneration, {path, u"Cavalli.db"_s}), 0);
        flipByte(path, 40);
        QCOMPARE(run(BackupCommands::Verify, {path}), 1);
        QVERIFY(out.contains(u"\tDANNEGGIATA\t"_s));
        QCOMPARE(run(BackupCommands::RestoreGeneration, {path}), 1);
        QCOMPARE(run(BackupCommands::RestoreGeneration, {m_dir->filePath(u"missing.zip"_s)}), 2);
        QCOMPARE(run(BackupCommands::MakeBackup, {passwordPath()}), 1); // a file, not a folder
        QVERIFY(!err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
