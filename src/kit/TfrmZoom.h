// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class PictureBox;
class QImage;

// The full-screen picture screen: borderless, covering the whole screen its owner is on, white; a click
// anywhere closes it.
// Callers create one for each use, give it the picture, show it modally and destroy it.
class TfrmZoom : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmZoom(QWidget* owner);

    // pictureSize is the original picture's size when image was decoded smaller.
    void SetPicture(const QImage& image, QSize pictureSize = {});
    PictureBox* Picture() const noexcept { return m_picture; }
    // The picture area for a display of the given size: 2 pixels of margin on every side.
    static QRect PictureArea(QSize display);

    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PictureBox* m_picture;
};
