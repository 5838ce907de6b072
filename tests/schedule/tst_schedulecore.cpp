// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule's rules on real archives: dates, repetition, the tables' life beside the card table, the
// reminders across the archives and the calendar file.
#include "automation/ExportFolder.h"
#include "schedule/CalendarExport.h"
#include "schedule/Reminders.h"
#include "schedule/ScheduleBook.h"
#include "schedule/ScheduleRules.h"
#include "schedule/SuggestedSets.h"
#include "storage/CategoryStore.h"
#include "storage/ESQLiteException.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>
#include <libical/ical.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const CategoryDescriptor& cani()
{
    return Categories::All[0];
}

QString raised(const std::function<void()>& body)
{
    try {
        body();
    } catch (const ESQLiteException& e) {
        return e.message();
    }
    return {};
}

EntryInput entry(const QString& kind, const QDate& due, int months, const QString& description = {})
{
    return {kind, description, due, months, {}};
}

qint64 count(TSQLiteDatabase& db, const QString& sql)
{
    return db.OpenQuery(sql)->IntegerValue(0);
}

QByteArray fileHash(const QString& path)
{
    return QCryptographicHash::hash(TestFiles::ReadFile(path), QCryptographicHash::Sha256);
}

} // namespace

class TestScheduleCore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CategoryStore> m_store;

    qint64 addCard(const QString& name)
    {
        CardValues v;
        v[CardFields::Nome] = name;
        return m_store->SaveCard(std::nullopt, v, {});
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<CategoryStore>(cani(), m_dir->path());
        m_store->OpenArchive(m_store->QueryFirst());
    }
    void cleanup()
    {
        m_store.reset();
        m_dir.reset();
    }

    void italianDatesAndMonthEnds()
    {
        using namespace ScheduleRules;
        QCOMPARE(ParseItalian(u" 5/3/2024 "_s), QDate(2024, 3, 5));
        QCOMPARE(ParseItalian(u"29/02/2024"_s), QDate(2024, 2, 29));
        for (const QString& bad : {u"31/02/2025"_s, u"29/02/2025"_s, u"00/01/2025"_s, u"12/13/2025"_s,
                                   u"2025-01-01"_s, u"1/1/25"_s, u"1/1/2025x"_s, QString()})
            QVERIFY2(!ParseItalian(bad), qPrintable(bad));
        QCOMPARE(Italian(QDate(2024, 3, 5)), u"05/03/2024"_s);
        QCOMPARE(ParseIso(u"2024-02-29"_s), QDate(2024, 2, 29));
        QVERIFY(!ParseIso(u"2025-02-29"_s) && !ParseIso(u"05/03/2024"_s));
        QCOMPARE(NextDue(QDate(2024, 1, 31), 1), QDate(2024, 2, 29));
        QCOMPARE(NextDue(QDate(2025, 1, 31), 1), QDate(2025, 2, 28));
        QCOMPARE(NextDue(QDate(2024, 2, 29), 12), QDate(2025, 2, 28));
        QCOMPARE(NextDue(QDate(2024, 8, 31), 3), QDate(2024, 11, 30));
        QCOMPARE(NextDue(QDate(2024, 11, 30), 3), QDate(2025, 2, 28));
        const QDate today(2024, 6, 10);
        QCOMPARE(StateOf(today.addDays(-1), today, 14), DueState::Overdue);
        QCOMPARE(StateOf(today, today, 14), DueState::DueSoon);
        QCOMPARE(StateOf(today.addDays(14), today, 14), DueState::DueSoon);
        QCOMPARE(StateOf(today.addDays(15), today, 14), DueState::Later);
    }

    // An archive without the tables reads as before and has nothing due; the check after the password
    // neither creates nor changes anything; the first write creates both tables, and a first write that
    // fails creates none.
    void tablesAppearWithTheFirstWrite()
    {
        const qint64 rex = addCard(u"Rex"_s);
        m_store.reset();
        const QString path = QDir(m_dir->path()).filePath(u"Cani.db"_s);
        const QByteArray before = fileHash(path);
        const ReminderScan scan = Reminders::FindDue(m_dir->path(), QDate(2024, 1, 1), 14);
        QVERIFY(scan.reminders.empty() && scan.problems.isEmpty());
        QCOMPARE(fileHash(path), before);
        for (const char* other : {"Gatti.db", "Altri.db"})
            QVERIFY(!QFileInfo::exists(QDir(m_dir->path()).filePath(QString::fromLatin1(other))));

        ScheduleBook book(cani(), m_dir->path());
        QVERIFY(book.Entries(rex).empty() && book.Booklet(rex).empty());
        QCOMPARE(book.Inspect().kind, ScheduleTables::State::Kind::Missing);
        QVERIFY(raised([&] {
                    book.AddEntry(rex + 1, entry(u"Visita"_s, QDate(2024, 1, 2), 0));
                }).contains(u"non \u00e8 pi\u00f9 presente"_s));
        QVERIFY(!book.Database().HasTable(u"Scadenze"_s) && !book.Database().HasTable(u"Trattamenti"_s));
        QVERIFY(!raised([&] { book.AddEntry(rex, entry(u"Nessuno"_s, QDate(2024, 1, 2), 0)); }).isEmpty());
        QVERIFY(!book.Database().HasTable(u"Scadenze"_s));

        book.AddEntry(rex, entry(u"Visita"_s, QDate(2024, 1, 2), 0, u"Controllo \u00e8 \u20ac"_s));
        QCOMPARE(book.Inspect().kind, ScheduleTables::State::Kind::Ready);
        QVERIFY(book.Database().HasTable(u"Trattamenti"_s));
        // UTF-8 text, ISO date, as another program reads them.
        QCOMPARE(TestFiles::RunSqliteTool(path, u"SELECT Descrizione || '|' || Scadenza FROM Scadenze"_s),
                 u"Controllo \u00e8 \u20ac|2024-01-02"_s);
    }

    // Repetition from the date done, one-off entries leaving the schedule, last done and the booklet's
    // order, and the dates refused.
    void markingDone()
    {
        const qint64 rex = addCard(u"Rex"_s);
        ScheduleBook book(cani(), m_dir->path());
        const qint64 monthly = book.AddEntry(rex, entry(u"Antiparassitario"_s, QDate(2024, 1, 31), 1));
        const qint64 once = book.AddEntry(rex, entry(u"Visita"_s, QDate(2024, 2, 10), 0, u"Controllo"_s));

        QCOMPARE(book.MarkDone(monthly, QDate(2024, 1, 31)).nextDue, QDate(2024, 2, 29));
        QCOMPARE(book.MarkDone(monthly, QDate(2024, 2, 29)).nextDue, QDate(2024, 3, 29));
        QVERIFY(raised([&] { book.MarkDone(monthly, QDate(2024, 2, 28)); }).contains(u"precedente"_s));
        // A due date before the last done date is refused, and nothing changes.
        QVERIFY(raised([&] {
                    book.UpdateEntry(monthly, entry(u"Antiparassitario"_s, QDate(2024, 2, 1), 1));
                }).contains(u"precedente"_s));
        QVERIFY(!book.MarkDone(once, QDate(2024, 2, 12)).nextDue);

        const std::vector<ScheduleEntry> entries = book.Entries(rex);
        QCOMPARE(entries.size(), std::size_t(1));
        QCOMPARE(entries[0].due, QDate(2024, 3, 29));
        QCOMPARE(entries[0].lastDone, QDate(2024, 2, 29));
        const std::vector<BookletRow> booklet = book.Booklet(rex);
        QCOMPARE(booklet.size(), std::size_t(3));
        QCOMPARE(booklet[0].date, QDate(2024, 2, 29));
        QCOMPARE(booklet[1].description, u"Controllo"_s);
        QCOMPARE(booklet[1].entryId, once);
        QCOMPARE(booklet[2].date, QDate(2024, 1, 31));

        // A new entry never takes the identifier of one the booklet names: its last done is its own.
        const qint64 next = book.AddEntry(rex, entry(u"Visita"_s, QDate(2024, 5, 1), 0));
        QVERIFY(next > once);
        QVERIFY(!book.Entries(rex).back().lastDone);
        const qint64 byHand = book.AddBookletRow(rex, u"Altro"_s, u"Bagno"_s, QDate(2024, 3, 1), {});
        QVERIFY(!book.Booklet(rex)[0].entryId);
        book.DeleteBookletRow(byHand);
        QCOMPARE(book.Booklet(rex).size(), std::size_t(3));
    }

    // A write that fails midway stores nothing: neither the booklet row nor the new due date.
    void failedWriteChangesNothing()
    {
        const qint64 rex = addCard(u"Rex"_s);
        ScheduleBook book(cani(), m_dir->path());
        const qint64 id = book.AddEntry(rex, entry(u"Sverminazione"_s, QDate(2024, 1, 10), 3));
        book.Database().ExecuteStatement(
            u"CREATE TRIGGER guasto BEFORE UPDATE ON Scadenze BEGIN SELECT RAISE(ABORT, 'disco pieno'); END"_s);
        QVERIFY(raised([&] { book.MarkDone(id, QDate(2024, 1, 10)); }).contains(u"disco pieno"_s));
        QVERIFY(book.Booklet(rex).empty());
        QCOMPARE(book.Entries(rex).at(0).due, QDate(2024, 1, 10));
        QVERIFY(!book.Database().InTransaction());
    }

    // Deleting a card deletes its rows; rows of a card deleted by another program are never shown, go at
    // the next write, and never attach to a new card that takes the same identifier.
    void rowsFollowTheirCard()
    {
        addCard(u"Lupo"_s);
        const qint64 fido = addCard(u"Fido"_s);
        const qint64 rex = addCard(u"Rex"_s);
        {
            ScheduleBook book(cani(), m_dir->path());
            for (qint64 card : {rex, fido}) {
                const qint64 e = book.AddEntry(card, entry(u"Visita"_s, QDate(2024, 1, 1), 12));
                book.MarkDone(e, QDate(2024, 1, 1));
            }
        }
        m_store->OpenArchive(m_store->QueryFirst());
        m_store->DeleteRow(rex);
        TSQLiteDatabase& db = *m_store->Database();
        QCOMPARE(count(db, u"SELECT count(*) FROM Scadenze WHERE IDScheda = %1"_s.arg(rex)), 0);
        QCOMPARE(count(db, u"SELECT count(*) FROM Trattamenti WHERE IDScheda = %1"_s.arg(rex)), 0);

        // Another program deletes the last card, leaving its rows behind; SQLite gives its identifier to
        // the next card.
        TestFiles::RunSqliteTool(m_store->DatabasePath(), u"DELETE FROM infanzia WHERE ID = %1"_s.arg(fido));
        ScheduleBook book(cani(), m_dir->path());
        QVERIFY(book.Entries(fido).empty() && book.Booklet(fido).empty());
        QVERIFY(Reminders::FindDue(m_dir->path(), QDate(2026, 1, 1), 0).reminders.empty());
        const qint64 reused = addCard(u"Nuovo"_s);
        QCOMPARE(reused, fido);
        QVERIFY(book.Entries(reused).empty() && book.Booklet(reused).empty());
        QCOMPARE(count(book.Database(), u"SELECT count(*) FROM Trattamenti"_s), 0);

        // Rows of a card deleted elsewhere go at the next write (of the next schedule screen's book).
        const qint64 other = addCard(u"Altro"_s);
        book.Database().ExecuteStatement(
            u"INSERT INTO Scadenze (IDScheda, Tipo, Scadenza) VALUES (99, 'Visita', '2024-01-01')"_s);
        ScheduleBook next(cani(), m_dir->path());
        next.AddEntry(other, entry(u"Altro"_s, QDate(2024, 1, 1), 0));
        QCOMPARE(count(next.Database(), u"SELECT count(*) FROM Scadenze WHERE IDScheda = 99"_s), 0);
    }

    // A damaged archive is named among the problems and handed on as damage, so that its restore is
    // offered; the other archives are still read.
    void damagedArchiveIsHandedOnAsDamage()
    {
        QVERIFY(TestFiles::WriteFile(m_dir->filePath(u"Gatti.db"_s), QByteArray(8192, 'x')));
        const ReminderScan scan = Reminders::FindDue(m_dir->path(), QDate(2024, 1, 1), 14);
        QCOMPARE(scan.damaged.size(), std::size_t(1));
        QVERIFY(scan.damaged[0].first.endsWith(u"Gatti.db"_s));
        QVERIFY(scan.problems.join(u' ').contains(u"Archivio Gatti"_s));
    }

    // A Scadenze table with other columns is not the program's: the schedule says so, the reminders name
    // the archive, and the card is saved and deleted as before.
    void wrongColumnsLeaveTheCardWorking()
    {
        const qint64 rex = addCard(u"Rex"_s);
        m_store->Database()->ExecuteStatement(
            u"CREATE TABLE Scadenze (ID INTEGER PRIMARY KEY, Quando TEXT)"_s);
        ScheduleBook book(cani(), m_dir->path());
        QCOMPARE(book.Inspect().kind, ScheduleTables::State::Kind::WrongColumns);
        QVERIFY(raised([&] { book.Entries(rex); }).contains(u"IDScheda"_s));
        QVERIFY(!raised([&] { book.AddEntry(rex, entry(u"Visita"_s, QDate(2024, 1, 1), 0)); }).isEmpty());
        const ReminderScan scan = Reminders::FindDue(m_dir->path(), QDate(2024, 1, 1), 14);
        QCOMPARE(scan.problems.size(), 1);
        QVERIFY(scan.problems[0].startsWith(u"Archivio Cani"_s));
        QVERIFY(scan.damaged.empty()); // not the program's, but not damaged either
        const qint64 fido = addCard(u"Fido"_s);
        m_store->DeleteRow(fido);
        m_store->DeleteRow(rex);
        QCOMPARE(count(*m_store->Database(), u"SELECT count(*) FROM infanzia"_s), 0);
    }

    // Across the archives: due within the notice or overdue, overdue first, names read from the cards;
    // the suggested set is added once.
    void remindersAcrossArchives()
    {
        const QDate today(2024, 3, 1);
        const qint64 rex = addCard(u"Rex"_s);
        ScheduleBook dogs(cani(), m_dir->path());
        dogs.AddEntry(rex, entry(u"Visita"_s, today.addDays(20), 0));
        dogs.AddEntry(rex, entry(u"Vaccinazione"_s, today.addDays(3), 12));
        CategoryStore cats(Categories::All[1], m_dir->path());
        cats.OpenArchive(cats.QueryFirst());
        CardValues v;
        v[CardFields::Nome] = u"Micia \u00e0"_s;
        const qint64 micia = cats.SaveCard(std::nullopt, v, {});
        ScheduleBook catBook(Categories::All[1], m_dir->path());
        catBook.AddEntry(micia, entry(u"Sverminazione"_s, today.addDays(-5), 3));
        catBook.Database().ExecuteStatement(
            u"INSERT INTO Scadenze (IDScheda, Tipo, Scadenza) VALUES (%1, 'Altro', '1 marzo')"_s.arg(micia));

        const ReminderScan scan = Reminders::FindDue(m_dir->path(), today, 14);
        QCOMPARE(scan.reminders.size(), std::size_t(3));
        QCOMPARE(scan.reminders[0].dueText, u"1 marzo"_s); // unreadable: listed first, to be corrected
        QCOMPARE(scan.reminders[1].animal, u"Micia \u00e0"_s);
        QCOMPARE(Reminders::DaysOverdue(scan.reminders[1], today), 5);
        QCOMPARE(scan.reminders[2].archive, 0);
        QCOMPARE(Reminders::DaysOverdue(scan.reminders[2], today), -3);
        const QStringList lines = Reminders::PrintedLines(scan.reminders, today);
        QVERIFY(lines[1].startsWith(u"Gatti"_s) && lines[1].contains(u"5 gg di ritardo"_s));

        const auto set = SuggestedSets::For(cani(), today);
        QVERIFY(set.size() >= 3);
        QCOMPARE(dogs.AddEntries(rex, set), int(set.size()));
        QCOMPARE(dogs.AddEntries(rex, set), 0);
    }

    // The calendar: one all-day event per entry with an alarm the day before, no recurrence, the same
    // UID at every export; the file is replaced whole.
    void calendarFile()
    {
        const qint64 rex = addCard(u"Rex"_s);
        ScheduleBook book(cani(), m_dir->path());
        const qint64 first =
            book.AddEntry(rex, entry(u"Vaccinazione"_s, QDate(2024, 5, 31), 12, u"Richiamo"_s));
        book.AddEntry(rex, entry(u"Visita"_s, QDate(2024, 6, 2), 0, u"visita"_s));
        const QDateTime now(QDate(2024, 5, 1), QTime(9, 0));
        const CalendarExport::Written w =
            CalendarExport::Export(m_dir->path(), ExportFolder::Path(m_dir->path()), now);
        QCOMPARE(w.events, 2);
        QVERIFY(w.path.endsWith(u"/Esportazioni/Scadenze.ics"_s));

        auto uidsOf = [](const QByteArray& text, QStringList* summaries) {
            QStringList uids;
            icalcomponent* calendar = icalparser_parse_string(text.constData());
            for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
                 e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
                uids << QString::fromUtf8(icalcomponent_get_uid(e));
                *summaries << QString::fromUtf8(icalcomponent_get_summary(e));
                const icaltimetype start = icalcomponent_get_dtstart(e);
                if (!start.is_date || icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY))
                    uids << u"not an all-day single event"_s;
                icalcomponent* alarm = icalcomponent_get_first_component(e, ICAL_VALARM_COMPONENT);
                const icaltriggertype trigger =
                    icalproperty_get_trigger(icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY));
                if (icaldurationtype_as_int(trigger.duration) != -86400)
                    uids << u"alarm not the day before"_s;
            }
            icalcomponent_free(calendar);
            return uids;
        };
        QStringList summaries;
        const QStringList uids = uidsOf(TestFiles::ReadFile(w.path), &summaries);
        QCOMPARE(uids.size(), 2);
        QVERIFY(summaries[0].contains(u"Vaccinazione: Richiamo"_s) && summaries[0].contains(u"Rex"_s));
        QCOMPARE(summaries[1],
                 u"Visita \u2013 Rex (Cani)"_s); // a description that repeats the type is not repeated

        book.MarkDone(first, QDate(2024, 5, 30));
        CalendarExport::Export(m_dir->path(), ExportFolder::Path(m_dir->path()), now.addDays(1));
        QStringList after;
        QCOMPARE(uidsOf(TestFiles::ReadFile(w.path), &after), QStringList({uids[1], uids[0]}));
        QCOMPARE(QDir(m_dir->path() + u"/Esportazioni"_s).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestScheduleCore)
#include "tst_schedulecore.moc"
