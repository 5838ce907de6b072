// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardEditor.h"

#include "storage/Win1252.h"

using namespace Qt::Literals::StringLiterals;

CardEditor::CardEditor(std::unique_ptr<ArchiveStore> store)
    : m_store(std::move(store))
{}

QString CardEditor::IdText() const
{
    return m_id ? QString::number(*m_id) : QString();
}

void CardEditor::SetPendingPhoto(const QString& path, const QByteArray& bytes)
{
    m_pendingPhotoPath = path;
    m_photo = bytes;
}

void CardEditor::DropPhoto()
{
    m_pendingPhotoPath.clear();
    m_photo.clear();
}

void CardEditor::Clear()
{
    m_id.reset();
    m_values = {};
    m_photo.clear();
    m_pendingPhotoPath.clear();
    m_stored.reset();
}

void CardEditor::Load(const ArchiveCard& card)
{
    CardValues values;
    for (int i = 0; i < CardFields::Count; ++i)
        values[std::size_t(i)] = Win1252::Decode(card.stored.texts.value(i));
    m_values = values;
    m_photo = card.stored.picture;
    m_pendingPhotoPath.clear();
    setStored(card.id, card.stored);
}

void CardEditor::setStored(qint64 id, StoredCard stored)
{
    m_id = id;
    m_stored = std::move(stored);
}

void CardEditor::OpenArchive()
{
    m_store->Open();
}

bool CardEditor::Navigate(Step step)
{
    using S = ArchiveStore::Step;
    static constexpr S steps[] = {S::First, S::Previous, S::Next, S::Last};
    const std::optional<ArchiveCard> card = m_store->Position(steps[int(step)], m_id);
    if (!card)
        return false;
    Load(*card);
    return true;
}

void CardEditor::Sanitise()
{
    for (QString& text : m_values) {
        text.replace(u';', u' ');
        text.replace(u'"', u' ');
    }
}

CardEditor::SaveOutcome CardEditor::Save(bool overwrite)
{
    using Kind = SaveOutcome::Kind;
    SaveOutcome outcome;
    outcome.wasStored = m_id.has_value();
    try {
        m_store->Open();
    } catch (const ESQLiteException& e) {
        outcome.error = e.message();
        outcome.failure = e;
        return outcome;
    }
    Sanitise();
    if (Win1252::Trimmed(Value(CardFields::Nome)).isEmpty()) {
        outcome.kind = Kind::NameMissing;
        return outcome;
    }
    // A text that the archive's character set cannot hold is refused, never altered.
    for (int i = 0; i < CardFields::Count; ++i) {
        const QString& text = Value(i);
        qsizetype bad = 0;
        if (!Win1252::Encode(text, &bad)) {
            outcome.kind = Kind::Unrepresentable;
            outcome.field = i;
            outcome.character = text.mid(bad, text.at(bad).isHighSurrogate() ? 2 : 1);
            return outcome;
        }
    }

    StoredCard written;
    qint64 id = 0;
    try {
        const StoredCard* expected = (m_id && m_stored && !overwrite) ? &*m_stored : nullptr;
        id = m_store->SaveCard(m_id, m_values, m_pendingPhotoPath, expected, &written);
    } catch (const ECardChangedElsewhere& e) {
        outcome.kind = Kind::ChangedElsewhere;
        outcome.error = e.message();
        return outcome;
    } catch (const ESQLiteException& e) {
        // Nothing was stored: the card stays as typed, with its identifier and its pending photo.
        outcome.error = e.message();
        outcome.failure = e;
        return outcome;
    }
    m_pendingPhotoPath.clear();
    m_photo = written.picture;
    if (outcome.wasStored) {
        setStored(id, written);
        outcome.kind = Kind::Updated;
        return outcome;
    }
    outcome.kind = Kind::Inserted;
    // The new card is shown as the archive holds it (trimmed texts, the photo), as read back in the save.
    Load(ArchiveCard{id, written});
    return outcome;
}

bool CardEditor::Duplicate()
{
    if (!m_id)
        return false;
    m_id.reset();
    m_stored.reset();
    m_photo.clear();
    m_pendingPhotoPath.clear();
    for (int i = CardFields::EditableCount; i < CardFields::Count; ++i)
        m_values[std::size_t(i)].clear();
    return true;
}

CardEditor::DeleteOutcome CardEditor::Delete()
{
    if (!m_id)
        return DeleteOutcome::NotStored;
    m_store->DeleteCard(*m_id);
    Clear();
    return DeleteOutcome::Deleted;
}

void CardEditor::Compact()
{
    m_store->Compact();
}
