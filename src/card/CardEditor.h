// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/ArchiveStore.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

// The record card without its widgets: the card shown (its identifier, its 36 values, its photo and the
// photo waiting to be stored), and the card's rules: opening the archive, paging, new, save in one
// transaction, duplicate, delete and compact. Each rule returns an outcome that the screen turns into its
// message; a failure of the archive that the rule does not answer itself is raised as ESQLiteException,
// and then the card is as it was before the rule.
class CardEditor
{
public:
    enum class Step { First, Previous, Next, Last };

    struct SaveOutcome
    {
        enum class Kind {
            Inserted,         // a new card was stored; it is shown as read back from the archive
            Updated,          // the card shown was stored over its earlier version
            NameMissing,      // nothing stored: the name is empty (after cleaning)
            Unrepresentable,  // nothing stored: field holds character, which the archive cannot hold
            ChangedElsewhere, // nothing stored: another copy changed the card since it was read
            Failed            // nothing stored: error says why
        };
        Kind kind = Kind::Failed;
        bool wasStored = false; // the card had an identifier before the save (an update, not an insert)
        int field = -1;
        QString character;
        QString error;
        std::optional<ESQLiteException> failure; // Failed: what the archive raised, when it raised
    };

    enum class DeleteOutcome { NotStored, Deleted };

    // The card's archive is store's, wherever it lives.
    explicit CardEditor(std::unique_ptr<ArchiveStore> store);
    CardEditor(const CardEditor&) = delete;
    CardEditor& operator=(const CardEditor&) = delete;

    const CategoryDescriptor& Category() const noexcept { return m_store->Category(); }
    ArchiveStore& Store() noexcept { return *m_store; }

    // The card's identifier; empty for a new card, not stored yet.
    std::optional<qint64> Id() const noexcept { return m_id; }
    // The identifier in decimal, as the card shows it; empty for a new card.
    QString IdText() const;
    const CardValues& Values() const noexcept { return m_values; }
    const QString& Value(int field) const { return m_values.at(std::size_t(field)); }
    void SetValue(int field, const QString& text) { m_values.at(std::size_t(field)) = text; }
    void SetValues(const CardValues& values) { m_values = values; }

    // The JPEG bytes of the photo shown: the stored one, or the file loaded since; empty when the card
    // has no photo (the screen shows the placeholder).
    const QByteArray& PhotoBytes() const noexcept { return m_photo; }
    // The file loaded into the card and not stored yet; empty when none.
    const QString& PendingPhotoPath() const noexcept { return m_pendingPhotoPath; }
    // A photo file was loaded (its bytes were found good): it is shown and stored at the next save.
    void SetPendingPhoto(const QString& path, const QByteArray& bytes);
    // The shown photo turned out unusable: the card shows no photo and nothing waits to be stored.
    void DropPhoto();

    // An empty new card. The archive's connection and result set stay as they are.
    void Clear();
    // Shows a card read whole from the archive.
    void Load(const ArchiveCard& card);

    // Opens the archive (creating it when missing); the card shown does not change.
    void OpenArchive();
    // Opens the archive on the step's card and shows it. False when there is no such card (or the
    // archive's table had to be created): the card stays as it was, edits included.
    bool Navigate(Step step);

    // Replaces every ";" and double quote of the 36 texts by a blank (the archive's statements once relied
    // on it, and stored cards never hold them).
    void Sanitise();
    // Saves the card: an insert for a new card, an update of the stored one otherwise, with the pending
    // photo, all in one transaction. An update first checks that nobody changed the stored card since it
    // was read, unless overwrite is set.
    SaveOutcome Save(bool overwrite = false);
    // Makes the card a new one with the same visible texts: no identifier, no photo, no attachments.
    // False (and nothing changed) for a card that is not stored.
    bool Duplicate();
    // Deletes the stored card and clears the card. A failure of the delete itself is raised (the card is
    // unchanged); once the card is deleted, nothing else is reported.
    DeleteOutcome Delete();
    // Rebuilds the archive file without its unused space.
    void Compact();

private:
    void setStored(qint64 id, StoredCard stored);

    std::unique_ptr<ArchiveStore> m_store;
    std::optional<qint64> m_id;
    CardValues m_values;
    QByteArray m_photo;
    QString m_pendingPhotoPath;
    // The card as it was read from (or last written to) the archive.
    std::optional<StoredCard> m_stored;
};
