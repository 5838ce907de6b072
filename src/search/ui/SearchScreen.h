// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ListPrinting.h"
#include "search/ResultList.h"
#include "storage/ArchiveStore.h"

#include <QDialog>
#include <memory>

class QLabel;
class QListView;
class ResultListModel;
class ScreenHost;

// What the find dialog and the advanced search share: a fixed-size modal dialog of 783 x 505 on silver,
// the screen's own store of the archive, the sorted result list behind lstRecords, the in-list find, the
// hand-back of a chosen card to the record card, printing, and the closing rule (however the screen is
// left, it opens its archive again on the first card, and a failure there is not reported).
class SearchScreen : public QDialog
{
    Q_OBJECT
public:
    static constexpr QSize ClientSize{783, 505};
    // How far the result lists scroll horizontally.
    static constexpr int ScrollWidth = 1500;

    ~SearchScreen() override;

    const CategoryDescriptor& Category() const noexcept { return m_store->Category(); }
    ArchiveStore& Store() noexcept { return *m_store; }
    const ResultList& Results() const noexcept { return m_results; }
    QListView* List() const noexcept { return m_list; }
    // The selected line of lstRecords, or -1.
    int SelectedLine() const;
    void SelectLine(int index);
    // The remembered in-list key (lower-cased).
    const QString& LastFindKey() const noexcept { return m_lastFindKey; }

protected:
    SearchScreen(ScreenHost& host, const CategoryDescriptor& category, const QString& objectName,
                 const QString& title);

    // lstRecords under parent, over the result list, in Courier New 8 pt; rowSize's width is how far it
    // scrolls, a height of 0 is the font's.
    QListView* makeList(QWidget* parent, QSize rowSize);
    // Empties lstRecords.
    void clearList();
    // Shows the found cards in lstRecords, sorted, and the count in countLabel.
    void showCards(const std::vector<CardSummary>& cards);
    void showCount(QLabel* countLabel) const;
    // The in-list find with the key typed: the empty-list message, the selection, the remembered key.
    void findInList(const QString& key);
    void forgetLastFindKey() { m_lastFindKey.clear(); }
    // The card behind line index, read whole through this screen's store and shown on the record card.
    // True when the card is shown and the screen should close; otherwise the reason has been shown and the
    // record card is unchanged. When load is false the record card is left as it is and the screen
    // closes all the same.
    bool handBack(int index, bool load = true);
    // "Stampa" of lstRecords.
    void printList(const ListPrintStyle& style);

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    ScreenHost& m_host;

private:
    std::unique_ptr<ArchiveStore> m_store;
    ResultList m_results;
    ResultListModel* m_model = nullptr;
    QListView* m_list = nullptr;
    QString m_lastFindKey;
};

// The texts both screens share.
namespace SearchTexts {
inline const QString NothingToFind =
    QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce.");
inline const QString CardGone =
    QStringLiteral("La scheda selezionata non \u00e8 pi\u00f9 presente in archivio.");
inline const QString CountPrefix = QStringLiteral("Totale schede : ");
} // namespace SearchTexts
