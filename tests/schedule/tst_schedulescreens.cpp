// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule's screens as a user meets them: the card's schedule and booklet, the reminder window after
// the password and from the start menu, its hand-back of a card, its printed list and the calendar.
#include "app/Screens.h"
#include "card/ui/RecordCard.h"
#include "kit/CommandPicture.h"
#include "program/Settings.h"
#include "schedule/ScheduleBook.h"
#include "schedule/ui/ReminderWindow.h"
#include "schedule/ui/ScheduleScreen.h"
#include "shell/ui/TfrmAvvio.h"
#include "support/FakeDesktop.h"
#include "support/TestFiles.h"
#include "support/TestGui.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestScheduleScreens : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDesktop> m_desktop;
    std::unique_ptr<Screens> m_screens;
    const QDate m_today{2025, 3, 10};

    // A stored card of archive index, with entries due on the given days from today.
    qint64 addAnimal(int archive, const QString& name, std::initializer_list<int> dueInDays)
    {
        const CategoryDescriptor& category = Categories::All[std::size_t(archive)];
        CategoryStore store(category, m_dir->path());
        store.OpenArchive(store.QueryFirst());
        CardValues v;
        v[CardFields::Nome] = name;
        const qint64 id = store.SaveCard(std::nullopt, v, {});
        ScheduleBook book(category, m_dir->path());
        for (int days : dueInDays)
            book.AddEntry(id, {u"Vaccinazione"_s, u"Richiamo %1"_s.arg(days), m_today.addDays(days), 12, {}});
        return id;
    }
    template <typename T> static T* child(QWidget* screen, const QString& name)
    {
        auto* w = screen->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    static void click(QWidget* screen, const QString& name)
    {
        QTest::mouseClick(child<QAbstractButton>(screen, name), Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_desktop = std::make_unique<FakeDesktop>();
        m_desktop->now = QDateTime(m_today, QTime(9, 0));
        m_screens = std::make_unique<Screens>(m_dir->path());
    }
    void cleanup()
    {
        m_screens.reset();
        m_desktop.reset();
        m_dir.reset();
    }

    // Typed dates are checked before anything is stored; an entry is marked done and moves on; the
    // booklet keeps it.
    void scheduleScreen()
    {
        const qint64 rex = addAnimal(0, u"Rex"_s, {-3});
        ScheduleScreen screen(*m_screens, Categories::All[0], rex, u"Rex"_s);
        QCOMPARE(screen.Entries().size(), std::size_t(1));
        auto* list = child<QTableWidget>(&screen, u"tblScadenze"_s);
        QCOMPARE(list->item(0, 0)->background().color(), QColor(255, 196, 196)); // overdue

        click(&screen, u"btnNuova"_s);
        child<QLineEdit>(&screen, u"txtDescrizione"_s)->setText(u"Visita"_s);
        child<QLineEdit>(&screen, u"txtScadenza"_s)->setText(u"31/02/2025"_s);
        click(&screen, u"btnSalva"_s);
        QVERIFY(m_desktop->lastText().contains(u"\u00ab31/02/2025\u00bb non \u00e8 valida"_s));
        QCOMPARE(ScheduleBook(Categories::All[0], m_dir->path()).Entries(rex).size(), std::size_t(1));
        child<QLineEdit>(&screen, u"txtScadenza"_s)->setText(u"31/03/2025"_s);
        child<QSpinBox>(&screen, u"spnRipeti"_s)->setValue(1);
        click(&screen, u"btnSalva"_s);
        QCOMPARE(screen.Entries().size(), std::size_t(2));

        // Done on a chosen day: 31 January plus one month is the last day of February.
        screen.SelectEntry(1);
        child<QLineEdit>(&screen, u"txtData"_s)->setText(u"31/01/2025"_s);
        click(&screen, u"btnEseguita"_s);
        QCOMPARE(screen.Entries().at(0).due, QDate(2025, 2, 28));
        QCOMPARE(screen.Booklet().size(), std::size_t(1));
        child<QLineEdit>(&screen, u"txtData"_s)->setText(u"11/03/2025"_s); // tomorrow
        screen.SelectEntry(0);
        m_desktop->clear();
        click(&screen, u"btnEseguita"_s);
        QVERIFY(m_desktop->lastText().contains(u"successiva a oggi"_s));
        // A due date before the last done one is refused and says so.
        screen.SelectEntry(0);
        child<QLineEdit>(&screen, u"txtScadenza"_s)->setText(u"01/01/2025"_s);
        click(&screen, u"btnSalva"_s);
        QVERIFY(m_desktop->lastText().contains(u"non \u00e8 stata salvata"_s));
        QCOMPARE(screen.Entries().at(0).due, QDate(2025, 2, 28));
        screen.SelectEntry(0);
        click(&screen, u"btnEseguitaOggi"_s);
        QCOMPARE(screen.Booklet().at(0).date, m_today);
        QCOMPARE(screen.Entries().back().due, QDate(2025, 4, 10));

        click(&screen, u"btnSet"_s);
        QVERIFY(m_desktop->lastText().contains(u"non un parere veterinario"_s));
        QVERIFY(screen.Entries().size() > 2);
    }

    // A Scadenze table of another program: the screen says so and writes nothing; the card saves.
    void wrongColumns()
    {
        const qint64 rex = addAnimal(0, u"Rex"_s, {});
        TSQLiteDatabase(m_dir->filePath(u"Cani.db"_s))
            .ExecuteStatement(u"CREATE TABLE Scadenze (Quando TEXT)"_s);
        ScheduleScreen screen(*m_screens, Categories::All[0], rex, u"Rex"_s);
        QVERIFY(m_desktop->lastText().contains(u"non possono essere lette"_s));
        QVERIFY(!child<QPushButton>(&screen, u"btnSalva"_s)->isEnabled());
        RecordCard* card = m_screens->Card(Categories::All[0]);
        card->show();
        card->SetValue(CardFields::Nome, u"Fido"_s);
        m_desktop->clear();
        card->SaveCard();
        QCOMPARE(m_desktop->messages.at(0).title, u"Salvataggio effettuato con successo"_s);
    }

    // The record card's command: refused on a new card, the schedule of the stored card otherwise.
    void fromTheRecordCard()
    {
        const qint64 rex = addAnimal(0, u"Rex"_s, {5});
        RecordCard* card = m_screens->Card(Categories::All[0]);
        card->show();
        auto* command = card->findChild<CommandPicture*>(u"cmdScadenze"_s);
        QTest::mouseClick(command, Qt::LeftButton);
        QVERIFY(m_desktop->lastText().contains(u"salvare prima la scheda"_s));
        card->ShowFirst();
        QCOMPARE(card->CurrentCardId(), QString::number(rex));
        std::size_t shown = 0;
        TestGui::WhenModal([&](QWidget* w) {
            QCOMPARE(w->objectName(), u"TfrmScadenze"_s);
            QVERIFY(w->windowTitle().contains(u"Rex"_s));
            shown = static_cast<ScheduleScreen*>(w)->Entries().size();
            static_cast<QDialog*>(w)->reject();
        });
        QTest::mouseClick(command, Qt::LeftButton);
        QCOMPARE(shown, std::size_t(1));
    }

    // After the password the window lists what is due in every archive, overdue first; a double-click
    // shows the card on its record card; "Non mostrare più oggi" keeps it closed until tomorrow.
    void remindersAfterUnlock()
    {
        addAnimal(0, u"Rex"_s, {3, 40});
        const qint64 micia = addAnimal(1, u"Micia"_s, {-2});
        addAnimal(1, u"Tom"_s, {60});
        ReminderWindow* window = m_screens->Reminders();
        m_screens->Unlocked();
        QVERIFY(m_screens->StartMenu()->isVisible());
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(window->Shown().size(), std::size_t(2));
        auto* list = child<QTableWidget>(window, u"tblPromemoria"_s);
        QCOMPARE(list->item(0, 1)->text(), u"Micia"_s);
        QCOMPARE(list->item(0, 5)->text(), u"2"_s);
        QCOMPARE(list->item(1, 0)->text(), u"Cani"_s);

        // A longer notice period is kept in Codazzurra.ini and lists more.
        window->SetNoticeDays(45);
        QCOMPARE(Settings(m_dir->path()).Number("Scadenze", "Preavviso", 0, 0, 365), 45);
        QCOMPARE(window->Shown().size(), std::size_t(3));

        emit list->cellDoubleClicked(0, 1);
        RecordCard* card = m_screens->Card(Categories::All[1]);
        QVERIFY(card->isVisible());
        QCOMPARE(card->CurrentCardId(), QString::number(micia));
        QVERIFY(!window->isVisible() && !m_screens->StartMenu()->isVisible());
        card->close();

        m_screens->Show(ScreenHost::Screen::Schedule);
        QVERIFY(window->isVisible());
        click(window, u"btnNonOggi"_s);
        QVERIFY(!window->isVisible());
        m_screens->Unlocked();
        QVERIFY(!window->Checking());
        m_desktop->now = m_desktop->now.addDays(1);
        m_screens->Unlocked();
        QTRY_VERIFY(window->isVisible());
    }

    // "Stampa" without a printer saves the list as a PDF file; the calendar goes to Esportazioni.
    void printAndExport()
    {
        addAnimal(0, u"Rex"_s, {1});
        ReminderWindow* window = m_screens->Reminders();
        m_screens->Show(ScreenHost::Screen::Schedule);
        m_desktop->hasPrinter = false;
        m_desktop->answers = {true, true};
        const QString pdf = m_dir->filePath(u"scadenze.pdf"_s);
        m_desktop->files = {pdf};
        click(window, u"btnStampa"_s);
        QVERIFY(TestFiles::ReadFile(pdf).startsWith("%PDF"));
        click(window, u"btnCalendario"_s);
        QVERIFY(m_desktop->lastText().contains(u"con 1 scadenze"_s));
        QVERIFY(QFileInfo::exists(m_dir->filePath(u"Esportazioni/Scadenze.ics"_s)));
    }
};

QTEST_MAIN(TestScheduleScreens)
#include "tst_schedulescreens.moc"
