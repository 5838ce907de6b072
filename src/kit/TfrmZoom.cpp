// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmZoom.h"

#include "Desktop.h"
#include "PictureBox.h"
#include "WindowPlacement.h"
#include "picture/JpegDecoder.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

TfrmZoom::TfrmZoom(QWidget* owner)
    : QDialog(owner, Qt::Window | Qt::FramelessWindowHint)
{
    Kit::SetUpWindow(this, u"TfrmZoom"_s, QString(), Qt::white);
    setCursor(Qt::PointingHandCursor);
    m_picture = new PictureBox(u"imgZoom"_s, this);
    connect(m_picture, &PictureBox::clicked, this, &QDialog::accept);
}

void TfrmZoom::setVisible(bool visible)
{
    // Placed when it is shown, on its owner's screen: a window manager would only maximise it inside the
    // panels, and without one it would keep its own small size.
    if (visible && !isVisible())
        Kit::PrepareFullScreen(this, parentWidget());
    QDialog::setVisible(visible);
}

void TfrmZoom::SetPicture(const QImage& image, QSize pictureSize)
{
    m_picture->SetPicture(image, pictureSize);
}

QRect TfrmZoom::PictureArea(QSize display)
{
    const int w = display.width() - 4, h = display.height() - 4;
    return QRect(display.width() / 2 - w / 2, display.height() / 2 - h / 2, w, h);
}

void TfrmZoom::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    QScreen* display = Kit::ScreenOf(this, parentWidget());
    m_picture->setGeometry(PictureArea(display ? display->size() : size()));
}

void TfrmZoom::mouseReleaseEvent(QMouseEvent* event)
{
    accept();
    QDialog::mouseReleaseEvent(event);
}

namespace Kit {

void ShowZoomed(QWidget* owner, const QByteArray& photo)
{
    JpegPicture picture;
    try {
        QScreen* display = ScreenOf(owner);
        const QSize area = TfrmZoom::PictureArea(display ? display->size() : QSize(1280, 1024)).size();
        picture = Jpeg::Decode(photo, area);
    } catch (const std::exception&) {
        picture = JpegPicture();
    }
    if (!picture.ok()) {
        desktop().Message(owner, Desktop::Icon::None, u"Operazione annullata"_s,
                          u"Attenzione: impossibile individuare la foto corrente."_s);
        return;
    }
    TfrmZoom zoom(owner);
    zoom.SetPicture(picture.image, picture.size);
    zoom.exec();
}

} // namespace Kit
