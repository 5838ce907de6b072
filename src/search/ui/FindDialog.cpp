// SPDX-License-Identifier: GPL-3.0-or-later
#include "FindDialog.h"

#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/FieldConventions.h"
#include "kit/Guard.h"
#include "search/FindCriteria.h"
#include "search/ResultListPrinter.h"
#include "search/ShortDateFormat.h"
#include "storage/Win1252.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int RowHeight = 14;

// The find dialog draws its list lines itself: the row filled with money green, or with the selection
// colour when selected, and the line in black from 2 pixels in, at the top of the row.
class RecordLineDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, selected ? option.palette.brush(QPalette::Active, QPalette::Highlight)
                                                : QBrush(Kit::MoneyGreen));
        painter->setPen(Qt::black);
        painter->setFont(option.font);
        const QRect text = option.rect.adjusted(2, 0, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {SearchScreen::ScrollWidth, RowHeight};
    }
};

} // namespace

FindDialog::FindDialog(ScreenHost& host, const CategoryDescriptor& category)
    : SearchScreen(host, category, Categories::FindName(category), u" Trova scheda in archivio"_s)
{
    const QFont small = Kit::Verdana(11);
    const QFont large = Kit::Verdana(13);
    setFont(small);

    // The criterion and the key.
    auto* criteria = new QGroupBox(this);
    criteria->setObjectName(u"grpCriterio"_s);
    criteria->setGeometry(19, 6, 745, 181);
    Kit::FramedPicture(u"shpTrova"_s, u"imgLente"_s, u"search_lens"_s, criteria, QRect(16, 20, 60, 60));
    Kit::FramedPicture(u"shpChiave"_s, u"imgChiave"_s, u"search_key"_s, criteria, QRect(16, 104, 60, 60));
    auto* criterionLabel =
        Kit::Label(u"lblInfo03"_s, u"Criterio di ricerca:"_s, criteria, QRect(92, 20, 300, 20), large);
    m_criterion = new QComboBox(criteria);
    m_criterion->setObjectName(u"cboCriterio"_s);
    m_criterion->setGeometry(92, 44, 300, 26);
    m_criterion->setFont(large);
    m_criterion->setEditable(false); // only the entries can be chosen
    m_criterion->setMaxVisibleItems(28);
    m_criterion->addItems(FindCriteria(category));
    m_criterion->setCurrentIndex(0);
    m_criterion->setFocusPolicy(Qt::ClickFocus);
    criterionLabel->setBuddy(m_criterion);
    Kit::InstallFocusColours(m_criterion, Kit::MoneyGreen);
    Kit::Label(
        u"lblInfo01"_s,
        u"Inserire una o pi\u00f9 parole consecutive presenti nella scheda e premere il pulsante Cerca in "
        "archivio."_s,
        criteria, QRect(92, 84, 645, 18), small);
    auto* keyLabel =
        Kit::Label(u"lblChiave"_s, u"Chiave di ricerca:"_s, criteria, QRect(92, 110, 300, 20), large);
    m_key = Kit::Edit(u"txtCriterio"_s, criteria, QRect(92, 134, 440, 26), large, keyLabel);
    m_search =
        Kit::NonDefaultButton(u"btnPopola"_s, u"Cerca in archivio"_s, criteria, QRect(548, 133, 180, 28));
    m_search->setEnabled(false);

    // The list and the in-list find.
    auto* listGroup = new QGroupBox(this);
    listGroup->setObjectName(u"grpLista"_s);
    listGroup->setGeometry(19, 193, 745, 245);
    auto* findLabel =
        Kit::Label(u"lblInfo02"_s,
                   u"Per selezionare una voce in elenco, immettere una chiave di ricerca e fare clic su "
                   "Trova."_s,
                   listGroup, QRect(12, 8, 721, 18), small);
    m_findKey = Kit::Edit(u"txtTrova"_s, listGroup, QRect(12, 28, 330, 26), large, findLabel);
    m_findKey->setAccessibleName(u"Voce da selezionare"_s);
    auto* find = Kit::NonDefaultButton(u"btnTrova"_s, u"Trova"_s, listGroup, QRect(352, 27, 100, 28));
    Kit::Label(
        u"lblInfo04"_s,
        u"Per spostarsi sulla voce successiva contenente la stessa chiave di ricerca, fare di nuovo clic su "
        "Trova."_s,
        listGroup, QRect(12, 58, 721, 18), small);
    QListView* list = makeList(listGroup, QSize(ScrollWidth, RowHeight));
    list->setGeometry(12, 78, 721, 138);
    list->setItemDelegate(new RecordLineDelegate(list));
    Kit::SetColour(list, QPalette::Base, Kit::MoneyGreen);
    list->setAccessibleName(u"Schede trovate"_s);
    Kit::Label(u"lblInfo05"_s, u"Per richiamare i dati di una scheda, selezionarla con un doppio clic."_s,
               listGroup, QRect(12, 220, 721, 18), small);

    // The bottom row: neither button is reached by Tab.
    auto* print =
        Kit::NonDefaultButton(u"btnStampa"_s, u"Stampa"_s, this, QRect(19, 456, 110, 30), Qt::ClickFocus);
    m_count = Kit::Label(u"LabelCount"_s, SearchTexts::CountPrefix + u'0', this, QRect(200, 461, 383, 20),
                         small, Qt::white);
    m_count->setAlignment(Qt::AlignCenter);
    auto* close =
        Kit::NonDefaultButton(u"btnChiudi"_s, u"Chiudi"_s, this, QRect(654, 456, 110, 30), Qt::ClickFocus);

    setTabOrder(m_key, m_search);
    setTabOrder(m_search, m_findKey);
    setTabOrder(m_findKey, find);
    setTabOrder(find, list);

    // Enter in the two keys does nothing: it neither searches nor presses a button.
    Kit::OnEnter(m_key, [] {});
    Kit::OnEnter(m_findKey, [] {});

    connect(m_key, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_search->setEnabled(!text.isEmpty()); });
    connect(m_criterion, &QComboBox::activated, this,
            [this] { m_search->setEnabled(!Win1252::Trimmed(m_criterion->currentText()).isEmpty()); });
    connect(m_search, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { Search(); }));
    connect(find, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { FindInList(); }));
    connect(print, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { Print(); }));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(list, &QListView::doubleClicked, this, Kit::GuardedSlot(this, [this] { ShowChosenCard(); }));
}

void FindDialog::showEvent(QShowEvent* event)
{
    SearchScreen::showEvent(event);
    if (event->spontaneous())
        return;
    clearList();
    Kit::Guarded(this, [this] { Store().Open(); });
    forgetLastFindKey();
    m_findKey->clear();
    showCount(m_count);
    // From now on, for the rest of the run, printed lists write their date as dd/MM/yyyy.
    ShortDateFormat::UseDayMonthYear();
}

void FindDialog::Search()
{
    clearList();
    // A failure is shown in the default error box and leaves the list empty.
    Kit::Guarded(this, [this] {
        const int field = CriterionField(m_criterion->currentText(), Category());
        showCards(Store().FindByField(field, m_key->text()));
    });
    showCount(m_count);
}

void FindDialog::FindInList()
{
    findInList(m_findKey->text());
}

void FindDialog::Print()
{
    printList({u"Si vuole stampare l'elenco corrente?"_s, Desktop::Icon::None, QString(FindDashLine)});
}

void FindDialog::ShowChosenCard()
{
    const int line = SelectedLine();
    if (line < 0)
        return;
    if (handBack(line))
        accept();
}
