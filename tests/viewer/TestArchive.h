// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>

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

    // Creates the table when it is missing.
    void Create() const
    {
        CategoryStore store(Category(), m_folder);
        store.OpenArchive(store.QueryFirst());
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

private:
    QString m_folder;
    QByteArray m_saved;
};
