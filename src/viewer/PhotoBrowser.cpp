// SPDX-License-Identifier: GPL-3.0-or-later
#include "PhotoBrowser.h"

PhotoBrowser::PhotoBrowser(std::unique_ptr<ArchiveStore> store)
    : m_store(std::move(store))
{}

void PhotoBrowser::Open()
{
    m_current.reset();
    m_store->Open();
}

std::optional<PhotoCard> PhotoBrowser::Navigate(Step step)
{
    // Previous and next go from the card shown, whether or not another copy deleted it meanwhile.
    using S = ArchiveStore::Step;
    static constexpr S steps[] = {S::First, S::Previous, S::Next, S::Last};
    const std::optional<ArchiveCard> card = m_store->Position(steps[int(step)], m_current);
    if (!card)
        return std::nullopt;
    PhotoCard photo = PhotoCard::FromCard(*card);
    m_current = photo.id;
    return photo;
}

void PhotoBrowser::Close() noexcept
{
    try {
        m_store->Open();
    } catch (...) {
        // Leaving the screen never fails.
    }
}
