// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QSize>
#include <QStringList>
#include <functional>

class QWidget;

// The conventions every screen of the program shares.
namespace ScreenKit {

inline const QColor FocusYellow{255, 255, 0};
inline const QColor MoneyGreen{192, 220, 192};
inline const QColor Silver{192, 192, 192};
inline const QColor Navy{0, 0, 128};

// A picture from the program's artwork (":/art/<name>.png" unless name has a suffix).
QPixmap Picture(const QString& name);

// Gives a window its title, icon and plain background colour.
void SetUpWindow(QWidget* window, const QString& objectName, const QString& title, const QColor& background);

// The content panel of the maximised working windows, kept centred in them.
inline constexpr QSize ContainerSize{995, 688};
// Sets up a maximised working window: caption, icon, a client area of at least 1022 x 704 (1038 x 742 with
// the frame), the tiled pattern; returns its content panel grpContainer.
QWidget* SetUpContainerWindow(QWidget* window, const QString& objectName, const QString& title);
// Where grpContainer goes in a window of the given outer size: centred, then leftShift pixels to the
// left and 18 up (div truncates toward zero).
QPoint CentredContainerPosition(QSize outerSize, int leftShift);

// Fields take yellow while focused and rest in restColour otherwise.
void InstallFocusColours(QWidget* field, const QColor& restColour);
// Enter in each named field moves the focus to the next name of the chain (looked up under screen).
// The last name of the chain receives no Enter handling.
void InstallEnterChain(QWidget* screen, const QStringList& names);
// Runs action when Enter is pressed in field (and swallows the key).
void OnEnter(QWidget* field, std::function<void()> action);
// Shows hint in statusBar while the pointer is on widget (for controls that are not command pictures).
void InstallHint(QWidget* widget, const QString& hint, QLabel* statusBar);
// The status bar of a screen: a navy band with white text showing hover hints.
QLabel* MakeStatusBar(QWidget* parent);
// Tiles the background of a window with a pattern.
void TileBackground(QWidget* window, const QPixmap& pattern);

// Shows a window maximised (on the whole available desktop also where no window manager maximises it).
void ShowMaximised(QWidget* window);

// Runs action; a failure that escapes it is shown in the application's default error box.
void Guarded(QWidget* parent, const std::function<void()>& action);

} // namespace ScreenKit

// The hourglass cursor for as long as the object lives, restored in every outcome.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// A button worked with the pointer: hand cursor, no Tab focus, hovered() and left() as the pointer comes
// and goes. Exposed to assistive technology as a push button.
class PointerButton : public QAbstractButton
{
    Q_OBJECT
public:
    PointerButton(const QString& objectName, QWidget* parent);

signals:
    void hovered();
    void left();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

// A clickable picture whose hint is shown in the screen's status bar while the pointer is on it; its
// accessible name is its caption or its hint.
class CommandPicture : public PointerButton
{
    Q_OBJECT
public:
    CommandPicture(const QString& objectName, const QPixmap& picture, QWidget* parent);

    // The hint begins with one blank, as written in the status bar.
    void SetHint(const QString& hint, QLabel* statusBar);
    const QString& Hint() const noexcept { return m_hint; }
    void SetPicture(const QPixmap& picture);
    // A text drawn under the picture, also the accessible name.
    void SetCaption(const QString& caption);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateAccessibleName();

    QPixmap m_picture;
    QString m_hint;
    QString m_caption;
    QLabel* m_statusBar = nullptr;
};

// An underlined text link that changes colour under the pointer and acts on mouse-up.
class LinkLabel : public PointerButton
{
    Q_OBJECT
public:
    LinkLabel(const QString& objectName, const QString& text, const QColor& colour, const QColor& hoverColour,
              QWidget* parent);
    void SetColour(const QColor& colour);
    QColor Colour() const { return m_colour; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
    QColor m_restColour;
    QColor m_hoverColour;
};
