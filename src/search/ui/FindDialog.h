// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SearchScreen.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// The find dialog of one archive (TfrmTrova + the category's key): lists the cards whose chosen field
// contains a key, moves the selection through the list by a second key, prints the list, and shows the
// card chosen by a double-click on the record card. One instance lives for the whole run, so the
// criterion, the key and the state of "Cerca in archivio" stay from one showing to the next.
class FindDialog final : public SearchScreen
{
    Q_OBJECT
public:
    FindDialog(ScreenHost& host, const CategoryDescriptor& category);

    // The commands, as the buttons and the list run them.
    // "Cerca in archivio": the cards whose chosen field contains the key, sorted, and their count. A
    // failure of the archive is shown in the default error box and leaves the list empty.
    void Search();
    // "Trova": the next line holding the in-list key.
    void FindInList();
    // "Stampa".
    void Print();
    // Double-click: the selected line's card, read again from the archive, on the record card; then the
    // dialog closes. A card deleted since the search is said so, and the dialog stays.
    void ShowChosenCard();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* m_criterion = nullptr;
    QLineEdit* m_key = nullptr;
    QPushButton* m_search = nullptr;
    QLineEdit* m_findKey = nullptr;
    QLabel* m_count = nullptr;
};
