// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/ESQLiteException.h"
#include "storage/TSQLiteDatabase.h"
#include "storage/TSQLiteTable.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// Runs body and returns the message of the ESQLiteException it raises ("" when it raises none).
template <typename F> QString raisedMessage(F&& body)
{
    try {
        body();
    } catch (const ESQLiteException& e) {
        return e.message();
    }
    return {};
}

class TestSQLiteLayer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void emptyResult_hasNoColumnsAndCannotBeRead()
    {
        TSQLiteDatabase db(path(u"empty.db"_s));
        db.ExecuteStatement(u"CREATE TABLE t (ID INTEGER PRIMARY KEY, v BLOB)"_s);
        auto table = db.OpenQuery(u"SELECT * FROM t"_s);
        QCOMPARE(table->RowCount(), 0u);
        QCOMPARE(table->ColumnCount(), 0);
        QVERIFY(table->AtEnd());
        QVERIFY(!table->GoFirst());
        QVERIFY(!table->GoLast());
        QVERIFY(!table->GoNext());
        QCOMPARE(raisedMessage([&] { table->ColumnIndexOf(u"id"_s); }),
                 u"Field id Not found. Empty dataset"_s);
        QCOMPARE(raisedMessage([&] { table->IsNull(0); }), u"Table is at End of File"_s);
        QCOMPARE(raisedMessage([&] { table->IntegerValue(0); }), u"Table is at End of File"_s);
        QCOMPARE(raisedMessage([&] { table->BlobText(0); }), u"Table is at End of File"_s);
    }

    void navigation_followsRowBounds()
    {
        TSQLiteDatabase db(path(u"nav.db"_s));
        db.ExecuteStatement(u"CREATE TABLE t (ID INTEGER PRIMARY KEY)"_s);
        for (int i = 1; i <= 3; ++i)
            db.ExecuteStatement(u"INSERT INTO t VALUES (%1)"_s.arg(i * 10));
        auto t = db.OpenQuery(u"SELECT * FROM t ORDER BY ID"_s);
        const int id = t->ColumnIndexOf(u"ID"_s);
        QCOMPARE(t->RowCount(), 3u);
        QCOMPARE(t->IntegerValue(id), 10);
        QVERIFY(t->GoLast());
        QCOMPARE(t->IntegerValue(id), 30);
        // Past the last row once, then no further.
        QVERIFY(t->GoNext());
        QVERIFY(t->AtEnd());
        QVERIFY(!t->GoNext());
        QVERIFY(t->GoToRow(1));
        QCOMPARE(t->IntegerValue(id), 20);
        QVERIFY(!t->GoToRow(3));
        QVERIFY(!t->GoToRow(-1));
        QCOMPARE(t->CurrentRow(), 1u);
        QVERIFY(t->GoFirst());
        QCOMPARE(t->IntegerValue(id), 10);
    }

    void cells_followDeclaredKinds()
    {
        TSQLiteDatabase db(path(u"kinds.db"_s));
        db.ExecuteStatement(u"CREATE TABLE k (ID INTEGER PRIMARY KEY, b BLOB, t TEXT, r REAL, n NUMERIC)"_s);
        db.ExecuteStatement(u"INSERT INTO k VALUES (1, x'', 'abc', 2.9, -2.9)"_s);
        db.ExecuteStatement(u"INSERT INTO k VALUES (2, 'as text', NULL, NULL, 7)"_s);
        auto k = db.OpenQuery(u"SELECT * FROM k ORDER BY ID"_s);
        const int b = k->ColumnIndexOf(u"b"_s), t = k->ColumnIndexOf(u"T"_s);
        const int r = k->ColumnIndexOf(u"r"_s), n = k->ColumnIndexOf(u"n"_s);
        // A zero-length blob is a null cell.
        QVERIFY(k->IsNull(b));
        QVERIFY(!k->BlobStream(b));
        QCOMPARE(k->BlobText(b), QByteArray());
        // Text cells are not blobs; floats truncate toward zero.
        QCOMPARE(raisedMessage([&] { k->BlobText(t); }), u"Not a Blob field"_s);
        QCOMPARE(raisedMessage([&] { k->IntegerValue(t); }), u"Not an integer or numeric field"_s);
        QCOMPARE(k->IntegerValue(r), 2);
        QCOMPARE(k->IntegerValue(n), -2);
        QVERIFY(k->GoNext());
        // A text stored in a BLOB column reads back as its bytes; a null text cell reads as empty.
        QCOMPARE(k->BlobText(b), "as text"_ba);
        QCOMPARE(k->BlobText(t), QByteArray());
        QCOMPARE(k->IntegerValue(r), 0);
        QCOMPARE(k->IntegerValue(n), 7);
        QCOMPARE(raisedMessage([&] { k->ColumnIndexOf(u"missing"_s); }),
                 u"Field not found in dataset: missing"_s);
    }

    void expressions_takeTheirKindFromTheFirstRow()
    {
        TSQLiteDatabase db(path(u"expr.db"_s));
        db.ExecuteStatement(u"CREATE TABLE e (ID INTEGER PRIMARY KEY, v BLOB)"_s);
        db.ExecuteStatement(u"INSERT INTO e VALUES (1, 'x')"_s);
        db.ExecuteStatement(u"INSERT INTO e VALUES (2, 'y')"_s);
        auto count = db.OpenQuery(u"SELECT count(*) FROM e"_s);
        QCOMPARE(count->IntegerValue(0), 2);
        // Joined columns with the same name: the first one is found.
        auto join = db.OpenQuery(u"SELECT a.ID, b.ID FROM e a, e b WHERE a.ID = 1 AND b.ID = 2"_s);
        QCOMPARE(join->IntegerValue(join->ColumnIndexOf(u"id"_s)), 1);
        // An expression null in the first row is read as text later.
        auto nulls = db.OpenQuery(u"SELECT CASE WHEN ID = 1 THEN NULL ELSE 'z' END FROM e ORDER BY ID"_s);
        QVERIFY(nulls->IsNull(0));
        QVERIFY(nulls->GoNext());
        QCOMPARE(raisedMessage([&] { nulls->BlobText(0); }), u"Not a Blob field"_s);
    }

    void tables_outliveTheirDatabase()
    {
        std::unique_ptr<TSQLiteTable> table;
        {
            TSQLiteDatabase db(path(u"snap.db"_s));
            db.ExecuteStatement(u"CREATE TABLE s (ID INTEGER PRIMARY KEY, p BLOB)"_s);
            db.StoreBlob(u"INSERT INTO s VALUES (1, ?)"_s, "\x01\x00\x02"_ba);
            table = db.OpenQuery(u"SELECT * FROM s"_s);
        }
        const QByteArray* blob = table->BlobStream(table->ColumnIndexOf(u"P"_s));
        QVERIFY(blob);
        QCOMPARE(*blob, "\x01\x00\x02"_ba);
    }

    void storeBlob_checksComeFirst()
    {
        TSQLiteDatabase db(path(u"blob.db"_s));
        db.ExecuteStatement(u"CREATE TABLE b (ID INTEGER PRIMARY KEY, p BLOB)"_s);
        db.ExecuteStatement(u"INSERT INTO b VALUES (1, NULL)"_s);
        // No parameter: raised before the (invalid) text is even prepared.
        QCOMPARE(raisedMessage([&] { db.StoreBlob(u"this is not SQL"_s, "x"_ba); }),
                 u"SQL must include a ? parameter"_s);
        QBuffer empty;
        empty.open(QIODevice::ReadOnly);
        QCOMPARE(raisedMessage(
                     [&] { db.StoreBlob(u"UPDATE b SET p = x'01' WHERE ID = 1 AND ? IS NULL"_s, empty); }),
                 u"Error getting memory to save blob"_s);
        QVERIFY(db.OpenQuery(u"SELECT * FROM b"_s)->IsNull(1));

        QByteArray bytes(100000, 'j');
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        stream.seek(500); // the stream is rewound before it is read
        db.StoreBlob(u"UPDATE b SET p = ? WHERE ID = 1"_s, stream);
        auto t = db.OpenQuery(u"SELECT p FROM b"_s);
        QCOMPARE(t->BlobText(0), bytes);
    }

    void statements_reportSqliteErrors()
    {
        TSQLiteDatabase db(path(u"errors.db"_s));
        db.ExecuteStatement(u"CREATE TABLE u (ID INTEGER PRIMARY KEY)"_s);
        db.ExecuteStatement(u"INSERT INTO u VALUES (1)"_s);
        QCOMPARE(
            raisedMessage([&] { db.ExecuteStatement(u"INSERT INTO u VALUES (1)"_s); }),
            u"Error executing SQL statement \"INSERT INTO u VALUES (1)\" : UNIQUE constraint failed: u.ID"_s);
        QCOMPARE(raisedMessage([&] { db.ExecuteStatement(u"SELEC 1"_s); }),
                 u"Error executing SQL \"SELEC 1\" : near \"SELEC\": syntax error"_s);
        QCOMPARE(raisedMessage([&] { db.OpenQuery(u"SELECT * FROM nowhere"_s); }),
                 u"Error executing SQL \"SELECT * FROM nowhere\" : no such table: nowhere"_s);
        QCOMPARE(raisedMessage([&] { db.ExecuteStatement(u"  -- only a comment"_s); }),
                 u"Could not prepare SQL statement"_s);
        // A statement that returns rows is not a plain statement.
        QVERIFY(raisedMessage([&] {
                    db.ExecuteStatement(u"SELECT 1"_s);
                }).startsWith(u"Error executing SQL statement \"SELECT 1\""_s));
        // Only the first of two statements runs.
        db.ExecuteStatement(u"INSERT INTO u VALUES (2); INSERT INTO u VALUES (3)"_s);
        QCOMPARE(db.OpenQuery(u"SELECT count(*) FROM u"_s)->IntegerValue(0), 2);
    }

    void boundTexts_areStoredAsTyped()
    {
        TSQLiteDatabase db(path(u"bound.db"_s));
        db.ExecuteStatement(u"CREATE TABLE v (ID INTEGER PRIMARY KEY, a BLOB, b BLOB)"_s);
        const QByteArray tricky = "it's \"a\"; 100% a_b\r\nDROP TABLE v;"_ba;
        db.ExecuteStatement(u"INSERT INTO v (a, b) VALUES (?, ?)"_s, {tricky, "a"_ba});
        auto t = db.OpenQuery(u"SELECT a, b, typeof(a) FROM v WHERE b LIKE ?"_s, {"A"_ba});
        QCOMPARE(t->RowCount(), 1u);
        QCOMPARE(t->BlobText(0), tricky);
        QCOMPARE(t->BlobText(1), "a"_ba);
        QCOMPARE(t->CurrentRow(), 0u);
        auto type = db.OpenQuery(u"SELECT typeof(a) FROM v"_s);
        QCOMPARE(type->ColumnNames().size(), 1);
        QCOMPARE(db.OpenQuery(u"SELECT count(*) FROM v WHERE typeof(a) = 'text'"_s)->IntegerValue(0), 1);
    }

    void transactions_rollBackWhenLeftOpen()
    {
        const QString file = path(u"tx.db"_s);
        {
            TSQLiteDatabase db(file);
            db.ExecuteStatement(u"CREATE TABLE x (ID INTEGER PRIMARY KEY)"_s);
            db.StartTransaction();
            QCOMPARE(raisedMessage([&] { db.StartTransaction(); }), u"Transaction already open"_s);
            db.ExecuteStatement(u"INSERT INTO x VALUES (1)"_s);
        }
        {
            TSQLiteDatabase db(file);
            QCOMPARE(db.OpenQuery(u"SELECT count(*) FROM x"_s)->IntegerValue(0), 0);
            db.StartTransaction();
            db.ExecuteStatement(u"INSERT INTO x VALUES (2)"_s);
            db.CommitTransaction();
            QVERIFY(!db.InTransaction());
            db.StartTransaction();
            db.ExecuteStatement(u"INSERT INTO x VALUES (3)"_s);
            db.RollbackTransaction();
            QVERIFY(!db.InTransaction());
        }
        TSQLiteDatabase db(file);
        QCOMPARE(db.OpenQuery(u"SELECT count(*) FROM x"_s)->IntegerValue(0), 1);
        QCOMPARE(db.LastRowId(), 0);
    }

    void hasTable_ignoresCase()
    {
        TSQLiteDatabase db(path(u"has.db"_s));
        db.ExecuteStatement(u"CREATE TABLE amici (ID INTEGER PRIMARY KEY)"_s);
        QVERIFY(db.HasTable(u"AMICI"_s));
        QVERIFY(db.HasTable(u"amici"_s));
        QVERIFY(!db.HasTable(u"ami"_s));
        QVERIFY(!db.HasTable(u"x' or '1'='1"_s));
    }

    void opening_badPathsRaise()
    {
        const QString missing = path(u"no/such/folder/Cani.db"_s);
        QCOMPARE(raisedMessage([&] { TSQLiteDatabase db(missing); }),
                 u"Failed to open database \"%1\" : unable to open database file"_s.arg(missing));
        // A file where a folder should be.
        QVERIFY(TestFiles::WriteFile(path(u"plainfile"_s), "x"_ba));
        const QString underFile = path(u"plainfile/Cani.db"_s);
        QVERIFY(
            raisedMessage([&] { TSQLiteDatabase db(underFile); }).startsWith(u"Failed to open database"_s));
    }

    void foreignFile_raisesSqliteMessage()
    {
        const QString file = path(u"Cani.db"_s);
        QVERIFY(TestFiles::WriteFile(file, QByteArray(4096, 'Z')));
        const QString message = raisedMessage([&] {
            TSQLiteDatabase db(file);
            db.HasTable(u"infanzia"_s);
        });
        QVERIFY2(message.endsWith(u": file is not a database"_s), qPrintable(message));
        QCOMPARE(TestFiles::ReadFile(file), QByteArray(4096, 'Z'));
    }

    void locks_waitThenRaise()
    {
        const QString file = path(u"lock.db"_s);
        TSQLiteDatabase holder(file);
        holder.ExecuteStatement(u"CREATE TABLE l (ID INTEGER PRIMARY KEY)"_s);
        TSQLiteDatabase other(file, 150);
        holder.ExecuteStatement(u"BEGIN EXCLUSIVE"_s);
        // Even opening a connection needs the schema, so it waits and fails too.
        QVERIFY(raisedMessage([&] { TSQLiteDatabase late(file, 50); }).endsWith(u"database is locked"_s));
        QElapsedTimer timer;
        timer.start();
        // A query that meets the lock past the timeout.
        QCOMPARE(raisedMessage([&] { other.OpenQuery(u"SELECT * FROM l"_s); }),
                 u"Could not prepare SQL statement"_s);
        QVERIFY(timer.elapsed() >= 100); // it waited for the lock before giving up
        QVERIFY(raisedMessage([&] {
                    other.ExecuteStatement(u"INSERT INTO l VALUES (1)"_s);
                }).endsWith(u"database is locked"_s));
        holder.ExecuteStatement(u"COMMIT"_s);
        other.ExecuteStatement(u"INSERT INTO l VALUES (1)"_s);
    }
};

QTEST_GUILESS_MAIN(TestSQLiteLayer)
#include "tst_sqlitelayer.moc"
