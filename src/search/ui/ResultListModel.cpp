// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultListModel.h"

#include "search/ResultList.h"

ResultListModel::ResultListModel(const ResultList& lines, QObject* parent)
    : QAbstractListModel(parent)
    , m_lines(lines)
{}

void ResultListModel::Refresh()
{
    beginResetModel();
    endResetModel();
}

int ResultListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_lines.Count();
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.Count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return m_lines.Lines().at(index.row());
    case Qt::SizeHintRole:
        return m_rowSize.isValid() ? QVariant(m_rowSize) : QVariant();
    default:
        return {};
    }
}
