// SPDX-License-Identifier: GPL-3.0-or-later
// The advanced search as the user works it, through the real screens.
#include "SearchTestSupport.h"
#include "card/ui/RecordCard.h"
#include "kit/Colours.h"
#include "search/ResultListPrinter.h"
#include "search/ShortDateFormat.h"
#include "search/ui/AdvancedSearch.h"
#include "search/ui/FindDialog.h"
#include "support/ProgramFixture.h"
#include "support/TestGui.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList FieldNames{u"txtNome"_s,         u"txtRazza"_s,      u"txtSesso"_s,
                             u"txtProprietario"_s, u"txtMedico"_s,     u"txtProfilo"_s,
                             u"txtAddestratore"_s, u"txtSpecialita"_s, u"txtNote"_s};

} // namespace

class TestAdvancedSearch : public QObject, ProgramFixture
{
    Q_OBJECT

    AdvancedSearch* m_search = nullptr;
    RecordCard* m_card = nullptr;

    template <typename T = QWidget> T* find(const QString& name) { return child<T>(m_search, name); }
    void click(const QString& name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    QLineEdit* edit(const QString& name) { return find<QLineEdit>(name); }
    void type(const QString& field, const QString& text)
    {
        edit(field)->clear();
        edit(field)->insert(text);
    }
    QListView* list() { return find<QListView>(u"lstRecords"_s); }
    QStringList names()
    {
        QStringList n;
        for (const QString& line : ListLines(list()))
            n << line.left(30).trimmed();
        return n;
    }
    QString count() { return find<QLabel>(u"LabelCount"_s)->text(); }
    bool enabled(const QString& name) { return find(name)->isEnabled(); }
    void open(const QString& token = u"amici"_s)
    {
        m_search->SetToken(token);
        showExposed(m_search);
    }
    void findInList(const QString& key)
    {
        edit(u"txtTrova"_s)->setText(key);
        click(u"cmdTrova02"_s);
    }
    QString selectedName()
    {
        const int line = m_search->SelectedLine();
        return line < 0 ? QString() : ListLines(list()).at(line).left(30).trimmed();
    }
    void addHorses()
    {
        m_archive->AddTexts(
            1, {{u"varNome"_s, u"Rex"_s}, {u"varSesso"_s, u"Maschio"_s}, {u"varNote"_s, u"docile"_s}});
        m_archive->AddTexts(2, {{u"varNome"_s, u"rexina"_s}, {u"varSesso"_s, u"Femmina"_s}});
        m_archive->AddTexts(3, {{u"varNome"_s, u"REX"_s}, {u"varSesso"_s, u"Castrone"_s}});
        m_archive->AddTexts(4, {{u"varNome"_s, u"Zefiro"_s},
                                {u"varSesso"_s, u"Maschio"_s},
                                {u"varSpecialita"_s, u"Salto \u00e0 ostacoli"_s}});
    }

private slots:
    void init()
    {
        ShortDateFormat::Reset();
        startProgram();
        m_card = m_screens->Card(TestArchive::Category());
        m_search = screenNamed<AdvancedSearch>(u"TfrmRicercaAmici"_s);
        QVERIFY(m_search);
    }
    void cleanup()
    {
        stopProgram();
        QCOMPARE(static_cast<CodazzurraApplication*>(qApp)->LastResortFailures(), 0);
    }

    void everyArchive_hasItsScreenWithItsHeading()
    {
        QMap<QString, QString> headings;
        for (QWidget* w : m_screens->All()) {
            if (auto* s = qobject_cast<AdvancedSearch*>(w)) {
                QCOMPARE(s->windowTitle(), u" Ricerca avanzata"_s);
                auto* title = s->findChild<QLabel*>(u"lblTitolo"_s);
                headings[s->objectName()] = title->text();
                // Even the longest heading fits its navy box.
                QVERIFY2(title->fontMetrics().horizontalAdvance(title->text()) <= title->width() - 16,
                         qPrintable(title->text()));
            }
        }
        QCOMPARE(headings.size(), 10);
        QCOMPARE(headings.value(u"TfrmRicercaAmici"_s), u"Ricerca cavalli in archivio"_s);
        QCOMPARE(headings.value(u"TfrmRicercaHobby"_s), u"Ricerca altri animali in archivio"_s);
    }

    void opening_showsTheForm()
    {
        open();
        QCOMPARE(m_search->size(), QSize(783, 505));
        QCOMPARE(m_search->minimumSize(), m_search->maximumSize());
        QVERIFY(m_search->isModal());
        QCOMPARE(m_search->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(find(u"grpCriteri"_s)->size(), QSize(749, 441));
        QCOMPARE(find(u"grpElenco"_s)->geometry(), find(u"grpCriteri"_s)->geometry());
        QVERIFY(find(u"grpCriteri"_s)->isVisible() && !find(u"grpElenco"_s)->isVisible());
        QVERIFY(!find(u"LabelCount"_s)->isVisible() && !find(u"lblMemory"_s)->isVisible());
        QVERIFY(!enabled(u"cmdIndietro"_s) && !enabled(u"cmdStampa"_s) && enabled(u"cmdTrova"_s));
        QCOMPARE(QApplication::focusWidget(), edit(u"txtNome"_s));

        auto* title = find<QLabel>(u"lblTitolo"_s);
        QCOMPARE(title->font().pixelSize(), 24);
        QVERIFY(title->font().bold());
        QCOMPARE(title->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(find(u"shpTitolo"_s)->palette().color(QPalette::Window), Kit::Navy);
        const QMap<QString, QString> texts = {
            {u"lblInfo"_s,
             u"Immettere nei campi prescelti una o pi\u00f9 parole consecutive presenti nelle schede"_s},
            {u"lblInfo04"_s, u"degli animali domestici da cercare e premere il pulsante Trova."_s},
            {u"lblInfo05"_s, u"Lasciare in bianco gli altri campi."_s},
            {u"lblInfo06"_s,
             u"Per ogni ricerca \u00e8 possibile utilizzare uno o pi\u00f9 campi contemporaneamente."_s},
            {u"lblInfo03"_s,
             u"Per richiamare i dati di una scheda, selezionare con un doppio clic la voce corrispondente."_s},
            {u"lblCampo01"_s, u"Nome:"_s},
            {u"lblCampo05"_s, u"Medico veterinario:"_s},
            {u"lblCampo06"_s, u"Profilo caratteriale:"_s},
            {u"lblCampo08"_s, u"Specialit\u00e0:"_s},
            {u"lblCampo09"_s, u"Note:"_s}};
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            auto* label = find<QLabel>(it.key());
            QCOMPARE(label->text(), it.value());
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(it.key()));
        }
        // The two long hints of the list wrap within their labels.
        for (const QString& name : {u"lblInfo01"_s, u"lblInfo02"_s}) {
            auto* label = find<QLabel>(name);
            QVERIFY(label->heightForWidth(label->width()) <= label->height());
        }
        QCOMPARE(find<QLabel>(u"lblCampo01"_s)->palette().color(QPalette::WindowText), Kit::Navy);
        QCOMPARE(find<QLabel>(u"lblInfo03"_s)->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        const QMap<QString, QString> buttons = {{u"cmdIndietro"_s, u"<< Indietro"_s},
                                                {u"cmdStampa"_s, u"Stampa"_s},
                                                {u"cmdTrova"_s, u"Trova"_s},
                                                {u"cmdAnnulla"_s, u"Chiudi"_s},
                                                {u"cmdTrova02"_s, u"Cerca"_s}};
        for (auto it = buttons.begin(); it != buttons.end(); ++it) {
            auto* button = find<QPushButton>(it.key());
            QCOMPARE(button->text(), it.value());
            QVERIFY(!button->autoDefault() && !button->isDefault());
            QCOMPARE(button->focusPolicy(), Qt::ClickFocus); // none is reached by Tab
        }
        QCOMPARE(list()->focusPolicy(), Qt::ClickFocus);

        // The nine fields: bold, unlimited, yellow while focused, in Tab order.
        QStringList tabbed;
        for (int i = 0; i < 10; ++i) {
            QWidget* field = QApplication::focusWidget();
            tabbed << field->objectName();
            QCOMPARE(field->palette().color(QPalette::Base), Kit::FocusYellow);
            QTest::keyClick(field, Qt::Key_Tab);
            QCOMPARE(field->palette().color(QPalette::Base), Kit::MoneyGreen);
        }
        QCOMPARE(tabbed, FieldNames + QStringList{u"txtNome"_s});
        for (const QString& name : FieldNames) {
            QVERIFY(edit(name)->font().bold());
            QCOMPARE(edit(name)->maxLength(), std::numeric_limits<int>::max());
        }
    }

    void enter_movesRoundTheFieldsAndNeverSearches()
    {
        addHorses();
        open();
        QStringList visited;
        for (int i = 0; i < 10; ++i) {
            QWidget* field = QApplication::focusWidget();
            visited << field->objectName();
            QTest::keyClicks(field, u"x"_s);
            QTest::keyClick(field, i % 2 ? Qt::Key_Enter : Qt::Key_Return);
        }
        QCOMPARE(visited, FieldNames + QStringList{u"txtNome"_s});
        QVERIFY(!m_search->ShowsList());
        QCOMPARE(edit(u"txtNome"_s)->text(), u"xx"_s);
        QVERIFY(m_desktop->messages.isEmpty());

        // Enter in the in-list key does not find either.
        for (const QString& name : FieldNames)
            edit(name)->clear();
        click(u"cmdTrova"_s);
        QVERIFY(m_search->ShowsList());
        QCOMPARE(QApplication::focusWidget(), edit(u"txtTrova"_s));
        QTest::keyClicks(edit(u"txtTrova"_s), u"zef"_s);
        QTest::keyClick(edit(u"txtTrova"_s), Qt::Key_Return);
        QCOMPARE(m_search->SelectedLine(), -1);
        QVERIFY(m_search->isVisible() && m_search->ShowsList());
    }

    void search_matchesEveryFieldAtOnce()
    {
        addHorses();
        open();
        // All nine fields empty: every card, in the list's order.
        click(u"cmdTrova"_s);
        // (The names Rex and REX sort alike; the lines then differ in the sex, Castrone before Maschio.)
        QCOMPARE(names(), (QStringList{u"REX"_s, u"Rex"_s, u"rexina"_s, u"Zefiro"_s}));
        QCOMPARE(count(), u"Totale schede : 4"_s);
        QVERIFY(find(u"grpElenco"_s)->isVisible() && find(u"LabelCount"_s)->isVisible());
        QVERIFY(!find(u"grpCriteri"_s)->isVisible());
        QVERIFY(!enabled(u"cmdTrova"_s) && enabled(u"cmdIndietro"_s) && enabled(u"cmdStampa"_s));
        QCOMPARE(list()->horizontalScrollBar()->maximum(), 1500 - list()->viewport()->width());

        // Back: the form again with the texts kept, so the search can be refined.
        type(u"txtTrova"_s, u"abc"_s);
        click(u"cmdIndietro"_s);
        QVERIFY(!m_search->ShowsList() && !find(u"LabelCount"_s)->isVisible());
        QVERIFY(!enabled(u"cmdIndietro"_s) && !enabled(u"cmdStampa"_s) && enabled(u"cmdTrova"_s));
        QCOMPARE(QApplication::focusWidget(), edit(u"txtNome"_s));
        QCOMPARE(names(), QStringList());

        // Nome rex and Sesso m: any case of rex, and m in Maschio and Femmina alike.
        type(u"txtNome"_s, u"rex"_s);
        type(u"txtSesso"_s, u"m"_s);
        click(u"cmdTrova"_s);
        QCOMPARE(names(), (QStringList{u"Rex"_s, u"rexina"_s}));
        QCOMPARE(edit(u"txtTrova"_s)->text(), QString()); // emptied for the new list
        click(u"cmdIndietro"_s);
        QCOMPARE(edit(u"txtSesso"_s)->text(), u"m"_s);
        // A field of blanks counts as empty; accented letters match only themselves.
        type(u"txtNome"_s, u"   "_s);
        type(u"txtSesso"_s, QString());
        type(u"txtSpecialita"_s, u"\u00e0 o"_s);
        click(u"cmdTrova"_s);
        QCOMPARE(names(), QStringList{u"Zefiro"_s});
        click(u"cmdIndietro"_s);
        type(u"txtSpecialita"_s, u"\u00c0 o"_s);
        click(u"cmdTrova"_s);
        QCOMPARE(names(), QStringList());
        QCOMPARE(count(), u"Totale schede : 0"_s);
        QVERIFY(m_desktop->messages.isEmpty());

        // Closing and reopening keeps the fields and shows the form again.
        QTest::keyClick(m_search, Qt::Key_Escape);
        QVERIFY(!m_search->isVisible());
        open();
        QVERIFY(!m_search->ShowsList());
        QCOMPARE(edit(u"txtSpecialita"_s)->text(), u"\u00c0 o"_s);
        QCOMPARE(names(), QStringList());
    }

    void search_takesAnyTextAsText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("double quote") << u"txtNome"_s << u"\"Rex"_s << QStringList{u"il \"Rex\""_s};
        QTest::newRow("quote breaking out") << u"txtNote"_s << u"\" OR 1=1 OR \""_s << QStringList{};
        QTest::newRow("apostrophe") << u"txtProprietario"_s << u"D'Amico"_s << QStringList{u"D'Artagnan"_s};
        QTest::newRow("statement") << u"txtRazza"_s << u"\"; DELETE FROM amici; --"_s << QStringList{};
        QTest::newRow("percent") << u"txtNome"_s << u"%"_s
                                 << QStringList{u"il \"Rex\""_s, u"D'Artagnan"_s, u"50%"_s};
        QTest::newRow("underscore") << u"txtNome"_s << u"5_"_s << QStringList{u"50%"_s};
        QTest::newRow("backslash") << u"txtNote"_s << u"\\n"_s << QStringList{u"50%"_s};
        QTest::newRow("outside Windows-1252") << u"txtSesso"_s << u"\u2642"_s << QStringList{};
        QTest::newRow("1,000 characters")
            << u"txtNote"_s << QString(1000, u'y') << QStringList{u"D'Artagnan"_s};
    }

    void search_takesAnyTextAsText()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        m_archive->AddTexts(1, {{u"varNome"_s, u"il \"Rex\""_s}});
        m_archive->AddTexts(2, {{u"varNome"_s, u"D'Artagnan"_s},
                                {u"varProprietario"_s, u"D'Amico"_s},
                                {u"varNote"_s, QString(1001, u'y')}});
        m_archive->AddTexts(3, {{u"varNome"_s, u"50%"_s}, {u"varNote"_s, u"a\\nb"_s}});
        open();
        type(field, text);
        click(u"cmdTrova"_s);
        QStringList found = names();
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(edit(field)->text(), text);
        QVERIFY(m_archive->HasTable());
    }

    void search_onAnArchiveWithoutTableOrUnopenable()
    {
        m_archive->AddNamed(1, u"Rex"_s);
        m_archive->DropTable();
        open();
        click(u"cmdTrova"_s);
        QVERIFY(m_search->ShowsList());
        QCOMPARE(count(), u"Totale schede : 0"_s);
        QVERIFY(m_archive->HasTable());
        // Both commands of an empty list say why they do nothing.
        QVERIFY(enabled(u"cmdStampa"_s));
        click(u"cmdStampa"_s);
        QCOMPARE(m_desktop->lastText(),
                 u"Operazione di stampa non applicabile: la lista non contiene nessuna voce."_s);
        click(u"cmdTrova02"_s);
        QCOMPARE(m_desktop->lastText(), u"Ricerca non applicabile: la lista non contiene nessuna voce."_s);
        QCOMPARE(m_desktop->messages.size(), 2);
        QCOMPARE(m_desktop->messages[1].icon, Desktop::Icon::None);
        QVERIFY(m_desktop->questions.isEmpty());

        // A file that cannot be opened: the default error box, and the form stays with its texts.
        click(u"cmdIndietro"_s);
        type(u"txtNome"_s, u"Rex"_s);
        m_archive->Block();
        click(u"cmdTrova"_s);
        QCOMPARE(m_desktop->messages.size(), 3);
        QCOMPARE(m_desktop->messages[2].icon, Desktop::Icon::Stop);
        QVERIFY(!m_search->ShowsList());
        QVERIFY(enabled(u"cmdTrova"_s) && !enabled(u"cmdStampa"_s));
        QCOMPARE(edit(u"txtNome"_s)->text(), u"Rex"_s);
        // Closing then is not reported.
        click(u"cmdAnnulla"_s);
        QVERIFY(!m_search->isVisible());
        QCOMPARE(m_desktop->messages.size(), 3);
        m_archive->Unblock();
    }

    void findInList_remembersItsKeyForTheWholeRun()
    {
        const QStringList horses{u"Alfa"_s, u"Bravo"_s, u"Charlie"_s};
        for (int i = 0; i < horses.size(); ++i)
            m_archive->AddNamed(i + 1, horses.at(i));
        open();
        click(u"cmdTrova"_s);
        findInList(u"A"_s);
        QCOMPARE(selectedName(), u"Alfa"_s);
        findInList(u"a"_s);
        QCOMPARE(selectedName(), u"Bravo"_s);
        // Closed and reopened, a new search: the same key continues below the first line.
        click(u"cmdAnnulla"_s);
        open();
        click(u"cmdTrova"_s);
        findInList(u"a"_s);
        QCOMPARE(selectedName(), u"Bravo"_s);
        findInList(u"a"_s);
        QCOMPARE(selectedName(), u"Charlie"_s);
        findInList(u"a"_s);
        QCOMPARE(selectedName(), u"Alfa"_s);
    }

    void doubleClick_showsTheCardOnlyForItsOwnToken()
    {
        m_card->show();
        m_archive->AddTexts(6, {{u"varNome"_s, u"Rex"_s}, {u"varNote"_s, u"una nota"_s}});
        m_archive->AddTexts(2, {{u"varNome"_s, u"Rex"_s}, {u"varNote"_s, u"altra"_s}});
        // A token that names another archive (or none): the screen closes, the card is left alone.
        for (const QString& token : {u"famiglia"_s, QString()}) {
            open(token);
            click(u"cmdTrova"_s);
            DoubleClickRow(list(), 0);
            QVERIFY(!m_search->isVisible());
            QCOMPARE(m_card->CurrentCardId(), QString());
        }
        // Its own token, with blanks around it. Of two identical lines each shows its own card.
        open(u"  amici "_s);
        click(u"cmdTrova"_s);
        QCOMPARE(ListLines(list()).at(0), ListLines(list()).at(1));
        DoubleClickRow(list(), 1);
        QVERIFY(!m_search->isVisible());
        QCOMPARE(m_card->CurrentCardId(), u"6"_s);
        QCOMPARE(m_card->Value(CardFields::Note), u"una nota"_s);
        QVERIFY(m_desktop->messages.isEmpty());

        // Deleted meanwhile: said, and the screen stays.
        open();
        click(u"cmdTrova"_s);
        m_archive->Remove(2);
        DoubleClickRow(list(), 0);
        QVERIFY(m_search->isVisible());
        QCOMPARE(m_desktop->lastText(), u"La scheda selezionata non \u00e8 pi\u00f9 presente in archivio."_s);
        QCOMPARE(m_card->CurrentCardId(), u"6"_s);
    }

    void closing_reopensTheArchiveOnTheFirstCard()
    {
        m_archive->AddNamed(5, u"Quinto"_s);
        m_archive->AddNamed(9, u"Nono"_s);
        open();
        QVERIFY(!TestArchive::FileStore(m_search->Store()).Database()); // showing does not open the archive
        click(u"cmdTrova"_s);
        const TSQLiteDatabase* searched = TestArchive::FileStore(m_search->Store()).Database();
        QTest::keyClick(list(), Qt::Key_Escape);
        QVERIFY(!m_search->isVisible());
        QVERIFY(TestArchive::FileStore(m_search->Store()).Database() != searched);
        TSQLiteTable* first = TestArchive::FileStore(m_search->Store()).Cursor();
        QVERIFY(first && first->RowCount() == 1);
        QCOMPARE(first->IntegerValue(first->ColumnIndexOf(u"ID"_s)), 5);
    }

    void print_asksWithTheQuestionIconAndDatesByTheProgramFormat()
    {
        for (int i = 0; i < 3; ++i)
            m_archive->AddNamed(i + 1, u"Cavallo %1"_s.arg(i));
        open();
        click(u"cmdTrova"_s);
        click(u"cmdStampa"_s); // No
        QCOMPARE(m_desktop->questions.size(), 1);
        QCOMPARE(m_desktop->questions[0].title, u"Conferma operazione di stampa"_s);
        QCOMPARE(m_desktop->questions[0].text, u"Si vuole stampare il presente elenco?"_s);
        QCOMPARE(m_desktop->questions[0].icon, Desktop::Icon::Question);
        QCOMPARE(m_desktop->printJobs, 0);

        // Before any find dialog was shown, the date is in the system's short format.
        m_desktop->now = QDateTime(QDate(2024, 3, 7), QTime(8, 9, 10));
        m_desktop->answers = {true};
        click(u"cmdStampa"_s);
        QCOMPARE(m_desktop->cursorAtPrinting, Qt::WaitCursor);
        QString text = PdfText(PdfWords(m_desktop->printerPdf));
        const QString systemDate = QLocale::system().toString(QDate(2024, 3, 7), QLocale::ShortFormat);
        QVERIFY2(
            text.startsWith(u"----------------- Archivio anagrafico cavalli ----------------- Cavallo 0"_s),
            qPrintable(text));
        QVERIFY2(text.endsWith(u"Stampa eseguita in data "_s + systemDate + u" alle ore "_s +
                               PrintedTime(QTime(8, 9, 10), QLocale::system())),
                 qPrintable(text));

        // Once a find dialog of any archive has been shown, dd/MM/yyyy for the rest of the run.
        FindDialog* birds = nullptr;
        for (QWidget* w : m_screens->All()) {
            if (w->objectName() == u"TfrmTrovaRicorrenze"_s)
                birds = qobject_cast<FindDialog*>(w);
        }
        birds->show();
        birds->close();
        m_desktop->answers = {true};
        click(u"cmdStampa"_s);
        text = PdfText(PdfWords(m_desktop->printerPdf));
        QVERIFY2(text.contains(u"Stampa eseguita in data 07/03/2024 alle ore"_s), qPrintable(text));
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void recordCard_givesItsTokenAndTakesTheChosenCard()
    {
        m_archive->AddNamed(1, u"Rex"_s);
        m_archive->AddNamed(2, u"Zefiro"_s);
        m_card->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_card));
        m_search->SetToken(u"altro"_s);
        QStringList seen;
        TestGui::WhenModal([&](QWidget* modal) {
            seen << modal->objectName() << modal->findChild<QLabel*>(u"lblMemory"_s)->text();
            QTest::keyClicks(modal->findChild<QLineEdit*>(u"txtNome"_s), u"zef"_s);
            QTest::mouseClick(modal->findChild<QPushButton*>(u"cmdTrova"_s), Qt::LeftButton);
            DoubleClickRow(modal->findChild<QListView*>(u"lstRecords"_s), 0);
        });
        QTest::mouseClick(m_card->findChild<QWidget*>(u"cmdRicerca"_s), Qt::LeftButton);
        QCOMPARE(seen, (QStringList{u"TfrmRicercaAmici"_s, u"amici"_s}));
        QVERIFY(!m_search->isVisible());
        QCOMPARE(m_card->CurrentCardId(), u"2"_s);
        QCOMPARE(m_card->Value(CardFields::Nome), u"Zefiro"_s);
    }
};

PROGRAM_TEST_MAIN(TestAdvancedSearch)
#include "tst_advancedsearch.moc"
