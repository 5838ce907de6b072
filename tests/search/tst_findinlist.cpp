// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/FindInList.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using Outcome = FindInListResult::Outcome;
Q_DECLARE_METATYPE(Outcome)

class TestFindInList : public QObject
{
    Q_OBJECT

private slots:
    void find_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("lastKey");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("expectedSelection");

        const QStringList lines{u"Alfa rex"_s, u"Beta"_s, u"Gamma REX"_s, u"Delta"_s, u"Rex omega"_s};
        // A new key starts from the top, line 0 included, wherever the selection is.
        QTest::newRow("new key from the top") << lines << 3 << u"rex"_s << u""_s << Outcome::Found << 0;
        QTest::newRow("new key below line 0") << lines << 4 << u"omega"_s << u"rex"_s << Outcome::Found << 4;
        QTest::newRow("new key, line 0 no match") << lines << 1 << u"beta"_s << u"x"_s << Outcome::Found << 1;
        // The same key moves below the selection and wraps.
        QTest::newRow("again: next below") << lines << 0 << u"rex"_s << u"rex"_s << Outcome::Found << 2;
        QTest::newRow("again: next below 2") << lines << 2 << u"rex"_s << u"rex"_s << Outcome::Found << 4;
        QTest::newRow("again: wraps") << lines << 4 << u"rex"_s << u"rex"_s << Outcome::Found << 0;
        QTest::newRow("again: skips the selection")
            << lines << 3 << u"rex"_s << u"rex"_s << Outcome::Found << 4;
        QTest::newRow("again: only match stays")
            << lines << 1 << u"beta"_s << u"beta"_s << Outcome::Found << 1;
        QTest::newRow("capitals are the same key")
            << lines << 0 << u"REX"_s << u"rex"_s << Outcome::Found << 2;
        // No selection: the first line is selected first.
        QTest::newRow("no selection, new key") << lines << -1 << u"rex"_s << u""_s << Outcome::Found << 0;
        QTest::newRow("no selection, same key") << lines << -1 << u"rex"_s << u"rex"_s << Outcome::Found << 2;
        QTest::newRow("selection outside the list")
            << lines << 9 << u"rex"_s << u"rex"_s << Outcome::Found << 2;
        QTest::newRow("same key, only line 0")
            << lines << -1 << u"alfa"_s << u"alfa"_s << Outcome::Found << 0;
        // No match leaves the selection where it was (on line 0 when there was none).
        QTest::newRow("no match") << lines << 3 << u"zzz"_s << u""_s << Outcome::NotFound << 3;
        QTest::newRow("no match again") << lines << 3 << u"zzz"_s << u"zzz"_s << Outcome::NotFound << 3;
        QTest::newRow("no match, no selection") << lines << -1 << u"zzz"_s << u""_s << Outcome::NotFound << 0;
        QTest::newRow("empty key never matches") << lines << 2 << u""_s << u"rex"_s << Outcome::NotFound << 2;
        QTest::newRow("empty key again") << lines << 2 << u""_s << u""_s << Outcome::NotFound << 2;
        // The key is not trimmed.
        QTest::newRow("leading blank kept") << lines << 4 << u" rex"_s << u""_s << Outcome::Found << 0;
        QTest::newRow("leading blank kept again")
            << lines << 0 << u" rex"_s << u" rex"_s << Outcome::Found << 2;
        QTest::newRow("leading blank, wrap past 4")
            << lines << 2 << u" rex"_s << u" rex"_s << Outcome::Found << 0;
        // Only A to Z change case.
        const QStringList accented{u"citt\u00e0"_s, u"CITT\u00c0"_s, u"Citt\u00e0"_s};
        QTest::newRow("À is not à") << accented << 0 << u"CITT\u00c0"_s << u""_s << Outcome::Found << 1;
        QTest::newRow("à is not À") << accented << 1 << u"citt\u00e0"_s << u"citt\u00e0"_s << Outcome::Found
                                    << 2;
        QTest::newRow("one line") << QStringList{u"Rex"_s} << 0 << u"r"_s << u"r"_s << Outcome::Found << 0;
        QTest::newRow("one line, no match")
            << QStringList{u"Rex"_s} << 0 << u"q"_s << u""_s << Outcome::NotFound << 0;
    }

    void find()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, selected);
        QFETCH(QString, key);
        QFETCH(QString, lastKey);
        QFETCH(Outcome, outcome);
        QFETCH(int, expectedSelection);
        const FindInListResult r = FindInList(lines, selected, key, lastKey);
        QCOMPARE(r.outcome, outcome);
        QCOMPARE(r.selected, expectedSelection);
        QString lowered = key;
        for (QChar& c : lowered) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        }
        QCOMPARE(r.lastFindKey, lowered);
    }

    void emptyList_changesNothing()
    {
        const FindInListResult r = FindInList({}, -1, u"Rex"_s, u"old"_s);
        QCOMPARE(r.outcome, Outcome::EmptyList);
        QCOMPARE(r.selected, -1);
        QCOMPARE(r.lastFindKey, u"old"_s);
    }

    void clickingOn_walksEveryMatchInTurn()
    {
        const QStringList lines{u"rex 1"_s, u"x"_s, u"rex 2"_s, u"y"_s, u"rex 3"_s};
        QString last;
        int selected = -1;
        QList<int> visited;
        for (int click = 0; click < 5; ++click) {
            const FindInListResult r = FindInList(lines, selected, u"Rex"_s, last);
            selected = r.selected;
            last = r.lastFindKey;
            visited.append(selected);
        }
        QCOMPARE(visited, (QList<int>{0, 2, 4, 0, 2}));
        // After a new search within the same showing the remembered key survives: the first click tests
        // the first line last.
        QCOMPARE(FindInList(lines, -1, u"rex"_s, last).selected, 2);
    }
};

QTEST_GUILESS_MAIN(TestFindInList)
#include "tst_findinlist.moc"
