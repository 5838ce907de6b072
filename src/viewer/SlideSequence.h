// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PhotoCard.h"
#include "storage/ArchiveStore.h"

#include <memory>
#include <optional>

// The slideshow's order without its widgets: the card shown and the step the timer runs. Steps follow
// identifier order; after the card with the highest identifier one step shows nothing new and forgets the
// card shown, so that the last card stays for two intervals and the next step starts again from the
// first. Every step reads the archive afresh through the slideshow's own store, so a card added meanwhile
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

    // store for the steps; lookAhead, a store of its own that creates nothing (ScreenHost's detached
    // store), for the look-ahead.
    SlideSequence(std::unique_ptr<ArchiveStore> store, std::unique_ptr<ArchiveStore> lookAhead);
    SlideSequence(const SlideSequence&) = delete;
    SlideSequence& operator=(const SlideSequence&) = delete;

    ArchiveStore& Store() noexcept { return *m_store; }
    // The card shown; nothing before the first card and after the last.
    std::optional<qint64> Current() const noexcept { return m_current; }

    // Back to the starting state, without reading the archive.
    void Restart() noexcept { m_current.reset(); }
    // One step of the show. Raises ESQLiteException when the archive cannot be opened or read; the card
    // shown then stays the current one, and the next step goes on from it.
    Step Advance();
    // The card the coming steps will show next (the first card when the next step ends the pass), read
    // through the look-ahead's store; nothing when there is none. Raises ESQLiteException when the
    // archive cannot be read. The sequence itself does not change.
    std::optional<PhotoCard> Upcoming() const;
    // Opens the archive again, as whenever the screen is left; a failure is not reported.
    void Close() noexcept;

private:
    std::unique_ptr<ArchiveStore> m_store;
    std::unique_ptr<ArchiveStore> m_lookAhead;
    std::optional<qint64> m_current;
};
