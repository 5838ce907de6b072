// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/ByteLike.h"
#include "storage/ESQLiteException.h"
#include "storage/TSQLiteDatabase.h"
#include "storage/TSQLiteTable.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestByteLike : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A connection on a table v(ID, t BLOB) holding the given values as TEXT, NULL for a null array.
    std::unique_ptr<TSQLiteDatabase> tableOf(const QString& name, const QList<QByteArray>& values)
    {
        auto db = std::make_unique<TSQLiteDatabase>(m_dir.filePath(name));
        db->ExecuteStatement(u"CREATE TABLE v (ID INTEGER PRIMARY KEY, t BLOB)"_s);
        for (const QByteArray& value : values) {
            if (value.isNull())
                db->ExecuteStatement(u"INSERT INTO v (t) VALUES (NULL)"_s);
            else
                db->ExecuteStatement(u"INSERT INTO v (t) VALUES (?)"_s, {value});
        }
        return db;
    }

    // The ids of the rows whose t matches pattern, in id order.
    static QList<qint64> matching(TSQLiteDatabase& db, const QByteArray& pattern, const QString& extra = {})
    {
        QList<qint64> ids;
        auto t = db.OpenQuery(u"SELECT ID FROM v WHERE t LIKE ?"_s + extra + u" ORDER BY ID"_s, {pattern});
        for (t->GoFirst(); !t->AtEnd(); t->GoNext())
            ids.append(t->IntegerValue(0));
        return ids;
    }

private slots:
    void matches_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("escape");
        QTest::addColumn<bool>("expected");

        // Accented letters are bytes of their own, never folded and never read as UTF-8.
        QTest::newRow("à in Pietà") << "%\xe0%"_ba
                                    << "Piet\xe0"_ba << -1 << true;
        QTest::newRow("à not in PIETÀ") << "%\xe0%"_ba
                                        << "PIET\xc0"_ba << -1 << false;
        QTest::newRow("À not in Pietà") << "%\xc0%"_ba
                                        << "Piet\xe0"_ba << -1 << false;
        QTest::newRow("à not in Perché") << "%\xe0%"_ba
                                         << "Perch\xe9"_ba << -1 << false;
        QTest::newRow("è in caffè°") << "%\xe8%"_ba
                                     << "caff\xe8\xb0"_ba << -1 << true;
        QTest::newRow("é not in caffè") << "%\xe9%"_ba
                                        << "caff\xe8"_ba << -1 << false;
        QTest::newRow("è° whole") << "caff\xe8\xb0"_ba
                                  << "CAFF\xe8\xb0"_ba << -1 << true;
        QTest::newRow("€ sign") << "%\x80 1%"_ba
                                << "\x80 1.200"_ba << -1 << true;
        // A to Z fold, nothing else.
        QTest::newRow("rex in REX") << "%rex%"_ba
                                    << "REX"_ba << -1 << true;
        QTest::newRow("REX in rexona") << "%REX%"_ba
                                       << "rexona"_ba << -1 << true;
        // Wildcards in the key stay wildcards.
        QTest::newRow("50% in 1500") << "%50%%"_ba
                                     << "1500"_ba << -1 << true;
        QTest::newRow("50% in 5-0") << "%50%%"_ba
                                    << "5-0"_ba << -1 << false;
        QTest::newRow("a_b in axb") << "%a_b%"_ba
                                    << "xaxbx"_ba << -1 << true;
        QTest::newRow("a_b in aàb") << "%a_b%"_ba
                                    << "a\xe0"
                                       "b"_ba
                                    << -1 << true;
        QTest::newRow("a_b not in ab") << "%a_b%"_ba
                                       << "ab"_ba << -1 << false;
        QTest::newRow("apostrophe") << "%l'a%"_ba
                                    << "Dell'Aquila"_ba << -1 << true;
        QTest::newRow("double quote") << "%\"%"_ba
                                      << "say \"hi\""_ba << -1 << true;
        // Anchoring and backtracking.
        QTest::newRow("empty matches empty") << ""_ba
                                             << ""_ba << -1 << true;
        QTest::newRow("empty pattern, text") << ""_ba
                                             << "a"_ba << -1 << false;
        QTest::newRow("%% matches empty") << "%%"_ba
                                          << ""_ba << -1 << true;
        QTest::newRow("_ needs a byte") << "_"_ba
                                        << ""_ba << -1 << false;
        QTest::newRow("_%_ on one byte") << "_%_"_ba
                                         << "a"_ba << -1 << false;
        QTest::newRow("_%_ on two bytes") << "_%_"_ba
                                          << "ab"_ba << -1 << true;
        QTest::newRow("anchored end") << "%ab"_ba
                                      << "abx"_ba << -1 << false;
        QTest::newRow("retry after partial") << "%aab"_ba
                                             << "aaab"_ba << -1 << true;
        QTest::newRow("segments in order") << "a%b%c"_ba
                                           << "aXbYc"_ba << -1 << true;
        QTest::newRow("segments out of order") << "a%b%c"_ba
                                               << "aXcYb"_ba << -1 << false;
        QTest::newRow("last segment at the end") << "%ab%abc"_ba
                                                 << "xxabxabcabc"_ba << -1 << true;
        QTest::newRow("inner NUL counts") << "a%"_ba << QByteArray("\0a", 2) << -1 << false;
        // ESCAPE.
        QTest::newRow("escaped %") << "%50\\%%"_ba
                                   << "x50%"_ba << int('\\') << true;
        QTest::newRow("escaped % is literal") << "%50\\%%"_ba
                                              << "500"_ba << int('\\') << false;
        QTest::newRow("escaped _") << "a\\_b"_ba
                                   << "a_b"_ba << int('\\') << true;
        QTest::newRow("escaped _ is literal") << "a\\_b"_ba
                                              << "axb"_ba << int('\\') << false;
        QTest::newRow("escaped escape") << "a\\\\"_ba
                                        << "a\\"_ba << int('\\') << true;
        QTest::newRow("escaped letter folds") << "\\A"_ba
                                              << "a"_ba << int('\\') << true;
        QTest::newRow("trailing escape") << "abc\\"_ba
                                         << "abc\\"_ba << int('\\') << false;
        QTest::newRow("% as escape") << "50%%"_ba
                                     << "50%"_ba << int('%') << true;
        QTest::newRow("% as escape is no wildcard") << "50%%"_ba
                                                    << "500"_ba << int('%') << false;
        QTest::newRow("accented escape") << "\xe0%"_ba
                                         << "%"_ba << 0xe0 << true;
    }

    void matches()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, text);
        QFETCH(int, escape);
        QFETCH(bool, expected);
        QCOMPARE(ByteLike::Matches(pattern, text, escape), expected);
    }

    void everyByte_matchesItselfAndOnlyItsAsciiCase()
    {
        for (int p = 0; p < 256; ++p) {
            if (p == '%' || p == '_')
                continue;
            for (int t = 0; t < 256; ++t) {
                const bool sameLetter = QChar::toLower(char16_t(p)) == QChar::toLower(char16_t(t)) &&
                                        ((p | 0x20) >= 'a' && (p | 0x20) <= 'z') && p < 128 && t < 128;
                const bool expected = p == t || sameLetter;
                if (ByteLike::Matches(QByteArray(1, char(p)), QByteArray(1, char(t))) != expected)
                    QFAIL(qPrintable(u"pattern byte %1, text byte %2"_s.arg(p, 2, 16).arg(t, 2, 16)));
            }
        }
    }

    void manyWildcards_finish()
    {
        // Enough a's for all but the last "%a": a matcher that retries every split never finishes, and
        // ctest's time limit ends it.
        const QByteArray pattern = QByteArray("%a").repeated(1000);
        const QByteArray almost = QByteArray(999, 'a') + QByteArray(200000, 'c');
        const QByteArray enough = QByteArray(200000, 'c') + QByteArray(1000, 'a');
        QVERIFY(!ByteLike::Matches(pattern, almost));
        QVERIFY(ByteLike::Matches(pattern, enough));
        QVERIFY(!ByteLike::Matches(pattern + "b", enough));
        QVERIFY(!ByteLike::Matches(pattern, QByteArray(1000000, 'b')));

        auto db = tableOf(u"slow.db"_s, {almost, enough});
        QCOMPARE(matching(*db, pattern), QList<qint64>{2});
    }

    void connection_usesTheByteLike()
    {
        auto db = tableOf(u"like.db"_s,
                          {"Piet\xe0"_ba, "Perch\xe9"_ba, "PIET\xc0"_ba, "citt\xe0"_ba, "caff\xe8\xb0"_ba,
                           QByteArray(), ""_ba, "50%"_ba, "a_b"_ba, "l'apostrofo"_ba});
        QCOMPARE(matching(*db, "%\xe0%"_ba), (QList<qint64>{1, 4}));
        QCOMPARE(matching(*db, "%\xe8%"_ba), QList<qint64>{5});
        QCOMPARE(matching(*db, "%piet%"_ba), (QList<qint64>{1, 3}));
        // NULL reads as the empty text: '%%' finds it, any other text not.
        QCOMPARE(matching(*db, "%%"_ba).size(), 10);
        QCOMPARE(matching(*db, ""_ba), (QList<qint64>{6, 7}));
        QCOMPARE(matching(*db, "%A%"_ba), (QList<qint64>{5, 9, 10}));
        QCOMPARE(db->OpenQuery(u"SELECT count(*) FROM v WHERE t NOT LIKE '%x%'"_s)->IntegerValue(0), 10);
        QCOMPARE(matching(*db, "%'%"_ba), QList<qint64>{10});
        // ESCAPE, bound or written.
        QCOMPARE(matching(*db, "%0\\%"_ba, u" ESCAPE '\\'"_s), QList<qint64>{8});
        QCOMPARE(matching(*db, "%a|_b"_ba, u" ESCAPE '|'"_s), QList<qint64>{9});
        QVERIFY(
            raisedMessage([&] { matching(*db, "%"_ba, u" ESCAPE 'ab'"_s); }).contains(u"single character"_s));
        QVERIFY(raisedMessage([&] { matching(*db, QByteArray(60000, '%')); }).contains(u"too complex"_s));
        // Numbers read as their text, blobs as their bytes.
        QCOMPARE(db->OpenQuery(u"SELECT 1200 LIKE '%20%', x'E0' LIKE ?"_s, {"\xe0"_ba})->IntegerValue(0), 1);
        QCOMPARE(db->OpenQuery(u"SELECT x'E0' LIKE ?"_s, {"\xe0"_ba})->IntegerValue(0), 1);
        // The LIKE of every connection on the file, not only the one that wrote it.
        TSQLiteDatabase other(m_dir.filePath(u"like.db"_s));
        QCOMPARE(other.OpenQuery(u"SELECT count(*) FROM v WHERE t LIKE ?"_s, {"%\xe0%"_ba})->IntegerValue(0),
                 2);
    }

private:
    template <typename F> static QString raisedMessage(F&& body)
    {
        try {
            body();
        } catch (const ESQLiteException& e) {
            return e.message();
        }
        return {};
    }
};

QTEST_GUILESS_MAIN(TestByteLike)
#include "tst_bytelike.moc"
