// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PhotoCard.h"
#include "storage/CategoryStore.h"

#include <optional>

// The photo viewer without its widgets: the card it shows and how it moves among the archive's cards in
// identifier order. Every move opens the archive afresh on the viewer's own connection (creating the
// table when it is missing) with the move's positioning query. A failure of the archive is raised as
// ESQLiteException, and the card shown stays the current one.
class PhotoBrowser
{
public:
    enum class Step { First, Previous, Next, Last };

    PhotoBrowser(const CategoryDescriptor& category, const QString& programFolder);
    PhotoBrowser(const PhotoBrowser&) = delete;
    PhotoBrowser& operator=(const PhotoBrowser&) = delete;

    CategoryStore& Store() noexcept { return m_store; }
    // The card shown; nothing in the introductory state.
    std::optional<qint64> Current() const noexcept { return m_current; }

    // Forgets the current card and opens the archive positioned on the first card, without reading it:
    // the viewer always starts from its introductory state.
    void Open();
    // Moves to the step's card and returns it. Nothing when there is none (an empty archive, a step past
    // either end, or a table that had to be created): the current card stays. From no card, first,
    // previous and next all lead to the first card.
    std::optional<PhotoCard> Navigate(Step step);
    // Opens the archive on the first card again, as whenever the screen is left; a failure is not
    // reported.
    void Close() noexcept;

    // The positioning query of a step taken from a card, or from no card.
    static QString StepQuery(const CategoryStore& store, Step step, std::optional<qint64> from);

private:
    CategoryStore m_store;
    std::optional<qint64> m_current;
};
