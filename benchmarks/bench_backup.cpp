// SPDX-License-Identifier: GPL-3.0-or-later
// Times a backup of archives totalling about 1 GB (cards with 12-megapixel photos) against its floor, the
// bare SQLite backup API copying the same archives plus one SHA-256 pass over the copies, with cp of the
// same files beside it; the verification of that generation against reading the files and hashing them;
// the time one step of the backup API holds an archive's read lock; and, under a display (or offscreen),
// how long a click on the start menu waits while an automatic backup runs. Program and floor hash with the
// same SHA-256 (libcrypto's).
//
//   bench_backup [MEGABYTES] [RUNS]        (defaults: 1024 and 11)
//   bench_backup hold [MEGABYTES] [RUNS]   one archive of MEGABYTES, copied while another connection saves
//                                          every few milliseconds: how long the copy's last attempt, made in
//                                          one step, keeps a save waiting
#include "BenchSupport.h"

#include "app/Screens.h"
#include "backup/ArchiveCopy.h"
#include "backup/Backup.h"
#include "backup/BackupWorker.h"
#include "backup/Generation.h"
#include "backup/Sha256.h"
#include "kit/CodazzurraApplication.h"
#include "shell/ui/TfrmAvvio.h"
#include "storage/CategoryStore.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <sqlite3.h>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList Keys = {u"Infanzia"_s, u"Famiglia"_s, u"Amici"_s, u"Ricorrenze"_s};

// The archives: cards whose photos are one 12-megapixel JPEG, made different per card.
qint64 fill(const QString& folder, qint64 megabytes, const QStringList& keys = Keys)
{
    const QByteArray photo = Bench::photoJpeg(4000, 3000, 92);
    const qint64 perArchive = megabytes * 1024 * 1024 / keys.size();
    const int cards = int(std::max<qint64>(1, perArchive / photo.size()));
    for (const QString& key : keys) {
        CategoryStore store(*Categories::ByKey(key), folder);
        store.OpenArchive(store.QueryFirst());
        TSQLiteDatabase& db = *store.Database();
        const QString table(store.category().tableName);
        db.StartTransaction();
        for (int i = 1; i <= cards; ++i) {
            QByteArray bytes = photo;
            bytes.append(QByteArray::number(i).rightJustified(8, '0'));
            db.ExecuteStatement(u"INSERT INTO %1(ID,varNome,Ext) VALUES (%2,?,'JPG')"_s.arg(table).arg(i),
                                {"Animale " + QByteArray::number(i)});
            db.StoreBlob(u"UPDATE %1 SET Picture = ? WHERE ID = %2"_s.arg(table).arg(i), bytes);
        }
        db.CommitTransaction();
    }
    qint64 total = 0;
    for (const QString& key : keys)
        total += QFileInfo(QDir(folder).filePath(QString(Categories::ByKey(key)->databaseFileName))).size();
    std::printf("Archives: %d x %d cards with a %lld KB photo, %lld MB in all\n", int(keys.size()), cards,
                qlonglong(photo.size() / 1024), qlonglong(total >> 20));
    return total;
}

QStringList archivePaths(const QString& folder)
{
    QStringList paths;
    for (const QString& key : Keys)
        paths << QDir(folder).filePath(QString(Categories::ByKey(key)->databaseFileName));
    return paths;
}

// The bare backup API: one step of every page, source to a new file.
void bareCopy(const QString& source, const QString& target)
{
    sqlite3 *src = nullptr, *dst = nullptr;
    sqlite3_open_v2(source.toUtf8().constData(), &src, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_open(target.toUtf8().constData(), &dst);
    sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
    sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    sqlite3_close(dst);
    sqlite3_close(src);
}

QByteArray sha256(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    Sha256 h;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (qint64 n; (n = f.read(buffer.data(), buffer.size())) > 0;)
        h.AddData(QByteArrayView(buffer.constData(), n));
    return h.HexResult();
}

void backupFigures(const QString& folder, int runs)
{
    const QString dest = QDir(folder).filePath(u"dest"_s);
    const QString bare = QDir(folder).filePath(u"bare"_s);
    QDir().mkpath(bare);
    Bench::Figures ours, floor, cp, verify, verifyFloor, oneStep, oursCpu, floorCpu;
    QString generation;
    for (int run = 0; run < runs; ++run) {
        QDir(dest).removeRecursively();
        Backup::Options options;
        options.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0, run));
        options.keep = 0;
        Backup::Outcome outcome;
        oursCpu.ms.push_back(Bench::processorMs([&] {
            ours.ms.push_back(Bench::timeMs([&] { outcome = Backup::Make(folder, {dest}, options); }));
        }));
        if (!outcome.ok) {
            std::printf("backup failed: %s\n", qPrintable(outcome.error));
            return;
        }
        generation = outcome.paths[0];
        verify.ms.push_back(Bench::timeMs([&] {
            if (!Generation::Verify(generation).ok)
                std::printf("verification failed\n");
        }));
        verifyFloor.ms.push_back(Bench::timeMs([&] {
            for (const QString& p : archivePaths(folder))
                sha256(p);
        }));
        floorCpu.ms.push_back(Bench::processorMs([&] {
            floor.ms.push_back(Bench::timeMs([&] {
                for (const QString& p : archivePaths(folder)) {
                    const QString target = QDir(bare).filePath(QFileInfo(p).fileName());
                    QFile::remove(target);
                    bareCopy(p, target);
                    sha256(target);
                }
            }));
        }));
        double steps = 0;
        for (const QString& p : archivePaths(folder)) {
            const QString target = QDir(bare).filePath(QFileInfo(p).fileName());
            QFile::remove(target);
            steps += Bench::timeMs([&] { bareCopy(p, target); });
        }
        oneStep.ms.push_back(steps);
        cp.ms.push_back(Bench::timeMs([&] { QProcess::execute(u"cp"_s, archivePaths(folder) << bare); }));
    }
    std::printf("Backup (%d runs):\n", runs);
    ours.print("backup: a generation made and verified");
    floor.print("floor: bare backup API + one SHA-256 pass");
    cp.print("cp of the same files");
    std::printf("  ratio to the floor (medians): %.2f\n", ours.median() / floor.median());
    oursCpu.print("backup, processor time (both threads)");
    floorCpu.print("floor, processor time");
    std::printf("  ratio of processor times (medians): %.2f\n", oursCpu.median() / floorCpu.median());
    verify.print("--verify of that generation");
    verifyFloor.print("floor: the files read and hashed with SHA-256");
    std::printf("  ratio to the floor (medians): %.2f\n", verify.median() / verifyFloor.median());
    oneStep.print("one-step copies of all the archives (read lock held)");
}

// While an automatic backup runs on the worker, clicks posted to the start menu: the time until each one
// has been handled, against the same clicks with no backup running.
void clickFigures(const QString& folder, int runs)
{
    Screens screens(folder);
    TfrmAvvio* menu = screens.StartMenu();
    menu->show();
    QWidget* target = menu->findChild<QWidget*>(u"lblSlogan"_s);
    auto click = [&] {
        QElapsedTimer t;
        t.start();
        double ms = -1;
        const QPoint at = target->rect().center();
        QCoreApplication::postEvent(target,
                                    new QMouseEvent(QEvent::MouseButtonPress, at, target->mapToGlobal(at),
                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(target,
                                    new QMouseEvent(QEvent::MouseButtonRelease, at, target->mapToGlobal(at),
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        QTimer::singleShot(0, [&] { ms = double(t.nsecsElapsed()) / 1e6; });
        while (ms < 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return ms;
    };
    Bench::Figures idle, busy;
    for (int i = 0; i < runs * 3; ++i)
        idle.ms.push_back(click());
    BackupWorker& worker = screens.BackupJobs();
    const QString dest = QDir(folder).filePath(u"dest"_s);
    worker.Start([&](const Generation::Progress& progress) {
        Backup::Options options;
        options.reason = Manifest::Reason::Automatic;
        options.now = QDateTime(QDate(2026, 2, 1), QTime(0, 0, 0));
        options.progress = progress;
        options.keep = 0;
        Backup::Make(folder, {dest}, options);
    });
    while (worker.IsRunning()) {
        busy.ms.push_back(click());
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 50)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    std::printf("A click on the start menu (%zu during the backup):\n", busy.ms.size());
    idle.print("floor: no backup running");
    if (!busy.ms.empty())
        busy.print("while an automatic backup runs");
}

// One archive copied while another connection saves a card every 2 ms: the saves restart the stepped copy
// until its last attempt copies in one step, holding the archive's read lock; a save meanwhile waits for it.
void holdFigures(const QString& folder, int runs)
{
    const QString archive = archivePaths(folder).value(0);
    Bench::Figures hold, copy;
    for (int run = 0; run < runs; ++run) {
        std::atomic<bool> copying{true};
        double longest = 0;
        int saves = 0;
        std::thread writer([&] {
            sqlite3* db = nullptr;
            sqlite3_open(archive.toUtf8().constData(), &db);
            sqlite3_busy_timeout(db, 600000);
            while (copying) {
                QElapsedTimer t;
                t.start();
                sqlite3_exec(
                    db,
                    "BEGIN IMMEDIATE; UPDATE infanzia SET varNome = hex(randomblob(4)) WHERE ID = 1; COMMIT",
                    nullptr, nullptr, nullptr);
                longest = std::max(longest, double(t.nsecsElapsed()) / 1e6);
                ++saves;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            sqlite3_close(db);
        });
        const QString target = QDir(folder).filePath(u"hold.db"_s);
        QFile::remove(target);
        ArchiveCopy::Result result;
        copy.ms.push_back(Bench::timeMs([&] { result = ArchiveCopy::Backup(archive, target, 600000); }));
        copying = false;
        writer.join();
        hold.ms.push_back(longest);
        std::printf("  run %d: %s after %d restarts, %d saves, the longest waited %.0f ms\n", run + 1,
                    result.ok ? "copied" : qPrintable(u"failed ("_s + result.error + u")"_s), result.restarts,
                    saves, longest);
    }
    std::printf("One archive copied while it is saved every 2 ms (%d runs):\n", runs);
    copy.print("the whole copy, restarts included");
    hold.print("the longest a save waited (the one-step copy)");
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CodazzurraApplication app(argc, argv);
    const bool holdOnly = argc > 1 && QByteArray(argv[1]) == "hold";
    const int first = holdOnly ? 2 : 1;
    const qint64 megabytes = argc > first ? QByteArray(argv[first]).toLongLong() : 1024;
    const int runs = argc > first + 1 ? QByteArray(argv[first + 1]).toInt() : 11;
    // Beside the build, not in /tmp (a tmpfs on some systems would measure memory, not the disk).
    QTemporaryDir dir(QDir::current().filePath(u"bench_backup-XXXXXX"_s));
    if (holdOnly) {
        fill(dir.path(), megabytes, {Keys.first()});
        holdFigures(dir.path(), runs);
        return 0;
    }
    fill(dir.path(), megabytes);
    backupFigures(dir.path(), runs);
    clickFigures(dir.path(), runs);
    return 0;
}
