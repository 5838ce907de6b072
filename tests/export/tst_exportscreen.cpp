// SPDX-License-Identifier: GPL-3.0-or-later
// The export screen as the user works it, through the real screens: loading, drawing, hovering, leaving,
// and the export to a workbook through the real spreadsheet server and through a recording one.
#include "automation/SpreadsheetServer.h"
#include "automation/VariantArray.h"
#include "card/ui/RecordCard.h"
#include "export/ExcelTransfer.h"
#include "export/ExportGrid.h"
#include "export/ui/ExportGridView.h"
#include "export/ui/ExportScreen.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "program/ErrorText.h"
#include "program/MakerInfo.h"
#include "shell/GuideTexts.h"
#include "support/OfficeFiles.h"
#include "support/ProgramFixture.h"
#include "support/RecordingServer.h"
#include "support/TestFiles.h"
#include "support/TestGui.h"

#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString XlsxType = QString(SpreadsheetServer::MimeType);

CardValues card(std::initializer_list<std::pair<int, QString>> fields)
{
    CardValues v;
    for (const auto& [index, text] : fields)
        v[std::size_t(index)] = text;
    return v;
}

} // namespace

class TestExportScreen : public QObject, ProgramFixture
{
    Q_OBJECT

    ExportScreen* m_screen = nullptr;

    const CategoryDescriptor& amici() const { return *Categories::ByKey(u"Amici"_s); }
    QString dbPath() const { return m_dir->filePath(u"Cavalli.db"_s); }
    QString workbookPath(const QString& name = u"Archivio cavalli.xlsx"_s) const
    {
        return QDir(m_dir->filePath(u"Esportazioni"_s)).filePath(name);
    }
    template <typename T = QWidget> T* find(const QString& name) { return child<T>(m_screen, name); }
    ExportGridView* grid() { return m_screen->GridView(); }
    ExportGridModel* model() { return grid()->Model(); }
    // Grid cell text, grid coordinates (row 0 the headers, column 0 the numbers).
    QString cell(int row, int column) { return m_screen->Grid().Text(row, column); }

    void open() { showExposed(m_screen); }
    void leave()
    {
        QTest::keyClick(m_screen, Qt::Key_Escape);
        QVERIFY(!m_screen->isVisible());
    }
    void clickExcel()
    {
        m_desktop->clear();
        QTest::mouseClick(find(u"imgExcel"_s), Qt::LeftButton);
        QVERIFY(!busyCursorShown());
    }
    // The designed form: ten rows, no texts, every column 100 pixels wide but column 6.
    void verifyDesignedForm()
    {
        QCOMPARE(m_screen->Grid().RowCount(), 10);
        QCOMPARE(model()->rowCount(), 9);
        QCOMPARE(model()->columnCount(), 25);
        QCOMPARE(grid()->NumberColumnWidth(), 100);
        for (int c = 1; c < 26; ++c)
            QCOMPARE(grid()->horizontalHeader()->sectionSize(c - 1), c == 6 ? 208 : 100);
        for (int r = 0; r < 10; ++r) {
            for (int c = 0; c < 26; ++c)
                QVERIFY(cell(r, c).isEmpty());
        }
    }

private slots:
    void init()
    {
        startProgram();
        m_screen = screenNamed<ExportScreen>(u"TfrmExpAmici"_s);
        QVERIFY(m_screen);
    }
    void cleanup() { stopProgram(); }

    void everyArchive_hasItsScreenInCreationOrder()
    {
        QStringList names;
        for (QWidget* w : m_screens->All())
            names << w->objectName();
        for (const CategoryDescriptor& c : Categories::All) {
            auto* screen = screenNamed<ExportScreen>(u"TfrmExp"_s + c.key);
            QVERIFY(screen);
            QCOMPARE(screen->windowTitle(), u" Esportazione archivio anagrafico "_s + c.pluralNoun);
            QVERIFY(!screen->isVisible());
        }
        QCOMPARE(screenNamed<ExportScreen>(u"TfrmExpHobby"_s)->windowTitle(),
                 u" Esportazione archivio anagrafico altri animali"_s);
        // Every archive's screens in their fixed order: the first archive's card, the attachment dialogs,
        // then find, export, advanced search, viewer, slideshow; every other card, then viewer, export,
        // advanced search, slideshow, find.
        const qsizetype first = names.indexOf(u"TfrmInfanzia"_s);
        QCOMPARE(names.mid(first, 14),
                 (QStringList{u"TfrmInfanzia"_s, u"TfrmAllegaCartella"_s, u"TfrmAllegaFile"_s,
                              u"TfrmTrovaInfanzia"_s, u"TfrmExpInfanzia"_s, u"TfrmRicercaInfanzia"_s,
                              u"TfrmBrowseInfanzia"_s, u"TfrmSlideInfanzia"_s, u"TfrmFamiglia"_s,
                              u"TfrmBrowseFamiglia"_s, u"TfrmExpFamiglia"_s, u"TfrmRicercaFamiglia"_s,
                              u"TfrmSlideFamiglia"_s, u"TfrmTrovaFamiglia"_s}));
        // The archives' screens end with the last archive's find dialog; screens added since come after them.
        QCOMPARE(names.indexOf(u"TfrmTrovaHobby"_s), first + 2 + 10 * 6 - 1);
        // Creating the screens touched no archive.
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
    }

    void layout_isTheDesignedOne()
    {
        QCOMPARE(m_screen->size(), QSize(783, 505));
        QCOMPARE(m_screen->minimumSize(), QSize(783, 505));
        QCOMPARE(m_screen->maximumSize(), QSize(783, 505));
        QVERIFY(m_screen->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(m_screen->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(m_screen->palette().color(QPalette::Window), Kit::Silver);
        QCOMPARE(m_screen->font().family(), u"Tahoma"_s);
        QCOMPARE(m_screen->font().pixelSize(), 11);
        QCOMPARE(find(u"grpControlli"_s)->geometry(), QRect(4, 4, 773, 80));
        QCOMPARE(find(u"imgLogo"_s)->size(), QSize(381, 57));
        QCOMPARE(find(u"grdRecords"_s)->geometry(), QRect(0, 96, 783, 383));
        QCOMPARE(find(u"panInfo"_s)->geometry(), QRect(0, 479, 783, 26));
        QCOMPARE(grid()->font().family(), u"Verdana"_s);
        QCOMPARE(grid()->verticalHeader()->defaultSectionSize(), 24);
        QCOMPARE(grid()->horizontalHeader()->height(), 24);
        QCOMPARE(grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        const QStringList captions = {u"Esporta in Excel"_s, u"Guida"_s, u"Esci"_s};
        const QStringList names = {u"Excel"_s, u"Guida"_s, u"Esci"_s};
        for (int i = 0; i < 3; ++i) {
            auto* picture = find<CommandPicture>(u"img"_s + names[i]);
            auto* caption = find<LinkLabel>(u"lbl"_s + names[i]);
            QCOMPARE(caption->text(), captions[i]);
            QCOMPARE(caption->font().family(), u"Verdana"_s);
            QCOMPARE(caption->font().pixelSize(), 11);
            QCOMPARE(caption->Colour(), QColor(Qt::black));
            QCOMPARE(picture->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(caption->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(picture->accessibleName(), captions[i]);
            // The caption sits centred under its picture, whole.
            QVERIFY(caption->y() > picture->geometry().bottom());
            QVERIFY(qAbs(caption->geometry().center().x() - picture->geometry().center().x()) <= 1);
            QVERIFY(caption->width() >= caption->fontMetrics().horizontalAdvance(captions[i]));
            QVERIFY(find(u"grpControlli"_s)->rect().contains(caption->geometry()));
        }
        // Before its first showing the grid has its designed form.
        verifyDesignedForm();
    }

    void showing_fillsTheGridInInsertionOrder()
    {
        const QString a250 = QString(250, u'a');
        m_archive->Insert({card({{CardFields::Nome, u"  Fulmine  "_s},
                                 {CardFields::Razza, u"007"_s},
                                 {CardFields::DataNasc, u"01/02/2024"_s},
                                 {CardFields::Peso, u"=SUM(1,2)"_s},
                                 {CardFields::Taglia, u"grande"_s},
                                 {CardFields::Note, u"non mostrata"_s}}),
                           card({{CardFields::Nome, u"Da eliminare"_s}}),
                           card({{CardFields::Nome, u"Tempesta \u00e8 \u20ac \u201cok\u201d"_s},
                                 {CardFields::Proprietario, a250},
                                 {CardFields::Medico, a250 + u'b'},
                                 {CardFields::Specialita, u"   "_s}})});
        {
            CategoryStore store(amici(), m_dir->path());
            store.OpenArchive(store.QueryFirst());
            store.DeleteCard(2);
        }
        open();
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(m_screen->Grid().RowCount(), 3);
        QCOMPARE(model()->rowCount(), 2);
        // Headers, with their leading blank, and the running numbers without a gap.
        QCOMPARE(model()->headerData(0, Qt::Horizontal).toString(), u" Nome"_s);
        QCOMPARE(model()->headerData(10, Qt::Horizontal).toString(), u" Colore mantello"_s);
        QCOMPARE(model()->headerData(24, Qt::Horizontal).toString(), u" Specialit\u00e0"_s);
        QCOMPARE(cell(0, 0), u" N."_s);
        QCOMPARE(model()->headerData(0, Qt::Vertical).toString(), u"1"_s);
        QCOMPARE(model()->headerData(1, Qt::Vertical).toString(), u"2"_s);
        // Values as the grid shows them.
        QCOMPARE(cell(1, 1), u"Fulmine"_s);
        QCOMPARE(cell(1, 2), u"007"_s);
        QCOMPARE(cell(1, 4), u"01/02/2024"_s);
        QCOMPARE(cell(1, 10), u"=SUM(1,2)"_s); // the weight; the size is not shown
        QCOMPARE(cell(2, 1), u"Tempesta \u00e8 \u20ac \u201cok\u201d"_s);
        QCOMPARE(cell(2, 6), a250);
        QCOMPARE(cell(2, 7), a250 + u"..."_s);
        QCOMPARE(cell(2, 25), QString());
        QCOMPARE(model()->data(model()->index(1, 5)).toString(), a250);
        // The filled widths, the first data cell current.
        QCOMPARE(grid()->NumberColumnWidth(), 50);
        QCOMPARE(grid()->horizontalHeader()->sectionSize(0), 250);
        QCOMPARE(grid()->horizontalHeader()->sectionSize(12), 300);
        QCOMPARE(grid()->currentIndex(), model()->index(0, 0));
        QCOMPARE(grid()->rowHeight(1), 24);
        // Read only.
        QVERIFY(!(model()->flags(model()->index(0, 0)) & Qt::ItemIsEditable));
        QTest::keyClick(grid()->viewport(), Qt::Key_F2);
        QTest::keyClicks(grid(), u"xyz"_s);
        QCOMPARE(cell(1, 1), u"Fulmine"_s);

        // The birds' archive names its colour and coat columns after feathers.
        auto* birds = screenNamed<ExportScreen>(u"TfrmExpRicorrenze"_s);
        {
            CategoryStore store(*Categories::ByKey(u"Ricorrenze"_s), m_dir->path());
            store.OpenArchive(store.QueryFirst());
            store.InsertCard(card({{CardFields::Nome, u"Cocorita"_s}}));
        }
        leave();
        birds->show();
        QCOMPARE(birds->Grid().Text(0, 11), u" Colore piumaggio"_s);
        QCOMPARE(birds->Grid().Text(0, 12), u" Tipologia piume"_s);
        QCOMPARE(birds->Grid().Text(1, 1), u"Cocorita"_s);
        birds->close();
    }

    void laterShowing_showsOnlyWhatTheArchiveHoldsNow()
    {
        // First showing of an empty archive: the designed form, and the archive's file made.
        open();
        verifyDesignedForm();
        QVERIFY(QFileInfo::exists(dbPath()));
        leave();

        m_archive->Insert({card({{CardFields::Nome, u"Uno"_s}}), card({{CardFields::Nome, u"Due"_s}})});
        open();
        QCOMPARE(m_screen->Grid().RowCount(), 3);
        leave();

        // Every card deleted meanwhile: the rows of the earlier showing must not pass for the archive.
        {
            CategoryStore store(amici(), m_dir->path());
            store.OpenArchive(store.QueryFirst());
            store.DeleteCard(1);
            store.DeleteCard(2);
        }
        open();
        verifyDesignedForm();
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void failedLoad_isReportedAndShowsTheDesignedForm()
    {
        m_archive->Insert({card({{CardFields::Nome, u"Uno"_s}})});
        open();
        QCOMPARE(m_screen->Grid().Text(1, 1), u"Uno"_s);
        leave();
        // The archive cannot be opened now: its file's place is taken by a folder.
        QVERIFY(QFile::remove(dbPath()));
        QVERIFY(QDir().mkpath(dbPath()));
        QString shownWhileReported;
        m_desktop->whileShown = [&](const FakeDesktop::Shown&) { shownWhileReported = cell(1, 1); };
        open();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::Stop);
        QCOMPARE(m_desktop->messages[0].title, MakerInfo::ApplicationTitle());
        QVERIFY2(m_desktop->messages[0].text.startsWith(u"Failed to open database"_s),
                 qPrintable(m_desktop->messages[0].text));
        QCOMPARE(shownWhileReported, QString()); // the old rows were gone before the box appeared
        verifyDesignedForm();
    }

    void leaving_reopensTheArchiveHoweverTheScreenIsLeft()
    {
        const QList<std::pair<QString, std::function<void()>>> ways = {
            {u"Esc"_s, [this] { QTest::keyClick(m_screen, Qt::Key_Escape); }},
            {u"close box"_s, [this] { m_screen->close(); }},
            {u"imgEsci"_s, [this] { QTest::mouseClick(find(u"imgEsci"_s), Qt::LeftButton); }},
            {u"lblEsci"_s, [this] { QTest::mouseClick(find(u"lblEsci"_s), Qt::LeftButton); }},
            {u"lblEsci, right button"_s, [this] { QTest::mouseClick(find(u"lblEsci"_s), Qt::RightButton); }},
        };
        for (const auto& [way, leaveBy] : ways) {
            open();
            // Reopening creates the archive's table again when it is missing.
            QVERIFY(QFile::remove(dbPath()));
            leaveBy();
            QVERIFY2(!m_screen->isVisible(), qPrintable(way));
            QVERIFY2(QFileInfo::exists(dbPath()), qPrintable(way));
            QCOMPARE(TestFiles::RunSqliteTool(dbPath(), u"SELECT count(*) FROM amici"_s), u"0"_s);
            // The screen's result set is the first card's, not the whole archive's.
            const TSQLiteTable* cursor = TestArchive::FileStore(m_screen->Store()).Cursor();
            QVERIFY(cursor == nullptr || cursor->RowCount() <= 1);
        }
        QVERIFY(m_desktop->messages.isEmpty());
    }

    void drawing_keepsEachRowsColourWhateverTheSelection()
    {
        m_archive->Insert({card({{CardFields::Nome, u"MMMMMMMM"_s}}),
                           card({{CardFields::Nome, u"MMMMMMMM"_s}}),
                           card({{CardFields::Nome, u"MMMMMMMM"_s}})});
        open();
        auto colourAt = [this](int row, int column, QPoint offset) {
            const QRect r = grid()->visualRect(model()->index(row, column));
            return grid()->viewport()->grab().toImage().pixelColor(r.topLeft() + offset);
        };
        // Odd and even rows, away from the text.
        QCOMPARE(colourAt(0, 1, QPoint(50, 12)), ExportGridView::OddRow);
        QCOMPARE(colourAt(1, 1, QPoint(50, 12)), ExportGridView::EvenRow);
        QCOMPARE(colourAt(2, 1, QPoint(50, 12)), ExportGridView::OddRow);
        // The current (selected) cell keeps its row's colour, focused or not.
        grid()->setFocus();
        grid()->setCurrentIndex(model()->index(1, 1));
        QVERIFY(grid()->selectionModel()->isSelected(model()->index(1, 1)));
        QCOMPARE(colourAt(1, 1, QPoint(50, 12)), ExportGridView::EvenRow);
        // Text begins 2 pixels in: the first two pixel columns and rows are the background.
        const QRect first = grid()->visualRect(model()->index(1, 0));
        const QImage shot = grid()->viewport()->grab().toImage();
        bool textDrawn = false;
        for (int y = first.top(); y < first.bottom(); ++y) {
            for (int x = first.left(); x < first.left() + 40; ++x) {
                const bool background = shot.pixelColor(x, y) == ExportGridView::EvenRow;
                if (x < first.left() + 2 || y < first.top() + 2)
                    QVERIFY2(background, qPrintable(u"%1,%2"_s.arg(x).arg(y)));
                textDrawn = textDrawn || !background;
            }
        }
        QVERIFY(textDrawn);
        // The fixed header row, number column and corner are sky blue.
        const QImage header = grid()->horizontalHeader()->grab().toImage();
        QCOMPARE(header.pixelColor(120, 20), Kit::SkyBlue);
        const QImage numbers = grid()->verticalHeader()->grab().toImage();
        QCOMPARE(numbers.pixelColor(40, 20), Kit::SkyBlue);
        const QImage whole = grid()->grab().toImage();
        QCOMPARE(whole.pixelColor(grid()->frameWidth() + 45, grid()->frameWidth() + 20), Kit::SkyBlue);
    }

    void hovering_showsHintsAndTheCurrentCell()
    {
        m_archive->Insert({card({{CardFields::Nome, u"Fulmine"_s}, {CardFields::Razza, u"Frisone"_s}}),
                           card({{CardFields::Nome, u"Tempesta"_s}})});
        TestGui::ParkPointer(); // not over the grid when the screen opens
        open();
        QCOMPARE(m_screen->StatusText(), QString());
        auto* excel = find<LinkLabel>(u"lblExcel"_s);
        auto* guida = find<LinkLabel>(u"lblGuida"_s);
        auto* esci = find<LinkLabel>(u"lblEsci"_s);
        const auto captionColours = [&] {
            return QList<QColor>{excel->Colour(), guida->Colour(), esci->Colour()};
        };
        const QColor red(Qt::red), black(Qt::black);

        TestGui::MovePointer(find(u"imgExcel"_s), QPoint(20, 20));
        QCOMPARE(m_screen->StatusText(), u" Esporta i dati in un file di Microsoft Excel."_s);
        QCOMPARE(captionColours(), (QList<QColor>{red, black, black}));
        TestGui::MovePointer(guida, QPoint(5, 5));
        QCOMPARE(m_screen->StatusText(), u" Visualizza la guida in linea."_s);
        QCOMPARE(captionColours(), (QList<QColor>{black, red, black}));
        TestGui::MovePointer(find(u"imgEsci"_s), QPoint(20, 20));
        QCOMPARE(m_screen->StatusText(), u" Esce dalla schermata di lavoro corrente."_s);
        QCOMPARE(captionColours(), (QList<QColor>{black, black, red}));
        // The toolbar outside the buttons.
        TestGui::MovePointer(find(u"grpControlli"_s), QPoint(450, 40));
        QCOMPARE(m_screen->StatusText(), QString());
        QCOMPARE(captionColours(), (QList<QColor>{black, black, black}));

        // Over the grid: the current cell's text, not the text of the cell under the pointer.
        TestGui::MovePointer(find(u"imgExcel"_s), QPoint(20, 20));
        grid()->setCurrentIndex(model()->index(0, 1));
        const QRect other = grid()->visualRect(model()->index(1, 0));
        TestGui::MovePointer(grid()->viewport(), other.center());
        QCOMPARE(m_screen->StatusText(), u" Frisone"_s);
        QCOMPARE(captionColours(), (QList<QColor>{black, black, black}));
        // Moving the current cell with the keys while the pointer rests on the grid.
        QTest::keyClick(grid(), Qt::Key_Left);
        QCOMPARE(m_screen->StatusText(), u" Fulmine"_s);
        QTest::keyClick(grid(), Qt::Key_Down);
        QCOMPARE(m_screen->StatusText(), u" Tempesta"_s);
        // Over the headers too.
        TestGui::MovePointer(grid()->horizontalHeader()->viewport(), QPoint(300, 10));
        QCOMPARE(m_screen->StatusText(), u" Tempesta"_s);
        // An empty current cell: one blank.
        grid()->setCurrentIndex(model()->index(1, 1));
        QCOMPARE(m_screen->StatusText(), u" "_s);
    }

    void numberColumn_canBeWidenedByItsEdge()
    {
        m_archive->Insert({card({{CardFields::Nome, u"Uno"_s}})});
        open();
        QWidget* numbers = grid()->verticalHeader()->viewport();
        QCOMPARE(grid()->NumberColumnWidth(), 50);
        QTest::mousePress(numbers, Qt::LeftButton, {}, QPoint(49, 10));
        QTest::mouseMove(numbers, QPoint(90, 10));
        QTest::mouseRelease(numbers, Qt::LeftButton, {}, QPoint(90, 10));
        QCOMPARE(grid()->NumberColumnWidth(), 90);
        QCOMPARE(grid()->viewport()->x(), 90 + grid()->frameWidth());
    }

    void guide_showsTheExportTopic()
    {
        open();
        for (const QString& control : {u"imgGuida"_s, u"lblGuida"_s}) {
            QString title, text;
            TestGui::WhenModal([&](QWidget* help) {
                title = help->findChild<QLabel*>(u"panTitle"_s)->text();
                text = help->findChild<QPlainTextEdit*>(u"memTopic"_s)->toPlainText();
                help->close();
            });
            QTest::mouseClick(find(control), Qt::LeftButton);
            QCOMPARE(title, u"Esportazione archivio animali domestici"_s);
            QVERIFY(text.startsWith(
                u"La funzione di esportazione dati consente di convertire l'archivio corrente "
                "in un foglio di lavoro di Microsoft Excel.\n\nL'ambiente"_s));
            QVERIFY(text.endsWith(u"nel software della Microsoft i dati visualizzati in quel momento."_s));
        }
        const QString guide = GuideTexts::Export().text;
        QCOMPARE(guide.count(u"\r\n\r\n"_s), 4);
        QVERIFY(guide.contains(
            u"Poich\u00e9 la lunghezza massima dei dati contenuti in una cella di Excel \u00e8 "
            "uguale a 255 caratteri"_s));
        QVERIFY(m_screen->isVisible());
    }

    // The whole way: the record card opens the screen, which hands the archive to the spreadsheet server,
    // which writes the workbook and gives it to the desktop.
    void fromTheRecordCard_theWorkbookHoldsEveryValueAsText()
    {
        const QString a250 = QString(250, u'a');
        m_archive->Insert({card({{CardFields::Nome, u"  Fulmine  "_s},
                                 {CardFields::Razza, u"007"_s},
                                 {CardFields::DataNasc, u"01/02/2024"_s},
                                 {CardFields::Peso, u"=SUM(1,2)"_s},
                                 {CardFields::Proprietario, u"   "_s},
                                 {CardFields::Colore, u"\u00e8 \u20ac \u201cok\u201d"_s},
                                 {CardFields::Medico, a250},
                                 {CardFields::Telefono, a250 + u'b'}}),
                           card({{CardFields::Nome, u"Tempesta"_s}, {CardFields::Specialita, u"salto"_s}})});
        RecordCard* recordCard = m_screens->Card(amici());
        recordCard->show();
        QList<bool> busyWhenOpened;
        m_desktop->whileOpening = [&](const QUrl&) { busyWhenOpened << busyCursorShown(); };
        int rowsShown = 0;
        TestGui::WhenModal([&](QWidget* modal) {
            QCOMPARE(modal, m_screen);
            rowsShown = m_screen->Grid().RowCount();
            QTest::mouseClick(find(u"lblExcel"_s), Qt::LeftButton);
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QTest::mouseClick(recordCard->findChild<QWidget*>(u"cmdExcel"_s), Qt::LeftButton);
        QCOMPARE(rowsShown, 3);
        QVERIFY(m_desktop->messages.isEmpty());
        QCOMPARE(m_desktop->askedTypes, QStringList{XlsxType});
        QCOMPARE(m_desktop->opened, QList<QUrl>{QUrl::fromLocalFile(workbookPath())});
        QCOMPARE(busyWhenOpened, QList<bool>{true});
        QVERIFY(!busyCursorShown());

        const OfficeFiles::XlsxSheet sheet = OfficeFiles::ReadXlsx(workbookPath());
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.name, u"Archivio cavalli"_s);
        QCOMPARE(sheet.lastRow, 3);
        // Headers without their leading blank, bold from B1.
        QCOMPARE(sheet.cell(u"A1"_s).text, u"N."_s);
        QVERIFY(!sheet.cell(u"A1"_s).bold);
        QCOMPARE(sheet.cell(u"B1"_s).text, u"Nome"_s);
        QCOMPARE(sheet.cell(u"L1"_s).text, u"Colore mantello"_s);
        QCOMPARE(sheet.cell(u"Z1"_s).text, u"Specialit\u00e0"_s);
        for (char c = 'B'; c <= 'Z'; ++c)
            QVERIFY2(sheet.cell(QChar(c) + u"1"_s).bold, &c);
        // Every value a text, as shown.
        const QList<std::pair<QString, QString>> expected = {
            {u"A2"_s, u"1"_s},         {u"B2"_s, u"Fulmine"_s},
            {u"C2"_s, u"007"_s},       {u"E2"_s, u"01/02/2024"_s},
            {u"K2"_s, u"=SUM(1,2)"_s}, {u"L2"_s, u"\u00e8 \u20ac \u201cok\u201d"_s},
            {u"H2"_s, a250},           {u"X2"_s, a250 + u"..."_s},
            {u"A3"_s, u"2"_s},         {u"B3"_s, u"Tempesta"_s},
            {u"Z3"_s, u"salto"_s}};
        for (const auto& [reference, text] : expected) {
            const OfficeFiles::XlsxCell c = sheet.cell(reference);
            QVERIFY2(c.text == text, qPrintable(reference + u": "_s + c.text));
            QVERIFY2(c.type == u"s"_s || c.type == u"inlineStr"_s || c.type == u"str"_s,
                     qPrintable(reference));
            QVERIFY2(c.numberFormat == u"@"_s, qPrintable(reference));
        }
        // Blanks only: an empty cell, still in text format.
        QVERIFY(sheet.cell(u"G2"_s).text.isEmpty());
        QCOMPARE(sheet.cell(u"G2"_s).numberFormat, u"@"_s);
        QVERIFY(sheet.selection.isEmpty() || sheet.selection == u"A1"_s); // A1 is the default

        // The archive is reopened on its first card when the screen is left; the card is a new one.
        QVERIFY(!m_screen->isVisible());
        QCOMPARE(recordCard->CurrentCardId(), QString());
    }

    void emptyArchive_exportsTheDesignedFormA1ToZ10()
    {
        // The real server: a sheet of ten rows of empty cells, every one in text format.
        open();
        clickExcel();
        QVERIFY(m_desktop->messages.isEmpty());
        const OfficeFiles::XlsxSheet sheet = OfficeFiles::ReadXlsx(workbookPath());
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.name, u"Archivio cavalli"_s);
        QCOMPARE(sheet.lastRow, 10);
        for (int r = 1; r <= 10; ++r) {
            for (char c = 'A'; c <= 'Z'; ++c) {
                const OfficeFiles::XlsxCell blank = sheet.cell(QChar(c) + QString::number(r));
                QVERIFY(blank.text.isEmpty());
                QCOMPARE(blank.numberFormat, u"@"_s);
            }
        }
        QVERIFY(!sheet.cells.contains(u"A11"_s));

        // The calls, through a recording server in the real one's place.
        RecordingServer server;
        server.Install(m_screens->OfficeRegistry(), u"Excel.Application"_s);
        open();
        clickExcel();
        QVERIFY(m_desktop->messages.isEmpty());
        QVERIFY(server.Lines().contains(
            u"App.Workbooks.WorkSheets.Range get(VT_BSTR \"A1\", VT_BSTR \"Z10\")"_s));
        const RecordedCall& values = server.Calls().at(11);
        QCOMPARE(values.member, u"Value"_s);
        const auto& array = values.arguments.first().value.ToArray();
        QCOMPARE(array->Rows(), 10);
        QCOMPARE(array->Columns(), 26);
        for (int r = 1; r <= 10; ++r) {
            for (int c = 1; c <= 26; ++c)
                QVERIFY(array->At(r, c).ToString().isEmpty());
        }
        QCOMPARE(server.Calls().at(3).Describe(), u"App.Workbooks get(VT_I4 1)"_s);
        QVERIFY(
            server.Lines().contains(u"App.Workbooks.WorkSheets.Name put(VT_BSTR \"Archivio cavalli\")"_s));
    }

    void failingServer_isReportedByTheCallThatFailed()
    {
        m_archive->Insert({card({{CardFields::Nome, u"Uno"_s}}), card({{CardFields::Nome, u"Due"_s}})});
        RecordingServer server;
        server.Install(m_screens->OfficeRegistry(), u"Excel.Application"_s);
        open();
        clickExcel();
        const int calls = server.Calls().size();
        QCOMPARE(calls, 118);
        // Calls 1 to 7 of the transfer are its first twelve automation calls.
        constexpr int LastOfCallSeven = 12;
        QList<bool> cursorRestoredWhileShown;
        m_desktop->whileShown = [&](const FakeDesktop::Shown&) {
            cursorRestoredWhileShown << !busyCursorShown();
        };
        for (int k = 1; k <= calls; ++k) {
            server.Clear();
            server.FailAtCall(k);
            clickExcel();
            const QByteArray where = QByteArray::number(k);
            QVERIFY2(server.Calls().size() == k, where);
            QVERIFY2(server.LiveObjects() == 0, where);
            QVERIFY2(m_desktop->messages.size() == 1, where);
            const FakeDesktop::Shown& shown = m_desktop->messages[0];
            if (k <= LastOfCallSeven) {
                QVERIFY2(shown.icon == Desktop::Icon::Stop, where);
                QVERIFY2(shown.text == DefaultErrorText(RecordingServer::FailureText), where);
            } else {
                QVERIFY2(shown.icon == Desktop::Icon::None, where);
                QVERIFY2(shown.text == ExcelExportFailureMessage, where);
            }
            QVERIFY2(shown.title == MakerInfo::ApplicationTitle(), where);
            // The screen stays open and unchanged.
            QVERIFY2(m_screen->isVisible() && m_screen->Grid().RowCount() == 3, where);
        }
        QCOMPARE(cursorRestoredWhileShown, QList<bool>(calls, true));

        server.Clear();
        server.FailCreation(true);
        clickExcel();
        QVERIFY(server.Calls().isEmpty());
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::None);
        QCOMPARE(m_desktop->messages[0].text, ExcelExportFailureMessage);
    }

    void noProgramForWorkbooks_showsTheExportMessageAndWritesNothing()
    {
        m_archive->Insert({card({{CardFields::Nome, u"Uno"_s}})});
        m_desktop->typesWithoutHandler << XlsxType;
        open();
        clickExcel();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::None);
        QCOMPARE(m_desktop->messages[0].text,
                 u"Si \u00e8 verificato un errore durante l'esportazione dei dati in Excel.\r\n\r\n"
                 "Accertarsi che il pacchetto Microsoft Office sia installato sul proprio computer."_s);
        QVERIFY(m_desktop->opened.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir->filePath(u"Esportazioni"_s)));
    }

    void exportFolderTakenByAFile_showsTheExportMessage()
    {
        m_archive->Insert({card({{CardFields::Nome, u"Uno"_s}})});
        const QString taken = m_dir->filePath(u"Esportazioni"_s);
        QVERIFY(TestFiles::WriteFile(taken, "not a folder"));
        open();
        clickExcel();
        QCOMPARE(m_desktop->messages.size(), 1);
        QCOMPARE(m_desktop->messages[0].icon, Desktop::Icon::None);
        QCOMPARE(m_desktop->messages[0].text, ExcelExportFailureMessage);
        QVERIFY(m_desktop->opened.isEmpty());
        QCOMPARE(TestFiles::ReadFile(taken), QByteArray("not a folder"));
    }

    void tenThousandCards_areShownAndExportedWhole()
    {
        m_archive->Insert({});
        {
            TSQLiteDatabase db(dbPath());
            db.ExecuteStatement(
                u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
                "INSERT INTO amici (varNome, varRazza, varSpecialita, Ext) "
                "SELECT 'Cavallo ' || i, printf('%05d', i), 'salto ' || i, 'JPG' FROM n"_s);
        }
        QElapsedTimer shown;
        shown.start();
        open();
        qInfo("10,000 cards shown in %lld ms", shown.elapsed());
        QCOMPARE(model()->rowCount(), 10000);
        QCOMPARE(model()->headerData(9999, Qt::Vertical).toString(), u"10000"_s);
        QCOMPARE(cell(10000, 1), u"Cavallo 10000"_s);
        QCOMPARE(cell(42, 2), u"00042"_s);
        grid()->scrollToBottom();
        QCoreApplication::processEvents();

        clickExcel();
        QVERIFY(m_desktop->messages.isEmpty());
        const OfficeFiles::XlsxSheet sheet = OfficeFiles::ReadXlsx(workbookPath());
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.lastRow, 10001);
        QCOMPARE(sheet.cell(u"A10001"_s).text, u"10000"_s);
        QCOMPARE(sheet.cell(u"C43"_s).text, u"00042"_s);
        QCOMPARE(sheet.cell(u"Z10001"_s).text, u"salto 10000"_s);
    }
};

PROGRAM_TEST_MAIN(TestExportScreen)
#include "tst_exportscreen.moc"
