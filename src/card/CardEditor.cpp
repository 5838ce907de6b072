// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardEditor.h"

#include "storage/Win1252.h"

using namespace Qt::Literals::StringLiterals;

CardEditor::CardEditor(const CategoryDescriptor& category, const QString& programFolder)
    : m_store(category, programFolder)
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

void CardEditor::LoadFromRow(const TSQLiteTable& row)
{
    // Everything is read before anything changes, so that a row that cannot be read leaves the card as it
    // was (a new identifier over old texts would make the next save overwrite another card).
    const qint64 id = row.IntegerValue(row.ColumnIndexOf(u"ID"_s));
    StoredCard stored = CategoryStore::ReadStoredCard(row);
    CardValues values;
    for (int i = 0; i < CardFields::Count; ++i)
        values[std::size_t(i)] = Win1252::Decode(stored.texts.at(i));

    m_values = values;
    m_photo = stored.picture;
    m_pendingPhotoPath.clear();
    setStored(id, std::move(stored));
}

void CardEditor::setStored(qint64 id, StoredCard stored)
{
    m_id = id;
    m_stored = std::move(stored);
}

void CardEditor::OpenArchive()
{
    if (m_store.OpenArchive(m_store.QueryFirst()))
        m_store.Cursor()->GoFirst();
}

bool CardEditor::Navigate(Step step)
{
    QString sql;
    switch (step) {
    case Step::First:
        sql = m_store.QueryFirst();
        break;
    case Step::Previous:
        sql = m_id ? m_store.QueryPrevious(*m_id) : m_store.QueryFirst();
        break;
    case Step::Next:
        sql = m_id ? m_store.QueryNext(*m_id) : m_store.QueryFirst();
        break;
    case Step::Last:
        sql = m_store.QueryLast();
        break;
    }
    if (!m_store.OpenArchive(sql))
        return false;
    const TSQLiteTable& row = *m_store.Cursor();
    if (row.RowCount() == 0)
        return false;
    LoadFromRow(row);
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
        m_store.OpenArchive(m_store.QueryFirst());
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
        id = m_store.SaveCard(m_id, m_values, m_pendingPhotoPath, expected, &written);
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
    setStored(id, written);
    if (outcome.wasStored) {
        outcome.kind = Kind::Updated;
        return outcome;
    }
    outcome.kind = Kind::Inserted;
    // The new card is shown as the archive holds it: trimmed texts, the photo read back.
    try {
        TSQLiteTable& row = m_store.Query(m_store.QueryById(id));
        if (row.GoLast())
            LoadFromRow(row);
    } catch (const ESQLiteException&) {
        // The card is stored, and known by its identifier; it keeps showing what was typed.
    }
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

void CardEditor::ensureConnection()
{
    // Delete and compact act on the current connection; a failed open may have left none.
    if (!m_store.Database())
        m_store.OpenArchive(m_store.QueryFirst());
}

CardEditor::DeleteOutcome CardEditor::Delete()
{
    if (!m_id)
        return DeleteOutcome::NotStored;
    ensureConnection();
    m_store.DeleteRow(*m_id);
    try {
        m_store.Query(m_store.QueryFirst()).GoFirst();
    } catch (const ESQLiteException&) {
        // The card is deleted all the same; the next action opens the archive again.
    }
    Clear();
    return DeleteOutcome::Deleted;
}

void CardEditor::Compact()
{
    ensureConnection();
    m_store.CompactArchive();
}
