// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchScreen.h"

#include "ResultListModel.h"
#include "kit/CardTarget.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "search/FindInList.h"

#include <QHideEvent>
#include <QLabel>
#include <QListView>
#include <QScrollBar>

using namespace Qt::Literals::StringLiterals;

SearchScreen::SearchScreen(ScreenHost& host, const CategoryDescriptor& category, const QString& objectName,
                           const QString& title)
    : QDialog(nullptr,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_host(host)
    , m_store(host.OpenStore(category))
{
    Kit::SetUpWindow(this, objectName, title, Kit::Silver);
    setFixedSize(ClientSize);
    setModal(true);
    setSizeGripEnabled(false);
    m_model = new ResultListModel(m_results, this);
}

SearchScreen::~SearchScreen()
{
    // The model reads the result list, which goes before the widget's children do: the model goes first.
    delete m_model;
}

QListView* SearchScreen::makeList(QWidget* parent, QSize rowSize)
{
    m_list = new QListView(parent);
    m_list->setObjectName(u"lstRecords"_s);
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setWordWrap(false);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QFont font = Kit::Font(u"Courier New"_s, 11);
    font.setStyleHint(QFont::TypeWriter);
    m_list->setFont(font);
    if (rowSize.height() <= 0)
        rowSize.setHeight(QFontMetrics(font).height());
    m_model->SetRowSize(rowSize);
    return m_list;
}

int SearchScreen::SelectedLine() const
{
    const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

void SearchScreen::SelectLine(int index)
{
    const QModelIndex at = m_model->index(index, 0);
    if (!at.isValid())
        return;
    m_list->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(at);
}

void SearchScreen::clearList()
{
    m_results.Clear();
    m_model->Refresh();
}

void SearchScreen::showCards(const std::vector<CardSummary>& cards)
{
    m_results.Fill(cards);
    m_model->Refresh();
}

void SearchScreen::showCount(QLabel* countLabel) const
{
    countLabel->setText(SearchTexts::CountPrefix + QString::number(m_results.Count()));
}

void SearchScreen::findInList(const QString& key)
{
    if (m_results.IsEmpty()) {
        desktop().Plain(this, SearchTexts::NothingToFind);
        return;
    }
    const FindInListResult found = FindInList(m_results.Lines(), SelectedLine(), key, m_lastFindKey);
    SelectLine(found.selected);
    m_lastFindKey = found.lastFindKey;
}

bool SearchScreen::handBack(int index, bool load)
{
    const std::optional<qint64> id = m_results.ChosenCardId(index);
    if (!id)
        return false;
    if (!load)
        return true;
    bool shown = false;
    Kit::Guarded(this, [&] {
        // The card as it is now, read whole through this screen's own store.
        const std::optional<ArchiveCard> chosen = m_store->Read(*id);
        if (!chosen) {
            desktop().Plain(this, SearchTexts::CardGone);
            return;
        }
        CardTarget* card = m_host.CardByToken(QString(Category().tableName));
        shown = card && card->ShowChosenCard(*chosen);
    });
    return shown;
}

void SearchScreen::printList(const ListPrintStyle& style)
{
    PrintListOnRequest(this, m_results.Lines(), Category(), style);
}

void SearchScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Kit::CentreOnDesktop(this);
}

void SearchScreen::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // However the screen is left ("Chiudi", the close box, Esc, a chosen card), its store opens the archive
    // again. A failure there is not reported: the screen is gone all the same.
    if (event->spontaneous())
        return;
    try {
        m_store->Open();
    } catch (const std::exception& e) {
        Kit::HandleDamage(this, e); // damage is never passed over
    }
}
