// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PhotoCard.h"
#include "storage/ArchiveStore.h"

#include <memory>
#include <optional>

// The photo viewer without its widgets: the card it shows and how it moves among the archive's cards in
// identifier order, through the viewer's own store (on files, every move opens the archive afresh,
// creating it when it is missing). A failure of the archive is raised as ESQLiteException, and the card
// shown stays the current one.
class PhotoBrowser
{
public:
    enum class Step { First, Previous, Next, Last };

    explicit PhotoBrowser(std::unique_ptr<ArchiveStore> store);
    PhotoBrowser(const PhotoBrowser&) = delete;
    PhotoBrowser& operator=(const PhotoBrowser&) = delete;

    ArchiveStore& Store() noexcept { return *m_store; }
    // The card shown; nothing in the introductory state.
    std::optional<qint64> Current() const noexcept { return m_current; }

    // Forgets the current card and opens the archive, without reading a card: the viewer always starts
    // from its introductory state.
    void Open();
    // Moves to the step's card and returns it. Nothing when there is none (an empty archive, a step past
    // either end, or a table that had to be created): the current card stays. From no card, first,
    // previous and next all lead to the first card.
    std::optional<PhotoCard> Navigate(Step step);
    // Opens the archive again, as whenever the screen is left; a failure is not reported.
    void Close() noexcept;

private:
    std::unique_ptr<ArchiveStore> m_store;
    std::optional<qint64> m_current;
};
