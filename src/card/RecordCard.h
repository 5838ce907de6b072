// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryStore.h"

#include <QByteArray>
#include <QWidget>
#include <array>

class CommandPicture;
class PictureBox;
class QLabel;
class QLineEdit;
class Screens;
class TSQLiteTable;

// The working screen of one archive: one card at a time, paged in identifier order, created, duplicated,
// saved, deleted; its photo, its attachments, and the doors to the archive's other screens.
class RecordCard : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize PreviewSize{320, 237};

    // The archive's other screens, opened from the card after it clears itself.
    enum class ArchiveScreen { Find, AdvancedSearch, PhotoViewer, Slideshow, Export };

    RecordCard(Screens& screens, const CategoryDescriptor& category);
    ~RecordCard() override;

    const CategoryDescriptor& Category() const noexcept { return m_category; }
    CategoryStore& Store() noexcept { return m_store; }

    // Fills the card from the current row of a result set of this category. The preview is left empty
    // when the card has no photo; callers put the placeholder in.
    void LoadCardFromRow(const TSQLiteTable& row);
    // Resets to an empty new card.
    void ClearCard();
    // Replaces every ";" and double quote of the 36 texts by a blank, in the controls too.
    void SanitiseCardText();
    // Shows the placeholder picture in the preview.
    void ShowPlaceholder();

    // The 36 texts as the controls hold them; and writing one of them.
    CardValues Values() const;
    QString Value(int field) const;
    void SetValue(int field, const QString& text);
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
    void OpenArchiveScreen(ArchiveScreen screen);

    // The window caption's name of a field, for messages ("Razza", "File allegato 1").
    QString FieldName(int field) const;
    // Where the container goes for a window of the given outer size.
    static QPoint ContainerPosition(QSize outerSize);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildCommands(QWidget* container);
    void buildPhotoColumn(QWidget* container);
    void buildFields(QWidget* container);
    void navigate(const QString& positioningSql);
    void ensureConnection();
    void showPicture(const QByteArray& bytes, bool fromArchive);
    void saveFailed(const QString& reason);
    QWidget* control(int field) const { return m_controls[std::size_t(field)]; }

    Screens& m_screens;
    const CategoryDescriptor& m_category;
    CategoryStore m_store;
    QWidget* m_container = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_position = nullptr;
    QLineEdit* m_pendingPhoto = nullptr;
    PictureBox* m_preview = nullptr;
    PictureBox* m_placeholderBox = nullptr;
    std::array<QWidget*, CardFields::Count> m_controls{};
    QByteArray m_previewBytes;
};
