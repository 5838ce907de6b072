// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlideSequence.h"

using StoreStep = ArchiveStore::Step;

SlideSequence::SlideSequence(std::unique_ptr<ArchiveStore> store, std::unique_ptr<ArchiveStore> lookAhead)
    : m_store(std::move(store))
    , m_lookAhead(std::move(lookAhead))
{}

SlideSequence::Step SlideSequence::Advance()
{
    Step step;
    if (m_current) {
        const std::optional<ArchiveCard> next = m_store->Position(StoreStep::Next, *m_current);
        if (!next) {
            m_current.reset();
            step.outcome = Outcome::PassEnded;
            return step;
        }
        step.card = PhotoCard::FromCard(*next);
    } else {
        const std::optional<ArchiveCard> first = m_store->Position(StoreStep::First);
        if (!first)
            return step;
        step.card = PhotoCard::FromCard(*first);
    }
    m_current = step.card.id;
    step.outcome = Outcome::Shown;
    return step;
}

std::optional<PhotoCard> SlideSequence::Upcoming() const
{
    if (m_current) {
        if (const auto next = m_lookAhead->Position(StoreStep::Next, *m_current))
            return PhotoCard::FromCard(*next);
    }
    if (const auto first = m_lookAhead->Position(StoreStep::First))
        return PhotoCard::FromCard(*first);
    return std::nullopt;
}

void SlideSequence::Close() noexcept
{
    try {
        m_store->Open();
    } catch (...) {
        // Leaving the screen never fails.
    }
}
