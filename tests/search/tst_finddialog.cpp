// SPDX-License-Identifier: GPL-3.0-or-later
// The find dialog as the user works it, through the real screens.
#include "SearchTestSupport.h"
#include "card/ui/RecordCard.h"
#include "kit/Colours.h"
#include "kit/Placeholders.h"
#include "search/ResultListPrinter.h"
#include "search/ShortDateFormat.h"
#include "search/ui/FindDialog.h"
#include "support/ProgramFixture.h"
#include "support/TestFiles.h"
#include "support/TestGui.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::Literals::StringLiterals;

class TestFindDialog : public QObject, ProgramFixture
{
    Q_OBJECT

    FindDialog* m_find = nullptr;
    RecordCard* m_card = nullptr;

    template <typename T = QWidget> T* find(const QString& name) { return child<T>(m_find, name); }
    void click(const QString& name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    QLineEdit* edit(const QString& name) { return find<QLineEdit>(name); }
    QComboBox* criterion() { return find<QComboBox>(u"cboCriterio"_s); }
    QListView* list() { return find<QListView>(u"lstRecords"_s); }
    QStringList lines() { return ListLines(list()); }
    QString count() { return find<QLabel>(u"LabelCount"_s)->text(); }
    bool searchEnabled() { return find(u"btnPopola"_s)->isEnabled(); }

    void open() { showExposed(m_find); }
    void chooseCriterion(const QString& entry)
    {
        const int index = criterion()->findText(entry);
        QVERIFY2(index >= 0, qPrintable(entry));
        // As the user chooses from the open list, even the entry already shown.
        criterion()->showPopup();
        QAbstractItemView* popup = criterion()->view();
        QTRY_VERIFY(popup->isVisible());
        popup->setCurrentIndex(popup->model()->index(index, 0));
        QTest::keyClick(popup, Qt::Key_Return);
        QTRY_VERIFY(!popup->isVisible());
        QCOMPARE(criterion()->currentText(), entry);
    }
    // Types key into the search key (replacing it), chooses the criterion, which enables the search even
    // with an empty key, and runs "Cerca in archivio".
    void search(const QString& key, const QString& entry = u"Nome"_s)
    {
        edit(u"txtCriterio"_s)->clear();
        edit(u"txtCriterio"_s)->insert(key); // as typed or pasted (any character)
        chooseCriterion(entry);
        click(u"btnPopola"_s);
        QCoreApplication::processEvents(); // the list lays its rows out
    }
    void findInList(const QString& key)
    {
        edit(u"txtTrova"_s)->setText(key);
        click(u"btnTrova"_s);
    }
    int selected() { return m_find->SelectedLine(); }
    QString selectedName() { return selected() < 0 ? QString() : lines().at(selected()).left(30).trimmed(); }
    // The names at the start of the lines, in the list's order.
    QStringList names()
    {
        QStringList n;
        for (const QString& line : lines())
            n << line.left(30).trimmed();
        return n;
    }
    void addHorses()
    {
        // In the archive's order: not the list's.
        m_archive->AddTexts(1, {{u"varNome"_s, u"Zefiro"_s}, {u"varSesso"_s, u"Maschio"_s}});
        m_archive->AddTexts(2, {{u"varNome"_s, u"Rex"_s}, {u"varSesso"_s, u"Femmina"_s}});
        m_archive->AddTexts(3, {{u"varNome"_s, u"bucefalo"_s}, {u"varSesso"_s, u"Castrone"_s}});
        m_archive->AddTexts(4, {{u"varNome"_s, u"REX secondo"_s}, {u"varRazza"_s, u"Arabo"_s}});
        m_archive->AddTexts(5, {{u"varNome"_s, u"Àrgo"_s}, {u"varPrezzo"_s, u"€ 1.200"_s}});
        m_archive->AddTexts(6, {{u"varNome"_s, u"Pietà"_s}});
    }

private slots:
    void init()
    {
        ShortDateFormat::Reset();
        startProgram();
        m_card = m_screens->Card(TestArchive::Category());
        m_find = screenNamed<FindDialog>(u"TfrmTrovaAmici"_s);
        QVERIFY(m_find);
    }
    void cleanup()
    {
        stopProgram();
        QCOMPARE(static_cast<CodazzurraApplication*>(qApp)->LastResortFailures(), 0);
    }

    void everyArchive_hasItsDialog()
    {
        QMap<QString, QStringList> criteria;
        for (QWidget* w : m_screens->All()) {
            if (auto* f = qobject_cast<FindDialog*>(w)) {
                QCOMPARE(f->windowTitle(), u" Trova scheda in archivio"_s);
                QStringList entries;
                auto* combo = f->findChild<QComboBox*>(u"cboCriterio"_s);
                for (int i = 0; i < combo->count(); ++i)
                    entries << combo->itemText(i);
                criteria[f->objectName()] = entries;
            }
        }
        QCOMPARE(criteria.size(), 10);
        const QStringList birds = criteria.value(u"TfrmTrovaRicorrenze"_s);
        QCOMPARE(birds.size(), 28);
        QCOMPARE(birds.at(0), u"Nome"_s);
        QCOMPARE(birds.at(11), u"Colore piumaggio"_s);
        QCOMPARE(birds.at(12), u"Tipologia piume"_s);
        QCOMPARE(birds.at(25), u"Specialit\u00e0"_s);
        QCOMPARE(birds.at(27), u"Didascalia"_s);
        QCOMPARE(criteria.value(u"TfrmTrovaAmici"_s).at(11), u"Colore mantello"_s);
    }

    void opening_showsTheControlsAsLaidOut()
    {
        open();
        QCOMPARE(m_find->size(), QSize(783, 505));
        QCOMPARE(m_find->minimumSize(), m_find->maximumSize());
        QVERIFY(m_find->isModal());
        QCOMPARE(m_find->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(find(u"grpCriterio"_s)->size(), QSize(745, 181));
        QCOMPARE(find(u"grpLista"_s)->size(), QSize(745, 245));
        const QMap<QString, QString> texts = {
            {u"lblInfo03"_s, u"Criterio di ricerca:"_s},
            {u"lblInfo01"_s,
             u"Inserire una o pi\u00f9 parole consecutive presenti nella scheda e premere il pulsante Cerca in "
             "archivio."_s},
            {u"lblChiave"_s, u"Chiave di ricerca:"_s},
            {u"lblInfo02"_s,
             u"Per selezionare una voce in elenco, immettere una chiave di ricerca e fare clic su Trova."_s},
            {u"lblInfo04"_s,
             u"Per spostarsi sulla voce successiva contenente la stessa chiave di ricerca, fare di nuovo clic "
             "su Trova."_s},
            {u"lblInfo05"_s, u"Per richiamare i dati di una scheda, selezionarla con un doppio clic."_s},
            {u"LabelCount"_s, u"Totale schede : 0"_s}};
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            auto* label = find<QLabel>(it.key());
            QCOMPARE(label->text(), it.value());
            // No text is cut: each fits the label it is drawn in.
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(it.key()));
        }
        QCOMPARE(find<QLabel>(u"LabelCount"_s)->palette().color(QPalette::WindowText), QColor(Qt::white));
        const QMap<QString, QString> buttons = {{u"btnPopola"_s, u"Cerca in archivio"_s},
                                                {u"btnTrova"_s, u"Trova"_s},
                                                {u"btnStampa"_s, u"Stampa"_s},
                                                {u"btnChiudi"_s, u"Chiudi"_s}};
        for (auto it = buttons.begin(); it != buttons.end(); ++it) {
            auto* button = find<QPushButton>(it.key());
            QCOMPARE(button->text(), it.value());
            QVERIFY(!button->autoDefault() && !button->isDefault());
            QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) < button->width() - 8);
        }
        QVERIFY(!searchEnabled()); // until a key is typed or a criterion chosen
        QVERIFY(find(u"imgLente"_s)->parentWidget()->objectName() == u"shpTrova"_s);
        QVERIFY(find(u"imgChiave"_s)->parentWidget()->objectName() == u"shpChiave"_s);

        // The criterion list: chosen, never typed; "Nome" first.
        QVERIFY(!criterion()->isEditable());
        QCOMPARE(criterion()->currentText(), u"Nome"_s);
        QCOMPARE(criterion()->count(), 28);
        QCOMPARE(criterion()->font().pixelSize(), 13);
        QCOMPARE(edit(u"txtCriterio"_s)->font().pixelSize(), 13);
        QCOMPARE(edit(u"txtCriterio"_s)->maxLength(), std::numeric_limits<int>::max());
        QCOMPARE(edit(u"txtTrova"_s)->maxLength(), std::numeric_limits<int>::max());

        // Tab: the key first; the criterion list and the two bottom buttons are skipped.
        QCOMPARE(QApplication::focusWidget(), edit(u"txtCriterio"_s));
        QStringList tabbed;
        for (int i = 0; i < 6; ++i) {
            tabbed << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(tabbed, (QStringList{u"txtCriterio"_s, u"txtTrova"_s, u"btnTrova"_s, u"lstRecords"_s,
                                      u"txtCriterio"_s, u"txtTrova"_s})); // btnPopola is disabled
        for (const QString& name : {u"cboCriterio"_s, u"btnStampa"_s, u"btnChiudi"_s})
            QCOMPARE(find(name)->focusPolicy(), Qt::ClickFocus);

        // Focus colours of the two keys and of the criterion list.
        for (const QString& name : {u"txtCriterio"_s, u"txtTrova"_s, u"cboCriterio"_s}) {
            QWidget* w = find(name);
            w->setFocus();
            QCOMPARE(w->palette().color(QPalette::Base), Kit::FocusYellow);
            find(u"lstRecords"_s)->setFocus();
            QCOMPARE(w->palette().color(QPalette::Base), Kit::MoneyGreen);
        }

        // The list: Courier New 8 pt, 14-pixel rows on money green, scrolling to 1500 pixels.
        addHorses();
        search(QString(), u"Razza"_s);
        QCOMPARE(list()->font().pixelSize(), 11);
        QCOMPARE(list()->visualRect(list()->model()->index(1, 0)).height(), 14);
        QCOMPARE(list()->horizontalScrollBar()->maximum(), 1500 - list()->viewport()->width());
        const QImage shot = list()->viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(600, 14 + 7), Kit::MoneyGreen);            // a row, past its text
        QCOMPARE(shot.pixelColor(600, shot.height() - 2), Kit::MoneyGreen); // below the rows
        QCOMPARE(shot.pixelColor(0, 7), Kit::MoneyGreen);                   // the 2 pixels before the text
        m_find->SelectLine(2);
        const QImage selectedShot = list()->viewport()->grab().toImage();
        QCOMPARE(selectedShot.pixelColor(600, 2 * 14 + 7),
                 list()->palette().color(QPalette::Active, QPalette::Highlight));
        QCOMPARE(selectedShot.pixelColor(600, 1 * 14 + 7), Kit::MoneyGreen);
    }

    void searchButton_followsTheKeyAndTheCriterion()
    {
        open();
        QVERIFY(!searchEnabled());
        QTest::keyClicks(edit(u"txtCriterio"_s), u" "_s); // a blank counts
        QVERIFY(searchEnabled());
        QTest::keyClick(edit(u"txtCriterio"_s), Qt::Key_Backspace);
        QVERIFY(!searchEnabled());
        // Choosing a criterion enables the search even with an empty key, which lists every card.
        chooseCriterion(u"Razza"_s);
        QVERIFY(searchEnabled());
        addHorses();
        click(u"btnPopola"_s);
        QCOMPARE(count(), u"Totale schede : 6"_s);

        // The criterion, the key and the button's state stay from one showing to the next; the list, the
        // in-list key and the count do not.
        QTest::keyClicks(edit(u"txtCriterio"_s), u"x"_s);
        edit(u"txtTrova"_s)->setText(u"rex"_s);
        QTest::keyClick(m_find, Qt::Key_Escape);
        QVERIFY(!m_find->isVisible());
        open();
        QCOMPARE(criterion()->currentText(), u"Razza"_s);
        QCOMPARE(edit(u"txtCriterio"_s)->text(), u"x"_s);
        QVERIFY(searchEnabled());
        QCOMPARE(lines(), QStringList());
        QCOMPARE(count(), u"Totale schede : 0"_s);
        QCOMPARE(edit(u"txtTrova"_s)->text(), QString());
    }

    void search_listsSortedMatchesOfTheChosenField()
    {
        addHorses();
        open();
        // An empty key (only blanks here) lists every card, sorted by the whole line whatever the case.
        search(u"   "_s);
        QCOMPARE(names(), (QStringList{u"Àrgo"_s, u"bucefalo"_s, u"Pietà"_s, u"Rex"_s, u"REX secondo"_s,
                                       u"Zefiro"_s}));
        QCOMPARE(count(), u"Totale schede : 6"_s);
        QCOMPARE(lines().at(4), u"REX secondo"_s.leftJustified(30) + u"  Razza: "_s +
                                    u"Arabo"_s.leftJustified(30) + u"  "_s + QString(7, u' ') +
                                    u"  Nato il "_s + QString(18, u' ') + u"  Tel. "_s + QString(15, u' ') +
                                    u"  Prezzo: "_s);
        QCOMPARE(lines().at(0).mid(138), u"\u20ac 1.200"_s);
        // Letters A to Z match in either case.
        search(u"rex"_s);
        QCOMPARE(names(), (QStringList{u"Rex"_s, u"REX secondo"_s}));
        QCOMPARE(count(), u"Totale schede : 2"_s);
        // Other letters only themselves, byte for byte: no match across accents or cases.
        search(u"\u00e0"_s);
        QCOMPARE(names(), QStringList{u"Pietà"_s});
        search(u"\u00c0"_s);
        QCOMPARE(names(), QStringList{u"Àrgo"_s});
        // Another criterion searches its own field: m is in both Maschio and Femmina.
        search(u"m"_s, u"Sesso"_s);
        QCOMPARE(names(), (QStringList{u"Rex"_s, u"Zefiro"_s}));
        // Nothing found: an empty list, a zero count, no message.
        search(u"nessuno"_s);
        QCOMPARE(lines(), QStringList());
        QCOMPARE(count(), u"Totale schede : 0"_s);
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void search_takesAnyKeyAsText_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("double quote") << u"\"Rex"_s << QStringList{u"il \"Rex\""_s};
        QTest::newRow("double quotes and OR") << u"\" OR \"\"=\""_s << QStringList{};
        QTest::newRow("apostrophe") << u"D'Artagnan"_s << QStringList{u"D'Artagnan"_s};
        QTest::newRow("statement") << u"x\"; DROP TABLE amici; --"_s << QStringList{};
        QTest::newRow("semicolon") << u";"_s << QStringList{u"uno;due"_s};
        QTest::newRow("percent is a wildcard") << u"50%"_s << QStringList{u"50 e lode"_s, u"50%"_s};
        QTest::newRow("underscore is a wildcard") << u"a_b"_s << QStringList{u"a_b"_s, u"axb"_s};
        QTest::newRow("backslash") << u"\\"_s << QStringList{u"C:\\cavalli"_s};
        QTest::newRow("accented") << u"perch\u00e9"_s << QStringList{u"Perch\u00e9"_s};
        QTest::newRow("outside Windows-1252") << u"Rex \u4e2d"_s << QStringList{};
        QTest::newRow("emoji") << u"\U0001F40E"_s << QStringList{};
        QTest::newRow("1,000 characters") << QString(1000, u'x') << QStringList{QString(1000, u'x')};
    }

    void search_takesAnyKeyAsText()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, expected);
        const QStringList stored{u"il \"Rex\""_s,  u"D'Artagnan"_s, u"uno;due"_s,       u"50 e lode"_s,
                                 u"50%"_s,         u"a_b"_s,        u"axb"_s,           u"C:\\cavalli"_s,
                                 u"Perch\u00e9"_s, u"Pietà"_s,      QString(1000, u'x')};
        for (int i = 0; i < stored.size(); ++i)
            m_archive->AddNamed(i + 1, stored.at(i));
        open();
        search(key);
        QStringList found;
        // The lines cut names to 30 characters; the cards are told by the line's first characters.
        for (const QString& line : lines()) {
            for (const QString& name : stored) {
                if (line.startsWith(name.left(30).leftJustified(30)))
                    found << name;
            }
        }
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
        QCOMPARE(count(), u"Totale schede : %1"_s.arg(expected.size()));
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(edit(u"txtCriterio"_s)->text(), key); // as typed
        QVERIFY(m_archive->HasTable());
    }

    void search_createsAMissingTableAndReportsAnUnreadableFile()
    {
        // A file without the table: the search creates it and finds nothing.
        m_archive->AddNamed(1, u"Rex"_s);
        open();
        m_archive->DropTable();
        search(QString());
        QCOMPARE(count(), u"Totale schede : 0"_s);
        QVERIFY(m_archive->HasTable());
        QVERIFY(m_desktop->messages.isEmpty());

        // A file that cannot be opened: the default error box, an empty list, the dialog open.
        m_archive->AddNamed(2, u"Rex"_s);
        search(QString());
        QCOMPARE(lines().size(), 1);
        m_archive->Block();
        search(QString());
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QCOMPARE(lines(), QStringList());
        QCOMPARE(count(), u"Totale schede : 0"_s);
        QVERIFY(m_find->isVisible());
        // Closing it then is not reported either.
        QTest::keyClick(m_find, Qt::Key_Escape);
        QVERIFY(!m_find->isVisible());
        QCOMPARE(m_desktop->messages.size(), 1);
        m_archive->Unblock();
    }

    void findInList_movesThroughTheMatches()
    {
        open();
        findInList(u"rex"_s);
        QCOMPARE(m_desktop->lastText(), u"Ricerca non applicabile: la lista non contiene nessuna voce."_s);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::None);

        const QStringList horses{u"Alfa"_s, u"Bravo rex"_s, u"Charlie"_s, u"Delta rex"_s, u"Echo"_s};
        for (int i = 0; i < horses.size(); ++i)
            m_archive->AddNamed(i + 1, horses.at(i));
        search(QString());
        // A new key selects its first match from the top, whatever is selected.
        m_find->SelectLine(4);
        findInList(u"REX"_s);
        QCOMPARE(selectedName(), u"Bravo rex"_s);
        // The same key again moves on below the selection and wraps to the top.
        findInList(u"REX"_s);
        QCOMPARE(selectedName(), u"Delta rex"_s);
        findInList(u"rex"_s); // the remembered key is lower-cased: still the same key
        QCOMPARE(selectedName(), u"Bravo rex"_s);
        // A key that matches nothing leaves the selection; an empty key matches nothing.
        findInList(u"zulu"_s);
        QCOMPARE(selectedName(), u"Bravo rex"_s);
        findInList(QString());
        QCOMPARE(selectedName(), u"Bravo rex"_s);
        // With one match, repeated clicks keep it.
        findInList(u"echo"_s);
        findInList(u"echo"_s);
        QCOMPARE(selectedName(), u"Echo"_s);

        // The remembered key survives a new search in the same showing: the first click with it does not
        // test the first line first.
        findInList(u"a"_s);
        QCOMPARE(selectedName(), u"Alfa"_s);
        search(QString());
        findInList(u"a"_s);
        QCOMPARE(selectedName(), u"Bravo rex"_s);
        // Reopening forgets it: the same key starts from the top again.
        QTest::keyClick(m_find, Qt::Key_Escape);
        open();
        search(QString());
        findInList(u"a"_s);
        QCOMPARE(selectedName(), u"Alfa"_s);
        QCOMPARE(m_desktop->messages.size(), 1);
    }

    void enter_neitherSearchesNorPressesAButton()
    {
        m_archive->AddNamed(1, u"Rex"_s);
        m_archive->AddNamed(2, u"Rex bis"_s);
        open();
        QTest::keyClicks(edit(u"txtCriterio"_s), u"rex"_s);
        QTest::keyClick(edit(u"txtCriterio"_s), Qt::Key_Return);
        QTest::keyClick(edit(u"txtCriterio"_s), Qt::Key_Enter);
        QCOMPARE(lines(), QStringList());
        QVERIFY(m_find->isVisible());
        QCOMPARE(QApplication::focusWidget(), edit(u"txtCriterio"_s));
        criterion()->setFocus();
        QTest::keyClick(criterion(), Qt::Key_Return);
        QCOMPARE(lines(), QStringList());
        QCOMPARE(criterion()->currentText(), u"Nome"_s);

        click(u"btnPopola"_s);
        QCOMPARE(lines().size(), 2);
        edit(u"txtTrova"_s)->setFocus();
        QTest::keyClicks(edit(u"txtTrova"_s), u"bis"_s);
        QTest::keyClick(edit(u"txtTrova"_s), Qt::Key_Return);
        QCOMPARE(selected(), -1);
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Return);
        QVERIFY(m_find->isVisible());
        QCOMPARE(m_card->CurrentCardId(), QString());
        QVERIFY(m_desktop->messages.isEmpty() && m_desktop->questions.isEmpty());
        // Enter on a focused button presses it, as everywhere in the program.
        find(u"btnTrova"_s)->setFocus();
        QTest::keyClick(find(u"btnTrova"_s), Qt::Key_Return);
        QCOMPARE(selectedName(), u"Rex bis"_s);
    }

    void doubleClick_showsTheCardOnTheRecordCardAndCloses()
    {
        m_card->show();
        m_archive->AddTexts(
            7, {{u"varNome"_s, u"Fulmine"_s}, {u"varRazza"_s, u"Arabo"_s}, {u"varNote"_s, u"nota"_s}},
            TestFiles::MakeJpeg(QSize(40, 30)));
        m_archive->AddNamed(4294967301, u"Grande"_s);
        open();
        search(QString());
        QCOMPARE(names(), (QStringList{u"Fulmine"_s, u"Grande"_s}));
        DoubleClickRow(list(), 0);
        QVERIFY(!m_find->isVisible());
        QCOMPARE(m_card->CurrentCardId(), u"7"_s);
        QCOMPARE(m_card->Value(CardFields::Razza), u"Arabo"_s);
        QCOMPARE(m_card->Value(CardFields::Note), u"nota"_s);
        QVERIFY(m_card->PreviewHasPicture());
        // An identifier beyond 32 bits, and a card without a photo: the placeholder.
        open();
        search(QString());
        DoubleClickRow(list(), 1);
        QVERIFY(!m_find->isVisible());
        QCOMPARE(m_card->CurrentCardId(), u"4294967301"_s);
        QCOMPARE(m_card->PreviewBytes(), Placeholders::Card().bytes);
        QVERIFY(m_desktop->messages.isEmpty());

        // A photo that cannot be decoded: the card is shown with the placeholder and one warning, and the
        // dialog closes as usual.
        m_archive->AddTexts(8, {{u"varNome"_s, u"Guasto"_s}}, "not a JPEG at all");
        open();
        search(u"Guasto"_s);
        DoubleClickRow(list(), 0);
        QVERIFY(!m_find->isVisible());
        QCOMPARE(m_card->CurrentCardId(), u"8"_s);
        QCOMPARE(m_card->PreviewBytes(), Placeholders::Card().bytes);
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Warning);
    }

    void doubleClick_identicalLinesShowTheirOwnCards()
    {
        m_card->show();
        // Names of 35 characters are cut to 30 in the list: these two lines are the same.
        m_archive->AddTexts(
            3, {{u"varNome"_s, u"Purosangue da corsa del Tirreno 35"_s}, {u"varNote"_s, u"primo"_s}});
        m_archive->AddTexts(
            9, {{u"varNome"_s, u"Purosangue da corsa del Tirreno 99"_s}, {u"varNote"_s, u"secondo"_s}});
        m_archive->AddNamed(5, u"Altro"_s);
        open();
        search(u"Tirreno 99"_s);
        QCOMPARE(lines().size(), 1);
        QCOMPARE(lines().at(0).left(32), u"Purosangue da corsa del Tirren  "_s);
        DoubleClickRow(list(), 0);
        QCOMPARE(m_card->CurrentCardId(), u"9"_s); // the only card the search found, though cut
        open();
        search(u"Tirreno"_s);
        QCOMPARE(lines().size(), 2);
        QCOMPARE(lines().at(0), lines().at(1));
        DoubleClickRow(list(), 1);
        QCOMPARE(m_card->CurrentCardId(), u"9"_s);
        QCOMPARE(m_card->Value(CardFields::Note), u"secondo"_s);
        // The other card of the same line, deleted meanwhile, does not stand in the way.
        open();
        search(u"Tirreno"_s);
        m_archive->Remove(3);
        DoubleClickRow(list(), 1);
        QCOMPARE(m_card->CurrentCardId(), u"9"_s);
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void doubleClick_aCardDeletedMeanwhileOrUnreadableKeepsTheDialogOpen()
    {
        m_card->show();
        m_archive->AddNamed(1, u"Rex"_s);
        m_archive->AddNamed(2, u"Zefiro"_s);
        open();
        search(QString());
        // Nothing selected: nothing happens.
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, QPoint(5, 14 * 5));
        QVERIFY(m_find->isVisible());

        // Deleted by another copy of the program since the search.
        m_archive->Remove(1);
        DoubleClickRow(list(), 0);
        QVERIFY(m_find->isVisible());
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->lastText(), u"La scheda selezionata non \u00e8 pi\u00f9 presente in archivio."_s);
        QCOMPARE(m_card->CurrentCardId(), QString());

        // The card cannot be read (its table is gone): the default error box; the card is unchanged.
        m_archive->DropTable();
        DoubleClickRow(list(), 1);
        QVERIFY(m_find->isVisible());
        QCOMPARE(m_desktop->messages.size(), 2);
        QCOMPARE(m_desktop->messages[1].icon, Desktop::Icon::Stop);
        QVERIFY(m_desktop->messages[1].text.contains(u"amici"_s));
        QCOMPARE(m_card->CurrentCardId(), QString());
        m_archive->AddNamed(2, u"Zefiro"_s);
        DoubleClickRow(list(), 1);
        QVERIFY(!m_find->isVisible());
        QCOMPARE(m_card->CurrentCardId(), u"2"_s);
    }

    void closing_reopensTheArchiveOnTheFirstCard_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc") << u"esc"_s;
        QTest::newRow("Chiudi") << u"chiudi"_s;
        QTest::newRow("close box") << u"close"_s;
        QTest::newRow("chosen card") << u"card"_s;
    }

    void closing_reopensTheArchiveOnTheFirstCard()
    {
        QFETCH(QString, how);
        m_archive->AddNamed(4, u"Quarto"_s);
        m_archive->AddNamed(8, u"Ottavo"_s);
        open();
        search(u"Ottavo"_s);
        const TSQLiteDatabase* searched = TestArchive::FileStore(m_find->Store()).Database();
        QVERIFY(!TestArchive::FileStore(m_find->Store()).Cursor()); // the search keeps no rows but the list's
        if (how == u"esc"_s)
            QTest::keyClick(list(), Qt::Key_Escape);
        else if (how == u"chiudi"_s)
            click(u"btnChiudi"_s);
        else if (how == u"close"_s)
            m_find->close();
        else
            DoubleClickRow(list(), 0);
        QVERIFY(!m_find->isVisible());
        // A new connection, holding the first card.
        QVERIFY(TestArchive::FileStore(m_find->Store()).Database() != searched);
        TSQLiteTable* first = TestArchive::FileStore(m_find->Store()).Cursor();
        QVERIFY(first && first->RowCount() == 1);
        QCOMPARE(first->IntegerValue(first->ColumnIndexOf(u"ID"_s)), 4);
        // The list keeps its lines until the next showing.
        QCOMPARE(lines().size(), 1);
    }

    void print_confirmsThenPrintsEveryLineOnPages()
    {
        open();
        click(u"btnStampa"_s);
        QCOMPARE(m_desktop->lastText(),
                 u"Operazione di stampa non applicabile: la lista non contiene nessuna voce."_s);
        QVERIFY(m_desktop->questions.isEmpty());
        QCOMPARE(m_desktop->printJobs, 0);

        // 70 lines: three pages at 600 dpi on A4 landscape.
        for (int i = 0; i < 70; ++i)
            m_archive->AddTexts(i + 1, {{u"varNome"_s, u"Cavallo %1"_s.arg(i, 2, 10, QLatin1Char('0'))},
                                        {u"varPrezzo"_s, u"\u20ac %1"_s.arg(i)}});
        search(QString());
        m_desktop->clear();
        click(u"btnStampa"_s); // No
        QCOMPARE(m_desktop->questions.size(), 1);
        QCOMPARE(m_desktop->questions[0].title, u"Conferma operazione di stampa"_s);
        QCOMPARE(m_desktop->questions[0].text, u"Si vuole stampare l'elenco corrente?"_s);
        QCOMPARE(m_desktop->questions[0].icon, Desktop::Icon::None);
        QCOMPARE(m_desktop->printJobs, 0);

        m_desktop->answers = {true};
        click(u"btnStampa"_s);
        QCOMPARE(m_desktop->printJobs, 1);
        QCOMPARE(m_desktop->cursorAtPrinting, Qt::WaitCursor);
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(m_desktop->messages.isEmpty());

        const std::vector<PdfWord> words = PdfWords(m_desktop->printerPdf);
        QVERIFY2(!words.empty(), "pdftotext found no text");
        QCOMPARE(words.back().page, 2);
        // At 600 dpi a device pixel is 0.12 point; every text starts 150 pixels in, y is its top.
        auto near = [](double points, int pixels) { return std::abs(points - pixels * 72.0 / 600) < 0.15; };
        auto word = [&](const QString& text, int page) -> const PdfWord* {
            for (const PdfWord& w : words) {
                if (w.text == text && w.page == page)
                    return &w;
            }
            return nullptr;
        };
        const PdfWord* dash = word(u"-----------------------"_s, 0);
        QVERIFY(dash && near(dash->x, 150) && near(dash->y, 234));
        QVERIFY(word(u"Archivio"_s, 0) && near(word(u"Archivio"_s, 0)->y, 334));
        QVERIFY(word(u"00"_s, 0) && near(word(u"00"_s, 0)->y, 635));
        QVERIFY(word(u"31"_s, 1) && near(word(u"31"_s, 1)->y, 134)); // the heading is not repeated
        QVERIFY(!word(u"Archivio"_s, 1));
        const QString text = PdfText(words);
        QVERIFY(text.startsWith(u"----------------------- Archivio anagrafico cavalli -----------------------"
                                " Cavallo 00 Razza: Nato il Tel. Prezzo: \u20ac 0 Cavallo 01"_s));
        // The footer with the day in the program's short date format, set when the dialog was shown.
        QVERIFY2(
            text.endsWith(u"Cavallo 69 Razza: Nato il Tel. Prezzo: \u20ac 69 ____________________ Stampa "
                          "eseguita in data 01/02/2024 alle ore "_s +
                          PrintedTime(QTime(10, 11, 12), QLocale::system())),
            qPrintable(text.right(120)));
    }

    void print_aFailingJobIsReportedAfterTheCursorIsBack()
    {
        m_archive->AddNamed(1, u"Rex"_s);
        open();
        search(QString());
        m_desktop->printJobFails = true;
        m_desktop->answers = {true};
        bool busyWhileShown = true;
        m_desktop->whileShown = [&](const FakeDesktop::Shown&) {
            busyWhileShown = QGuiApplication::overrideCursor() != nullptr;
        };
        click(u"btnStampa"_s);
        QCOMPARE(m_desktop->cursorAtPrinting, Qt::WaitCursor);
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QCOMPARE(m_desktop->lastText(), u"Stampa non riuscita: l'elenco non \u00e8 stato stampato."_s);
        QVERIFY(!busyWhileShown);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void print_withoutAPrinterOffersAPdfFile()
    {
        m_archive->AddNamed(1, u"Rex"_s);
        open();
        search(QString());
        m_desktop->hasPrinter = false;

        // Declined: nothing is written.
        m_desktop->answers = {true, false};
        click(u"btnStampa"_s);
        QCOMPARE(m_desktop->questions.size(), 2);
        QCOMPARE(m_desktop->questions[1].text,
                 u"Non \u00e8 installata nessuna stampante. Si vuole salvare l'elenco in un file PDF?"_s);
        QVERIFY(m_desktop->chooserTitles.isEmpty());
        QVERIFY(m_desktop->pdfFiles.isEmpty());
        QVERIFY(m_desktop->messages.isEmpty());

        // Accepted: the chooser asks for a PDF file; ".pdf" is added to a name typed without it.
        m_desktop->clear();
        m_desktop->answers = {true, true};
        m_desktop->files = {m_dir->filePath(u"elenco.txt"_s)};
        click(u"btnStampa"_s);
        QCOMPARE(m_desktop->chooserFilters, QStringList{u"Documenti PDF (*.pdf)"_s});
        const QString pdf = m_dir->filePath(u"elenco.txt.pdf"_s);
        QCOMPARE(m_desktop->pdfFiles, QStringList{pdf});
        QCOMPARE(m_desktop->printJobs, 0);
        QVERIFY(PdfText(PdfWords(pdf)).contains(u"Archivio anagrafico cavalli"_s));
        QVERIFY(m_desktop->messages.isEmpty());

        // That file now exists: replacing it is asked first, and No keeps it.
        m_desktop->clear();
        m_desktop->pdfFiles.clear();
        m_desktop->answers = {true, true, false};
        m_desktop->files = {m_dir->filePath(u"elenco.txt"_s)};
        click(u"btnStampa"_s);
        QCOMPARE(m_desktop->questions.size(), 3);
        QVERIFY(m_desktop->questions[2].text.contains(u"esiste gi\u00e0"_s));
        QVERIFY(m_desktop->pdfFiles.isEmpty());

        // A file that cannot be written is reported.
        m_desktop->clear();
        m_desktop->answers = {true, true};
        m_desktop->files = {FakeDesktop::unwritablePath()};
        click(u"btnStampa"_s);
        QCOMPARE(m_desktop->messages.size(), 1);
        QVERIFY(m_desktop->lastText().startsWith(u"Salvataggio non riuscito"_s));
        QVERIFY(!QGuiApplication::overrideCursor());

        // A disk that fills up while the pages are written: reported, and the earlier file stays whole.
        const QByteArray before = TestFiles::ReadFile(pdf);
        m_desktop->clear();
        m_desktop->answers = {true, true};
        m_desktop->files = {pdf};
        {
            TestFiles::FileSizeLimit full(1024);
            click(u"btnStampa"_s);
        }
        QCOMPARE(m_desktop->messages.size(), 1);
        QVERIFY(m_desktop->lastText().startsWith(u"Salvataggio non riuscito"_s));
        QCOMPARE(TestFiles::ReadFile(pdf), before);
        QCOMPARE(QDir(m_dir->path()).entryList({u"elenco*"_s}, QDir::Files | QDir::Hidden),
                 QStringList{u"elenco.txt.pdf"_s});
    }

    void recordCard_opensTheDialogAndTakesTheChosenCard()
    {
        m_archive->AddNamed(1, u"Rex"_s);
        m_archive->AddNamed(2, u"Zefiro"_s);
        m_card->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_card));
        QStringList seen;
        TestGui::WhenModal([&](QWidget* modal) {
            seen << modal->objectName();
            auto* key = modal->findChild<QLineEdit*>(u"txtCriterio"_s);
            QTest::keyClicks(key, u"zef"_s);
            QTest::mouseClick(modal->findChild<QPushButton*>(u"btnPopola"_s), Qt::LeftButton);
            auto* found = modal->findChild<QListView*>(u"lstRecords"_s);
            seen << ListLines(found).value(0).left(6);
            DoubleClickRow(found, 0);
        });
        QTest::mouseClick(m_card->findChild<QWidget*>(u"cmdTrova"_s), Qt::LeftButton);
        QCOMPARE(seen, (QStringList{u"TfrmTrovaAmici"_s, u"Zefiro"_s}));
        QVERIFY(!m_find->isVisible());
        QCOMPARE(m_card->CurrentCardId(), u"2"_s);
        QCOMPARE(m_card->Value(CardFields::Nome), u"Zefiro"_s);
    }
};

PROGRAM_TEST_MAIN(TestFindDialog)
#include "tst_finddialog.moc"
