// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandPicture.h"

#include <QLabel>
#include <QPainter>

PointerButton::PointerButton(const QString& objectName, QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName(objectName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void PointerButton::enterEvent(QEnterEvent* event)
{
    emit hovered();
    QAbstractButton::enterEvent(event);
}

void PointerButton::leaveEvent(QEvent* event)
{
    emit left();
    QAbstractButton::leaveEvent(event);
}

CommandPicture::CommandPicture(const QString& objectName, const QPixmap& picture, QWidget* parent)
    : PointerButton(objectName, parent)
    , m_picture(picture)
{
    setAttribute(Qt::WA_Hover);
    resize(sizeHint());
    connect(this, &PointerButton::hovered, this, [this] {
        if (m_statusBar)
            m_statusBar->setText(m_hint);
    });
    connect(this, &PointerButton::left, this, [this] {
        if (m_statusBar && m_statusBar->text() == m_hint)
            m_statusBar->clear();
    });
}

void CommandPicture::SetHint(const QString& hint, QLabel* statusBar)
{
    m_hint = hint;
    m_statusBar = statusBar;
    setToolTip(QString());
    updateAccessibleName();
}

void CommandPicture::SetPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void CommandPicture::SetCaption(const QString& caption)
{
    m_caption = caption;
    updateAccessibleName();
    update();
}

void CommandPicture::updateAccessibleName()
{
    setAccessibleName(!m_caption.isEmpty() ? m_caption : m_hint.trimmed());
    setAccessibleDescription(m_hint.trimmed());
}

QSize CommandPicture::sizeHint() const
{
    QSize s = m_picture.deviceIndependentSize().toSize();
    if (!m_caption.isEmpty())
        s += QSize(0, fontMetrics().height() + 2);
    return s;
}

void CommandPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QSize ps = m_picture.deviceIndependentSize().toSize();
    const int textHeight = m_caption.isEmpty() ? 0 : fontMetrics().height() + 2;
    QPoint at((width() - ps.width()) / 2, (height() - textHeight - ps.height()) / 2);
    if (isDown())
        at += QPoint(1, 1);
    if (underMouse() && isEnabled()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 6, 6);
    }
    if (!isEnabled())
        p.setOpacity(0.35);
    p.drawPixmap(at, m_picture);
    if (!m_caption.isEmpty())
        p.drawText(QRect(0, height() - textHeight, width(), textHeight), Qt::AlignCenter, m_caption);
}

LinkLabel::LinkLabel(const QString& objectName, const QString& text, const QColor& colour,
                     const QColor& hoverColour, QWidget* parent)
    : PointerButton(objectName, parent)
    , m_colour(colour)
    , m_restColour(colour)
    , m_hoverColour(hoverColour)
{
    setText(text);
    setAccessibleName(text);
    if (m_hoverColour.isValid()) {
        connect(this, &PointerButton::hovered, this, [this] { SetColour(m_hoverColour); });
        connect(this, &PointerButton::left, this, [this] { SetColour(m_restColour); });
    }
}

void LinkLabel::SetColour(const QColor& colour)
{
    if (m_colour != colour) {
        m_colour = colour;
        update();
    }
}

QSize LinkLabel::sizeHint() const
{
    return fontMetrics().size(Qt::TextSingleLine, text()) + QSize(4, 2);
}

void LinkLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QFont f = font();
    f.setUnderline(true);
    p.setFont(f);
    p.setPen(m_colour);
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
}
