// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryStore.h"
#include "storage/FileArchiveStore.h"
#include "storage/Win1252.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <memory>

// The horses' archive (category Amici) in a test's folder, changed through connections of the test's own,
// as another copy of the program would change it.
class TestArchive
{
public:
    explicit TestArchive(const QString& folder)
        : m_folder(folder)
    {}

    static const CategoryDescriptor& Category() { return *Categories::ByKey(QStringLiteral("Amici")); }
    QString Path() const { return QDir(m_folder).filePath(QString(Category().databaseFileName)); }

    // The archive's store as a screen gets it from its host (the file engine), and the look-ahead's.
    std::unique_ptr<ArchiveStore> Store(int busyTimeoutMs = TSQLiteDatabase::DefaultBusyTimeoutMs) const
    {
        return std::make_unique<FileArchiveStore>(Category(), m_folder, busyTimeoutMs);
    }
    std::unique_ptr<ArchiveStore> LookAheadStore() const
    {
        return std::make_unique<FileArchiveStore>(Category(), m_folder,
                                                  FileArchiveStore::LookAheadBusyTimeoutMs,
                                                  FileArchiveStore::Access::LookOnly);
    }
    // The connection and result set behind a screen's store of the file archives.
    static CategoryStore& FileStore(ArchiveStore& store)
    {
        return dynamic_cast<FileArchiveStore&>(store).Store();
    }

    // Creates the table when it is missing.
    void Create() const
    {
        CategoryStore store(Category(), m_folder);
        store.OpenArchive(store.QueryFirst());
    }
    // Stores the cards as the program stores new ones, under the next identifiers.
    void Insert(const QList<CardValues>& cards) const
    {
        CategoryStore store(Category(), m_folder);
        store.OpenArchive(store.QueryFirst());
        for (const CardValues& card : cards)
            store.InsertCard(card);
    }
    // The card as the program reads it.
    CardValues Read(qint64 id) const
    {
        CategoryStore store(Category(), m_folder);
        store.OpenArchive(store.QueryById(id));
        return CategoryStore::ReadCard(*store.Cursor());
    }
    void Add(qint64 id, const QByteArray& name, const QByteArray& picture = {},
             const QByteArray& caption = {})
    {
        Create();
        TSQLiteDatabase db(Path());
        db.ExecuteStatement(
            QStringLiteral("INSERT INTO amici(ID,varNome,varDidascalia,Ext) VALUES (%1,?,?,'JPG')").arg(id),
            {name, caption});
        if (!picture.isNull())
            SetPicture(id, picture);
    }
    // A card with the given texts (column name → text, stored as Windows-1252), under its own identifier.
    void AddTexts(qint64 id, const QMap<QString, QString>& texts, const QByteArray& picture = {})
    {
        Create();
        QString columns = QStringLiteral("ID,Ext");
        QString values = QString::number(id) + QStringLiteral(",'JPG'");
        QList<QByteArray> bound;
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            columns += u',' + it.key();
            values += QStringLiteral(",?");
            bound.append(*Win1252::Encode(it.value()));
        }
        TSQLiteDatabase db(Path());
        db.ExecuteStatement(QStringLiteral("INSERT INTO amici(%1) VALUES (%2)").arg(columns, values), bound);
        if (!picture.isEmpty())
            SetPicture(id, picture);
    }
    void AddNamed(qint64 id, const QString& name) { AddTexts(id, {{QStringLiteral("varNome"), name}}); }
    void SetPicture(qint64 id, const QByteArray& picture)
    {
        TSQLiteDatabase db(Path());
        db.StoreBlob(QStringLiteral("UPDATE amici SET picture = ? WHERE ID = %1").arg(id), picture);
    }
    void Rename(qint64 id, const QByteArray& name)
    {
        TSQLiteDatabase db(Path());
        db.ExecuteStatement(QStringLiteral("UPDATE amici SET varNome = ? WHERE ID = %1").arg(id), {name});
    }
    void Remove(qint64 id)
    {
        TSQLiteDatabase db(Path());
        db.ExecuteStatement(QStringLiteral("DELETE FROM amici WHERE ID = %1").arg(id));
    }
    void DropTable()
    {
        TSQLiteDatabase db(Path());
        db.ExecuteStatement(QStringLiteral("DROP TABLE amici"));
    }
    bool HasTable() const
    {
        TSQLiteDatabase db(Path());
        return db.HasTable(QStringLiteral("amici"));
    }
    // Replaces the file by bytes that are no database, as a damaged copy or a lost share would read.
    void Spoil()
    {
        m_saved = TestFiles::ReadFile(Path());
        TestFiles::WriteFile(Path(), QByteArray(8192, 'x'));
    }
    void Restore() { TestFiles::WriteFile(Path(), m_saved); }
    // Puts a folder where the archive file should be: no connection can open it, whoever runs the tests.
    void Block()
    {
        QFile::remove(Path());
        QDir().mkpath(Path());
    }
    void Unblock() { QDir(Path()).removeRecursively(); }

private:
    QString m_folder;
    QByteArray m_saved;
};
