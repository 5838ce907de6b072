// SPDX-License-Identifier: GPL-3.0-or-later
// Archives to back up, and another copy of the program saving into them, for the runs made by hand
// (tests/backup/kill_runs.sh): backups and restores killed at random points, a backup while cards are saved.
//
//   backup_stress fill FOLDER CARDS KB
//       Fills the dogs', cats' and horses' archives with CARDS cards each, with photos of about KB kilobytes.
//   backup_stress digest FOLDER
//       One line per archive: its name, "ok" or what PRAGMA integrity_check says, and a SHA-256 of its cards.
//   backup_stress writer FOLDER MS
//       Saves a new horse every MS milliseconds, printing "saved ID" once each save is acknowledged.
//   backup_stress gapless DATABASE
//       Prints the horses' count; exits 1 unless their identifiers are 1..count without a gap.
#include "storage/CategoryStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList Kinds = {u"Infanzia"_s, u"Famiglia"_s, u"Amici"_s};

int fill(const QString& folder, int cards, int kb)
{
    for (const QString& key : Kinds) {
        CategoryStore store(*Categories::ByKey(key), folder);
        store.OpenArchive(store.QueryFirst());
        TSQLiteDatabase& db = *store.Database();
        db.StartTransaction();
        for (int i = 1; i <= cards; ++i) {
            QByteArray photo(kb * 1024, Qt::Uninitialized);
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(photo.data()), photo.size() / 4);
            db.ExecuteStatement(u"INSERT INTO %1(ID,varNome,Ext) VALUES (%2,?,'JPG')"_s
                                    .arg(QString(store.category().tableName))
                                    .arg(i),
                                {"Animale " + QByteArray::number(i)});
            db.StoreBlob(
                u"UPDATE %1 SET Picture = ? WHERE ID = %2"_s.arg(QString(store.category().tableName)).arg(i),
                photo);
        }
        db.CommitTransaction();
    }
    return 0;
}

int digest(const QString& folder)
{
    for (const QString& key : Kinds) {
        const CategoryDescriptor& c = *Categories::ByKey(key);
        const QString path = QDir(folder).filePath(QString(c.databaseFileName));
        TSQLiteDatabase db(path);
        const auto check =
            db.OpenQuery(u"SELECT CAST(integrity_check AS BLOB) FROM pragma_integrity_check"_s);
        const QByteArray verdict = check->BlobText(0);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const auto rows =
            db.OpenQuery(u"SELECT ID, varNome, Picture FROM %1 ORDER BY ID"_s.arg(QString(c.tableName)));
        for (rows->GoFirst(); !rows->AtEnd(); rows->GoNext()) {
            hash.addData(QByteArray::number(rows->IntegerValue(0)));
            hash.addData(rows->BlobText(1));
            if (const QByteArray* p = rows->BlobStream(2))
                hash.addData(*p);
        }
        std::printf("%s %s %u %s\n", c.databaseFileName.data(), verdict.constData(), rows->RowCount(),
                    hash.result().toHex().constData());
    }
    return 0;
}

int writer(const QString& folder, int ms)
{
    CategoryStore store(*Categories::ByKey(u"Amici"_s), folder);
    store.OpenArchive(store.QueryFirst());
    qint64 next = store.Database()->OpenQuery(u"SELECT coalesce(max(ID),0)+1 FROM amici"_s)->IntegerValue(0);
    CardValues values;
    while (true) {
        values[CardFields::Nome] = u"Salvata %1"_s.arg(next);
        try {
            store.OpenArchive(store.QueryFirst());
            store.Database()->ExecuteStatement(
                u"INSERT INTO amici(ID,varNome,Ext) VALUES (%1,?,'JPG')"_s.arg(next),
                {values[CardFields::Nome].toLatin1()});
            std::printf("saved %lld\n", next++);
            std::fflush(stdout);
        } catch (const ESQLiteException& e) {
            std::printf("failed %s\n", e.what());
            std::fflush(stdout);
        }
        QThread::msleep(ms);
    }
}

int gapless(const QString& path)
{
    TSQLiteDatabase db(path);
    const auto rows = db.OpenQuery(u"SELECT ID FROM amici ORDER BY ID"_s);
    qint64 expected = 1;
    for (rows->GoFirst(); !rows->AtEnd(); rows->GoNext(), ++expected) {
        if (rows->IntegerValue(0) != expected) {
            std::printf("gap before %lld\n", rows->IntegerValue(0));
            return 1;
        }
    }
    std::printf("%u\n", rows->RowCount());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    try {
        if (a.size() == 5 && a[1] == u"fill"_s)
            return fill(a[2], a[3].toInt(), a[4].toInt());
        if (a.size() == 3 && a[1] == u"digest"_s)
            return digest(a[2]);
        if (a.size() == 4 && a[1] == u"writer"_s)
            return writer(a[2], a[3].toInt());
        if (a.size() == 3 && a[1] == u"gapless"_s)
            return gapless(a[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    std::fprintf(stderr, "usage: backup_stress fill|digest|writer|gapless ...\n");
    return 2;
}
