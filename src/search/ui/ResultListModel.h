// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QSize>

class ResultList;

// The lines of a ResultList for a list view, in the list's order. It reads the list it was given and
// copies nothing; Refresh() after the list has changed.
class ResultListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    ResultListModel(const ResultList& lines, QObject* parent);

    // Every row's size hint: the width is how far the list scrolls horizontally.
    void SetRowSize(QSize size) { m_rowSize = size; }
    QSize RowSize() const noexcept { return m_rowSize; }
    // The views show the list as it is now.
    void Refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const ResultList& m_lines;
    QSize m_rowSize;
};
