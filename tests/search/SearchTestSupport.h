// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryStore.h"
#include "storage/Win1252.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QListView>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

// The horses' archive (category Amici) in a test's folder, filled and changed through connections of the
// test's own, as another copy of the program would.
class SearchArchive
{
public:
    explicit SearchArchive(const QString& folder)
        : m_folder(folder)
    {}

    static const CategoryDescriptor& Category() { return *Categories::ByKey(QStringLiteral("Amici")); }
    QString Path() const { return QDir(m_folder).filePath(QString(Category().databaseFileName)); }

    void Create() const
    {
        CategoryStore store(Category(), m_folder);
        store.OpenArchive(store.QueryFirst());
    }
    // A card with the given texts (column name → text, stored as Windows-1252), under its own identifier.
    void Add(qint64 id, const QMap<QString, QString>& texts, const QByteArray& picture = {})
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
            db.StoreBlob(QStringLiteral("UPDATE amici SET picture = ? WHERE ID = %1").arg(id), picture);
    }
    void AddNamed(qint64 id, const QString& name) { Add(id, {{QStringLiteral("varNome"), name}}); }
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
    // Puts a folder where the archive file should be: no connection can open it, whoever runs the tests.
    void Block()
    {
        QFile::remove(Path());
        QDir().mkpath(Path());
    }
    void Unblock() { QDir(Path()).removeRecursively(); }

private:
    QString m_folder;
};

// The lines a list view shows, in order.
inline QStringList ListLines(const QListView* list)
{
    QStringList lines;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; i < model->rowCount(); ++i)
        lines << model->index(i, 0).data().toString();
    return lines;
}

// Double-clicks row of a list view as the user would (the first click selects it).
inline void DoubleClickRow(QListView* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// One word of a PDF page as pdftotext -bbox reports it, in points from the page's top left corner.
struct PdfWord
{
    int page = 0;
    double x = 0;
    double y = 0;
    QString text;
};

inline std::vector<PdfWord> PdfWords(const QString& pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    static const QRegularExpression element(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re"));
    std::vector<PdfWord> words;
    int page = -1;
    for (const auto& m : element.globalMatch(html)) {
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        QString text = m.captured(3);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"));
        words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), text});
    }
    return words;
}

// The words of a PDF joined by single blanks, page after page.
inline QString PdfText(const std::vector<PdfWord>& words)
{
    QStringList texts;
    for (const PdfWord& w : words)
        texts << w.text;
    return texts.join(u' ');
}
