// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

class QLabel;

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
