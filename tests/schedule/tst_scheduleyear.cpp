// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated year on one archive: 500 animals with 6 repeating treatments each, the program's clock moved
// on day by day, every entry marked done on its due day. Nothing is missed or listed twice, and the
// booklet holds exactly what was marked, month ends and the leap day included.
#include "schedule/Reminders.h"
#include "schedule/ScheduleBook.h"
#include "storage/CategoryStore.h"
#include "support/FakeDesktop.h"

#include <QTemporaryDir>
#include <QtTest>
#include <map>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Animals = 500;
constexpr int Notice = 14;
constexpr int Intervals[6] = {1, 1, 3, 3, 6, 12};

// The expected next due date, worked out apart from the program: the same day, or the month's last.
QDate plusMonths(const QDate& d, int months)
{
    const int index = d.year() * 12 + (d.month() - 1) + months;
    const int year = index / 12, month = index % 12 + 1;
    return QDate(year, month, std::min(d.day(), QDate(year, month, 1).daysInMonth()));
}

} // namespace

class TestScheduleYear : public QObject
{
    Q_OBJECT

private slots:
    void aYearDayByDay()
    {
        QTemporaryDir dir;
        FakeDesktop fake;
        const QDate start(2027, 9, 1);
        fake.now = QDateTime(start, QTime(8, 0));
        const CategoryDescriptor& dogs = Categories::All[0];
        {
            CategoryStore store(dogs, dir.path());
            store.OpenArchive(store.QueryFirst());
        }
        TSQLiteDatabase db(QDir(dir.path()).filePath(QString(dogs.databaseFileName)));
        // Durability is not what is tested here: the year runs without waiting for the disk.
        db.ExecuteStatement(u"PRAGMA synchronous = OFF"_s);
        db.OpenQuery(u"PRAGMA journal_mode = MEMORY"_s);
        db.StartTransaction();
        for (int i = 1; i <= Animals; ++i)
            db.ExecuteStatement(u"INSERT INTO infanzia (ID, varNome) VALUES (%1, ?)"_s.arg(i),
                                {u"Cane %1"_s.arg(i).toUtf8()});
        db.CommitTransaction();

        ScheduleBook book(dogs, db);
        std::map<qint64, QDate> due;  // the model: entry -> next due date
        std::map<qint64, int> months; // entry -> interval
        std::map<qint64, std::vector<QDate>> marked;
        for (int i = 1; i <= Animals; ++i) {
            std::vector<EntryInput> set;
            for (int k = 0; k < 6; ++k) {
                // Every fifth animal starts on month ends (31 October, 30 November, 31 December, 31 January),
                // the others spread over the first three months.
                const QDate monthStart = QDate(2027, 10, 1).addMonths(k % 4);
                const QDate first = i % 5 == 0 ? monthStart.addDays(monthStart.daysInMonth() - 1)
                                               : start.addDays((i * 7 + k * 11) % 90);
                set.push_back({u"Visita"_s, u"Trattamento %1"_s.arg(k), first, Intervals[k], {}});
            }
            book.AddEntries(i, set);
        }
        const auto all = Reminders::Find(db, 0, std::nullopt);
        QCOMPARE(int(all.size()), Animals * 6);
        for (const Reminder& r : all) {
            due[r.entryId] = *r.due;
            months[r.entryId] = r.repeatMonths;
        }

        int missed = 0, twice = 0, unexpected = 0, marks = 0, leapMarks = 0;
        for (int day = 0; day < 365; ++day) {
            fake.now = QDateTime(start.addDays(day), QTime(8, 0));
            const QDate today = desktop().Now().date();
            const std::vector<Reminder> shown = Reminders::Find(db, 0, today.addDays(Notice));
            std::set<qint64> seen;
            for (const Reminder& r : shown) {
                if (!seen.insert(r.entryId).second)
                    ++twice;
                if (due.at(r.entryId) > today.addDays(Notice))
                    ++unexpected;
            }
            for (const auto& [id, date] : due) {
                if (date <= today.addDays(Notice) && !seen.count(id))
                    ++missed;
            }
            for (const Reminder& r : shown) {
                if (*r.due != today)
                    continue;
                const ScheduleBook::Done done = book.MarkDone(r.entryId, today);
                due[r.entryId] = plusMonths(today, months[r.entryId]);
                QCOMPARE(done.nextDue, due[r.entryId]);
                marked[r.entryId].push_back(today);
                ++marks;
                leapMarks += today == QDate(2028, 2, 29);
            }
        }
        QCOMPARE(missed, 0);
        QCOMPARE(twice, 0);
        QCOMPARE(unexpected, 0);
        QVERIFY(leapMarks > 0);

        // The booklet holds exactly what was marked, and the schedule the model's dates.
        const auto rows =
            db.OpenQuery(u"SELECT IDScadenza, Data FROM Trattamenti ORDER BY IDScadenza, Data"_s);
        QCOMPARE(int(rows->RowCount()), marks);
        std::map<qint64, std::vector<QDate>> stored;
        for (rows->GoFirst(); !rows->AtEnd(); rows->GoNext())
            stored[rows->IntegerValue(0)].push_back(
                QDate::fromString(QString::fromUtf8(rows->TextValue(1)), Qt::ISODate));
        QVERIFY(stored == marked);
        for (const Reminder& r : Reminders::Find(db, 0, std::nullopt))
            QCOMPARE(*r.due, due.at(r.entryId));
        // Month ends: done on 31 January, due 29 February 2028; done then, due 29 March.
        const auto clamped = db.OpenQuery(u"SELECT count(*) FROM Trattamenti WHERE Data = '2028-02-29'"_s);
        QVERIFY(clamped->IntegerValue(0) > 0);
    }
};

QTEST_MAIN(TestScheduleYear)
#include "tst_scheduleyear.moc"
