// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SearchScreen.h"

#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;

// The advanced search of one archive (TfrmRicerca + the category's key): the cards matching up to nine
// fields at once. The search form and the result list take turns in the same place; the list can be
// searched by a key, printed, and a double-click shows the line's card on the record card. One instance
// lives for the whole run: the nine fields and the remembered in-list key stay from one opening to the next.
class AdvancedSearch final : public SearchScreen
{
    Q_OBJECT
public:
    AdvancedSearch(ScreenHost& host, const CategoryDescriptor& category);

    // The category token the record card gives before opening the screen (its table name), in lblMemory.
    void SetToken(const QString& tableName);

    // The commands, as the buttons and the list run them.
    // "Trova": the cards whose nine fields contain each its text, shown as the list. A failure of the
    // archive is shown in the default error box, and the form stays.
    void Search();
    // "<< Indietro": back to the form, the texts kept.
    void Back();
    // "Cerca": the next line holding the in-list key.
    void FindInList();
    // "Stampa".
    void Print();
    // Double-click: the selected line's card on the record card (only when lblMemory names this archive),
    // then the screen closes.
    void ShowChosenCard();

    // Whether the result list (rather than the form) is shown.
    bool ShowsList() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showForm();

    QLabel* m_memory = nullptr;
    QGroupBox* m_form = nullptr;
    QGroupBox* m_listGroup = nullptr;
    std::array<QLineEdit*, AdvancedSearchFields.size()> m_fields{};
    QLineEdit* m_findKey = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_search = nullptr;
    QLabel* m_count = nullptr;
};
