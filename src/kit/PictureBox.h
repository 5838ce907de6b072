// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

// A picture box that draws its picture by FitPicture: never enlarged, scaled down keeping proportions,
// centred. The image may have been decoded smaller than the picture it stands for; the fitting always
// uses the picture's own size, and the image is scaled smoothly once per size, not at every paint.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(const QString& objectName, QWidget* parent);

    // pictureSize is the size of the original picture (the image's own size when empty).
    void SetPicture(const QImage& image, QSize pictureSize = {});
    void Clear();
    bool HasPicture() const noexcept { return !m_image.isNull(); }
    const QImage& Image() const noexcept { return m_image; }
    QSize PictureSize() const noexcept { return m_pictureSize; }
    // Where the picture is drawn inside the box.
    QRect FittedRect() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void rescale();

    QImage m_image;
    QSize m_pictureSize;
    QPixmap m_scaled;
};
