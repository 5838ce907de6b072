// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmSplash.h"

#include "kit/Artwork.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/Desktop.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "program/MakerInfo.h"

#include <QDateTime>
#include <QPainter>
#include <QRandomGenerator>

using namespace Qt::Literals::StringLiterals;

namespace {

class ClockRandom final : public SplashRandom
{
public:
    int Below(int n) override { return n > 0 ? int(m_generator.bounded(n)) : 0; }
    float Unit() override { return float(m_generator.generateDouble()); }

private:
    QRandomGenerator m_generator{quint32(QDateTime::currentMSecsSinceEpoch())};
};

} // namespace

TfrmSplash::TfrmSplash(ScreenHost& host, SplashRandom* random)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_host(host)
{
    setObjectName(u"TfrmSplash"_s);
    setWindowTitle(MakerInfo::CreditsCaption());
    setFixedSize(600, 368);
    setCursor(Qt::PointingHandCursor);
    setToolTip(u"  Visita il sito Internet dell'autore "_s);
    setAccessibleName(u"Visita il sito Internet dell'autore"_s);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (!random) {
        m_ownRandom = std::make_unique<ClockRandom>();
        random = m_ownRandom.get();
    }
    // The pictures are 24-bit files; Qt reads them into 32-bit images.
    const QImage background = QImage(u":/art/credits_background.bmp"_s);
    const QImage sprite = QImage(u":/art/credits_sprite.bmp"_s).convertToFormat(QImage::Format_RGB888);
    m_animation = std::make_unique<SplashAnimation>(background, sprite, *random);
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_animation->Tick();
        update();
    });
}

TfrmSplash::~TfrmSplash() = default;

void TfrmSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.drawImage(QPoint(0, 0), m_animation->Buffer());
}

void TfrmSplash::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Kit::CentreOnDesktop(this);
    if (!m_animation->SpriteLoaded() && !m_warned) {
        m_warned = true;
        desktop().Plain(this, QString::fromLatin1(TImageArray::UnsupportedFormatMessage));
    }
    m_timer.start();
}

void TfrmSplash::hideEvent(QHideEvent* event)
{
    // Nothing to animate while hidden: the processor stays asleep.
    m_timer.stop();
    QDialog::hideEvent(event);
}

void TfrmSplash::mouseReleaseEvent(QMouseEvent* event)
{
    QDialog::mouseReleaseEvent(event);
    m_host.OpenMakerWebSite();
    accept();
}
