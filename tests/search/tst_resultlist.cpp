// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/FindCriteria.h"
#include "search/ResultLine.h"
#include "search/ResultList.h"
#include "storage/CategoryStore.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

CardSummary named(qint64 id, const QString& nome, const QString& razza = {})
{
    CardSummary c;
    c.id = id;
    c.nome = nome;
    c.razza = razza;
    return c;
}

QStringList names(const ResultList& list)
{
    QStringList out;
    for (const QString& line : list.Lines())
        out.append(line.left(30).trimmed());
    return out;
}

} // namespace

class TestResultList : public QObject
{
    Q_OBJECT

private slots:
    void padField_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("padded") << u"Rex"_s << 5 << u"Rex  "_s;
        QTest::newRow("cut") << u"Rexona"_s << 3 << u"Rex"_s;
        QTest::newRow("exact") << u"Rex"_s << 3 << u"Rex"_s;
        QTest::newRow("empty") << QString() << 4 << u"    "_s;
        QTest::newRow("blanks and controls trimmed") << u" \t\x01Rex\r\n\x1f "_s << 5 << u"Rex  "_s;
        QTest::newRow("inner blanks kept") << u"Re x"_s << 4 << u"Re x"_s;
        QTest::newRow("trimmed before cut") << u"    Rexona"_s << 3 << u"Rex"_s;
        QTest::newRow("no-break space is no blank") << u"\u00a0Rex"_s << 5 << u"\u00a0Rex "_s;
    }

    void padField()
    {
        QFETCH(QString, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(PadField(value, width), expected);
    }

    void formatResultLine_hasFixedColumns()
    {
        const QString line =
            FormatResultLine(u"  Furia del West, stallone nero ad alta quota"_s, u"Mustang"_s, u"Maschio"_s,
                             u"01/02/2003"_s, u"055 1234567"_s, u"  \u20ac 1.200,00 trattabili \t"_s);
        QCOMPARE(line,
                 u"Furia del West, stallone nero   Razza: Mustang                         Maschio"
                 "  Nato il 01/02/2003          Tel. 055 1234567      Prezzo: \u20ac 1.200,00 trattabili"_s);
        QCOMPARE(line.indexOf(u"\u20ac"_s), 138);
        // Empty fields keep their width; an empty price ends the line.
        const QString empty = FormatResultLine({}, {}, {}, {}, {}, {});
        QCOMPARE(empty.size(), 138);
        QVERIFY(empty.endsWith(u"  Prezzo: "_s));
    }

    void criteria_followTheCardFieldsAndTheCategory()
    {
        const CategoryDescriptor& amici = *Categories::ByKey(u"Amici"_s);
        const QStringList entries = FindCriteria(amici);
        QCOMPARE(entries.size(), 28);
        QCOMPARE(entries.first(), u"Nome"_s);
        QCOMPARE(entries.at(11), u"Colore mantello"_s);
        QCOMPARE(entries.at(12), u"Tipologia pelo"_s);
        QCOMPARE(entries.at(14), u"Numero passaporto"_s);
        QCOMPARE(entries.last(), u"Didascalia"_s);
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(CriterionField(entries.at(i), amici), i);
        QCOMPARE(CriterionField(u" \tNUMERO PASSAPORTO "_s, amici), 14);
        QCOMPARE(CriterionField(u"specialit\u00e0"_s, amici), 25);
        QCOMPARE(CriterionField(u"SPECIALIT\u00c0"_s, amici), -1); // only A to Z change case
        QCOMPARE(CriterionField(u"Passaporto n."_s, amici), -1);
        const CategoryDescriptor& birds = *Categories::ByKey(u"Ricorrenze"_s);
        QCOMPARE(CriterionField(u"Colore piumaggio"_s, birds), CardFields::Colore);
        QCOMPARE(CriterionField(u"Tipologia piume"_s, birds), CardFields::Pelo);
        QCOMPARE(CriterionField(u"Colore mantello"_s, birds), -1);
    }

    void fill_sortsInItalianWithoutRegardToCase()
    {
        // The tests run with LC_ALL=C.UTF-8: byte order would put "Àrno" after "zeta" and capitals first.
        ResultList list;
        list.Fill({named(1, u"zeta"_s), named(2, u"\u00c0rno"_s), named(3, u"bruno"_s, u"b"_s),
                   named(4, u"arco"_s), named(5, u"Bruno"_s, u"b"_s), named(6, u"Rexa"_s), named(7, u"Rex"_s),
                   named(8, u"\u00e9lan"_s), named(9, u"elan"_s), named(10, u"bruno"_s, u"b"_s)});
        QCOMPARE(names(list), (QStringList{u"arco"_s, u"\u00c0rno"_s, u"bruno"_s, u"Bruno"_s, u"bruno"_s,
                                           u"elan"_s, u"\u00e9lan"_s, u"Rex"_s, u"Rexa"_s, u"zeta"_s}));
        QCOMPARE(list.Count(), 10);
        // Lines that differ only in case stay in the order the cards came in.
        QCOMPARE(list.ChosenCardId(2), 3);
        QCOMPARE(list.ChosenCardId(3), 5);
        // Refilling replaces everything.
        list.Fill({named(42, u"solo"_s)});
        QCOMPARE(list.Lines(), QStringList{FormatResultLine(named(42, u"solo"_s))});
        QCOMPARE(list.ChosenCardId(0), 42);
        list.Fill({});
        QVERIFY(list.IsEmpty());
        QCOMPARE(list.ChosenCardId(0), std::nullopt);
    }

    void chosenCard_isTheLinesOwnAmongIdenticalLines()
    {
        // Names that differ only after the 30th character give identical lines.
        const QString longName = u"Bucefalo di Macedonia, figlio di "_s;
        ResultList list;
        list.Fill({named(9, u"Zorro"_s), named(7, longName + u"Filonico"_s), named(3, u"Alba"_s),
                   named(5, longName + u"Filippo"_s), named(8, u"Alba"_s)});
        QCOMPARE(list.Count(), 5);
        QCOMPARE(list.Lines().at(0), list.Lines().at(1));
        QCOMPARE(list.ChosenCardId(0), 3);
        QCOMPARE(list.ChosenCardId(1), 8);
        QCOMPARE(list.ChosenCardId(2), 7);
        QCOMPARE(list.ChosenCardId(3), 5);
        QCOMPARE(list.ChosenCardId(4), 9);
        QCOMPARE(list.ChosenCardId(-1), std::nullopt);
        QCOMPARE(list.ChosenCardId(5), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestResultList)
#include "tst_resultlist.moc"
