// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/WorkingWindow.h"
#include "viewer/PhotoBrowser.h"

#include <QByteArray>
#include <QPointer>

class CommandPicture;
class PictureBox;
class QLabel;
class ScreenHost;

// The photo viewer of one archive: pages through the cards in identifier order, one photo at a time, with
// the animal's name above it and the photo's caption below, and opens the photo at full screen. It only
// reads the archive. Shown modally from the record card, always starting from its introductory state.
class PhotoViewer : public WorkingWindow<QDialog>
{
    Q_OBJECT
public:
    static constexpr QSize PhotoArea{715, 539};
    static constexpr int LeftShift = 8;

    PhotoViewer(ScreenHost& host, const CategoryDescriptor& category);
    ~PhotoViewer() override;

    const CategoryDescriptor& Category() const noexcept { return m_category; }
    PhotoBrowser& Browser() noexcept { return m_browser; }

    // Shows the viewer modally, maximised on the screen opener is on, and returns when it is left.
    void Run(QWidget* opener);

    // The introductory state: no card, the placeholder, the title and the hint at the bottom.
    void ResetViewer();
    // Shows a card: its identifier, name, caption and photo (the placeholder when it has none). A photo
    // that cannot be decoded shows the placeholder and is reported once.
    void ShowViewerCard(const PhotoCard& card);

    // The commands, as their pictures, the photo and the keys run them. A failure of the archive is shown
    // in the default error box; the card shown stays.
    void ShowFirst();
    void ShowPrevious();
    void ShowNext();
    void ShowLast();
    void ZoomPhoto();

    // The identifier shown in lblPosizione; empty in the introductory state.
    QString CurrentCardId() const;
    PictureBox* Photo() const noexcept { return m_photo; }
    // The JPEG bytes of the photo shown; empty while the placeholder is shown.
    const QByteArray& PhotoBytes() const noexcept { return m_photoBytes; }

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void navigate(PhotoBrowser::Step step);
    void showPlaceholder();
    void setLabelText(QLabel* label, const QString& text, int pixels);

    const CategoryDescriptor& m_category;
    PhotoBrowser m_browser;
    QPointer<QWidget> m_opener;
    QLabel* m_title = nullptr;
    QLabel* m_caption = nullptr;
    QLabel* m_position = nullptr;
    PictureBox* m_photo = nullptr;
    PictureBox* m_placeholderBox = nullptr;
    QByteArray m_photoBytes;
};
