// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureBox.h"

#include "picture/FitPicture.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(const QString& objectName, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(objectName);
}

void PictureBox::SetPicture(const QImage& image, QSize pictureSize)
{
    m_image = image;
    m_pictureSize = pictureSize.isValid() ? pictureSize : image.size();
    rescale();
    update();
}

void PictureBox::Clear()
{
    m_image = QImage();
    m_pictureSize = QSize();
    m_scaled = QPixmap();
    update();
}

QRect PictureBox::FittedRect() const
{
    return FitPicture(m_pictureSize, size());
}

void PictureBox::rescale()
{
    const QRect r = FittedRect();
    if (m_image.isNull() || r.isEmpty()) {
        m_scaled = QPixmap();
        return;
    }
    m_scaled = QPixmap::fromImage(m_image.size() == r.size() ? m_image
                                                             : m_image.scaled(r.size(), Qt::IgnoreAspectRatio,
                                                                              Qt::SmoothTransformation));
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (m_scaled.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(FittedRect().topLeft(), m_scaled);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    rescale();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}
