// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PhotoCard.h"
#include "storage/CategoryStore.h"

#include <optional>

// The slideshow's order without its widgets: the card shown and the step the timer runs. Steps follow
// identifier order; after the card with the highest identifier one step shows nothing new and forgets the
// card shown, so that the last card stays for two intervals and the next step starts again from the
// first. Every step opens the archive afresh on the slideshow's own connection, so a card added meanwhile
// is shown in the same pass when its identifier comes later.
class SlideSequence
{
public:
    enum class Outcome {
        Shown,     // card is the new card shown
        PassEnded, // no card after the one shown: it stays on screen, the next step starts from the first
        Unchanged  // nothing to show: an empty archive, or its table had to be created
    };
    struct Step
    {
        Outcome outcome = Outcome::Unchanged;
        PhotoCard card;
    };

    SlideSequence(const CategoryDescriptor& category, const QString& programFolder);
    SlideSequence(const SlideSequence&) = delete;
    SlideSequence& operator=(const SlideSequence&) = delete;

    CategoryStore& Store() noexcept { return m_store; }
    // The card shown; nothing before the first card and after the last.
    std::optional<qint64> Current() const noexcept { return m_current; }

    // Back to the starting state, without reading the archive.
    void Restart() noexcept { m_current.reset(); }
    // One step of the show. Raises ESQLiteException when the archive cannot be opened or read; the card
    // shown then stays the current one, and the next step goes on from it.
    Step Advance();
    // The card the coming steps will show next (the first card when the next step ends the pass), read on
    // a connection of its own that creates nothing; nothing when there is none. Raises ESQLiteException
    // when the archive cannot be read. The sequence itself does not change.
    std::optional<PhotoCard> Upcoming() const;
    // Opens the archive on the first card again, as whenever the screen is left; a failure is not
    // reported.
    void Close() noexcept;

private:
    CategoryStore m_store;
    std::optional<qint64> m_current;
};
