// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "card/CardEditor.h"
#include "kit/CardTarget.h"
#include "kit/ScreenHost.h"
#include "kit/WorkingWindow.h"

#include <QByteArray>
#include <array>

class CommandPicture;
class PictureBox;
class QLabel;

// The working screen of one archive: one card at a time, paged in identifier order, created, duplicated,
// saved, deleted; its photo, its attachments, and the doors to the archive's other screens. The card's
// state and rules are those of its CardEditor; this screen lays the card out, shows the editor's state
// and turns the outcomes of its rules into messages.
class RecordCard : public WorkingWindow<QWidget>, public CardTarget
{
    Q_OBJECT
public:
    static constexpr QSize PreviewSize{320, 237};
    using ArchiveScreen = ScreenHost::ArchiveScreen;

    RecordCard(ScreenHost& host, const CategoryDescriptor& category);
    ~RecordCard() override;

    const CategoryDescriptor& Category() const noexcept { return m_editor.Category(); }
    CardEditor& Editor() noexcept { return m_editor; }
    ArchiveStore& Store() noexcept { return m_editor.Store(); }

    // Fills the card with a card read whole from the archive. The preview shows the placeholder when the
    // card has no photo.
    void LoadCard(const ArchiveCard& card);
    // Resets to an empty new card.
    void ClearCard();
    // Replaces every ";" and double quote of the 36 texts by a blank, in the controls too.
    void SanitiseCardText();
    // Shows the placeholder picture in the preview.
    void ShowPlaceholder();

    // CardTarget
    void SetValue(int field, const QString& text) override;
    bool ShowChosenCard(const ArchiveCard& card) override;

    // The 36 texts as the controls hold them.
    CardValues Values() const;
    QString Value(int field) const;
    // The identifier shown in lblPosizione; empty for a new card.
    QString CurrentCardId() const;
    QString PendingPhotoPath() const;
    bool PreviewHasPicture() const;
    // The JPEG bytes of the picture the preview shows (the placeholder's when it shows the placeholder).
    const QByteArray& PreviewBytes() const noexcept { return m_previewBytes; }
    PictureBox* Preview() const noexcept { return m_preview; }

    // The commands, as their controls run them.
    void NewCard();
    void DuplicateCard();
    void SaveCard();
    void DeleteCard();
    void CompactArchive();
    void ShowFirst();
    void ShowPrevious();
    void ShowNext();
    void ShowLast();
    void LoadPhoto();
    void SavePhotoToDisk();
    void ZoomPhoto();
    void AttachFiles();
    void AssociateFolder();
    // The schedule and booklet of the stored card shown.
    void OpenSchedule();
    // Hands the card as shown, with its picture, to a new document of the word processor; any failure is
    // reported in a plain box and leaves the card as it was.
    void ExportToWord();
    void OpenArchiveScreen(ArchiveScreen screen);

    // The name of a field, for messages ("Razza", "File allegato 1").
    QString FieldName(int field) const;
    // Where the container goes for a window of the given outer size.
    static QPoint ContainerPosition(QSize outerSize);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildCommands(QWidget* container);
    void buildPhotoColumn(QWidget* container);
    void buildFields(QWidget* container);
    void navigate(CardEditor::Step step);
    // Copies the controls into the editor, and the editor into the controls and the preview.
    void pullValues();
    void showEditor();
    void showPosition();
    void showPhoto();
    void setControlText(int field, const QString& text);
    QWidget* control(int field) const { return m_controls[std::size_t(field)]; }

    ScreenHost& m_host;
    CardEditor m_editor;
    QLabel* m_status = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_pendingPhoto = nullptr;
    PictureBox* m_preview = nullptr;
    PictureBox* m_placeholderBox = nullptr;
    std::array<QWidget*, CardFields::Count> m_controls{};
    QByteArray m_previewBytes;
};
