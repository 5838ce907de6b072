// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlideSequence.h"

#include <QFileInfo>

namespace {

// The look-ahead gives up at once when another connection is writing: the step itself will read the card.
constexpr int LookAheadBusyTimeoutMs = 50;

} // namespace

SlideSequence::SlideSequence(const CategoryDescriptor& category, const QString& programFolder)
    : m_store(category, programFolder)
{}

SlideSequence::Step SlideSequence::Advance()
{
    Step step;
    if (m_current) {
        if (!m_store.OpenArchive(m_store.QueryNext(*m_current)))
            return step;
        const TSQLiteTable& row = *m_store.Cursor();
        if (row.RowCount() == 0) {
            m_current.reset();
            step.outcome = Outcome::PassEnded;
            return step;
        }
        step.card = PhotoCard::FromRow(row);
    } else {
        if (!m_store.OpenArchive(m_store.QueryFirst()))
            return step;
        const TSQLiteTable& row = *m_store.Cursor();
        if (row.RowCount() == 0)
            return step;
        step.card = PhotoCard::FromRow(row);
    }
    m_current = step.card.id;
    step.outcome = Outcome::Shown;
    return step;
}

std::optional<PhotoCard> SlideSequence::Upcoming() const
{
    const QString path = m_store.DatabasePath();
    if (!QFileInfo::exists(path))
        return std::nullopt;
    TSQLiteDatabase db(path, LookAheadBusyTimeoutMs);
    if (!db.HasTable(QString(m_store.category().tableName)))
        return std::nullopt;
    if (m_current) {
        const auto next = db.OpenQuery(m_store.QueryNext(*m_current));
        if (next->RowCount() > 0)
            return PhotoCard::FromRow(*next);
    }
    const auto first = db.OpenQuery(m_store.QueryFirst());
    if (first->RowCount() > 0)
        return PhotoCard::FromRow(*first);
    return std::nullopt;
}

void SlideSequence::Close() noexcept
{
    try {
        m_store.OpenArchive(m_store.QueryFirst());
    } catch (...) {
        // Leaving the screen never fails.
    }
}
