// SPDX-License-Identifier: GPL-3.0-or-later
#include "PhotoBrowser.h"

PhotoBrowser::PhotoBrowser(const CategoryDescriptor& category, const QString& programFolder)
    : m_store(category, programFolder)
{}

QString PhotoBrowser::StepQuery(const CategoryStore& store, Step step, std::optional<qint64> from)
{
    switch (step) {
    case Step::First:
        break;
    case Step::Previous:
        // The highest identifier below the current one, whether or not another copy deleted that card.
        if (from)
            return store.QueryPrevious(*from);
        break;
    case Step::Next:
        if (from)
            return store.QueryNext(*from);
        break;
    case Step::Last:
        return store.QueryLast();
    }
    return store.QueryFirst();
}

void PhotoBrowser::Open()
{
    m_current.reset();
    m_store.OpenArchive(m_store.QueryFirst());
}

std::optional<PhotoCard> PhotoBrowser::Navigate(Step step)
{
    if (!m_store.OpenArchive(StepQuery(m_store, step, m_current)))
        return std::nullopt;
    const TSQLiteTable& row = *m_store.Cursor();
    if (row.RowCount() == 0)
        return std::nullopt;
    PhotoCard card = PhotoCard::FromRow(row);
    m_current = card.id;
    return card;
}

void PhotoBrowser::Close() noexcept
{
    try {
        m_store.OpenArchive(m_store.QueryFirst());
    } catch (...) {
        // Leaving the screen never fails.
    }
}
