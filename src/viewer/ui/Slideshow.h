// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "viewer/SlideSequence.h"

#include <QDialog>
#include <QPointer>

class PictureBox;
class QLabel;
class QPushButton;
class ScreenHost;
class SlidePreparer;
class Ticker;

// The slideshow of one archive: every six seconds the next card's photo at full screen, with the
// animal's name in a bar across the top, in identifier order, starting again after the last, until a
// click. It only reads the archive. Shown modally from the record card; borderless, covering the screen
// it opens on. While it runs, the screen does not blank and the pointer hides when it rests.
class Slideshow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int IntervalMs = 6000;
    static constexpr int PointerRestMs = 3000;
    // How long after a step the next card's picture starts being prepared.
    static constexpr int PrepareDelayMs = 250;
    static constexpr int TitleHeight = 32;

    Slideshow(ScreenHost& host, const CategoryDescriptor& category);
    ~Slideshow() override;

    const CategoryDescriptor& Category() const noexcept { return m_category; }
    SlideSequence& Sequence() noexcept { return m_sequence; }

    // Shows the slideshow modally over the whole screen opener is on, and returns when it is left.
    void Run(QWidget* opener);
    // One step, as the timer and the hidden cmdAvanti run it. When the archive cannot be read, the timer
    // stops while the error box is shown and starts again when it is answered: the show goes on from the
    // same card.
    void AdvanceSlide();

    // The identifier shown in lblPosizione; empty before the first card and after the last.
    QString CurrentCardId() const;
    QString Title() const;
    PictureBox* Picture() const noexcept { return m_picture; }
    Ticker& Timer() const noexcept { return *m_timer; }
    bool PointerHidden() const noexcept { return m_pointerHidden; }
    // How many slides were shown from a picture prepared before their step.
    int PreparedSlidesShown() const noexcept { return m_preparedShown; }
    SlidePreparer& Preparer() const noexcept { return *m_preparer; }

    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSlide(const PhotoCard& card);
    void showPlaceholder();
    void prepareUpcoming();
    void startRunning();
    void stopRunning();
    void leave();
    void setPointerVisible(bool visible);

    const CategoryDescriptor& m_category;
    SlideSequence m_sequence;
    QPointer<QWidget> m_opener;
    QLabel* m_title = nullptr;
    QLabel* m_position = nullptr;
    PictureBox* m_picture = nullptr;
    PictureBox* m_placeholderBox = nullptr;
    QPushButton* m_advance = nullptr;
    Ticker* m_timer = nullptr;
    Ticker* m_pointerTimer = nullptr;
    Ticker* m_prepareTimer = nullptr;
    SlidePreparer* m_preparer = nullptr;
    bool m_pointerHidden = false;
    int m_preparedShown = 0;
};
