// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class PictureBox;
class QByteArray;
class QImage;

// The full-screen picture screen: borderless, covering the whole screen its owner is on, white; a click
// anywhere closes it. Screens show a photo in it through Kit::ShowZoomed.
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

namespace Kit {

// Shows photo (a JPEG's bytes), decoded again at the scale the whole of owner's screen needs, in a zoom
// screen modal to owner until a click closes it. A photo that cannot be decoded is not shown: the user is
// told the current photo cannot be found.
void ShowZoomed(QWidget* owner, const QByteArray& photo);

} // namespace Kit
