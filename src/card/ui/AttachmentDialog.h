// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class ScreenHost;

// What the two attachment dialogs share: slots of a read-only path with "Sfoglia..." and "Apri" and an
// editable description; "Applica e chiudi" writes them into the holders of the record card named by the
// category token in lblMemory. Closing otherwise drops them.
class AttachmentDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Kind { Files, Folder };

    AttachmentDialog(ScreenHost& host, QWidget* owner, Kind kind);

    void SetToken(const QString& tableName);
    void SetSlot(int slot, const QString& path, const QString& description);
    QString Path(int slot) const;
    QString Description(int slot) const;
    int SlotCount() const { return int(m_slots.size()); }
    // Writes the slots into the record card of the token's category and closes; stays open when no
    // category has that token.
    void Apply();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Slot
    {
        QLineEdit* path;
        QLineEdit* description;
        QPushButton* open;
    };
    void browse(int slot);

    ScreenHost& m_host;
    Kind m_kind;
    QLabel* m_memory;
    std::vector<Slot> m_slots;
};

// Up to three files attached to a card.
class TfrmAllegaFile final : public AttachmentDialog
{
    Q_OBJECT
public:
    TfrmAllegaFile(ScreenHost& host, QWidget* owner)
        : AttachmentDialog(host, owner, Kind::Files)
    {}
};

// The folder associated with a card.
class TfrmAllegaCartella final : public AttachmentDialog
{
    Q_OBJECT
public:
    TfrmAllegaCartella(ScreenHost& host, QWidget* owner)
        : AttachmentDialog(host, owner, Kind::Folder)
    {}
};
