// SPDX-License-Identifier: GPL-3.0-or-later
#include "Slideshow.h"

#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/PictureBox.h"
#include "kit/Placeholders.h"
#include "kit/ScreenHost.h"
#include "kit/TfrmZoom.h"
#include "kit/Ticker.h"
#include "kit/WindowPlacement.h"
#include "viewer/FittedPicture.h"
#include "viewer/SlidePreparer.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString StartingTitle = u"Avvio slideshow. Attendere..."_s;
const QString UndecodableSuffix = u" (foto non visualizzabile)"_s;

} // namespace

Slideshow::Slideshow(ScreenHost& host, const CategoryDescriptor& category)
    : QDialog(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_category(category)
    , m_sequence(host.OpenStore(category), host.OpenDetachedStore(category))
{
    Kit::SetUpWindow(this, Categories::SlideshowName(category), QString(), Qt::white);

    // The photo, and the placeholder it shows when a card has none (decoded at the first showing).
    m_placeholderBox = new PictureBox(u"imgTemp"_s, this);
    m_placeholderBox->hide();
    m_picture = new PictureBox(u"imgZoom"_s, this);
    m_picture->setAccessibleName(u"Foto"_s);
    // It paints its own white, so the window's white is not painted under it first at every slide.
    m_picture->setAutoFillBackground(true);

    // Over the top of the picture area, which begins 2 pixels below the top of the screen.
    m_title = new QLabel(StartingTitle, this);
    m_title->setObjectName(u"panTitolo"_s);
    m_title->setAlignment(Qt::AlignCenter);
    Kit::FillBackground(m_title, QColor(103, 149, 205));
    Kit::SetColour(m_title, QPalette::WindowText, Qt::white);
    m_title->setFont(Kit::Verdana(19, true));

    m_advance = new QPushButton(this);
    m_advance->setObjectName(u"cmdAvanti"_s);
    m_advance->setFocusPolicy(Qt::NoFocus);
    m_advance->hide();
    connect(m_advance, &QPushButton::clicked, this, [this] { AdvanceSlide(); });
    m_position = new QLabel(this);
    m_position->setObjectName(u"lblPosizione"_s);
    m_position->hide();

    m_timer = Kit::MakeTicker(this, u"Timer"_s);
    connect(m_timer, &Ticker::Tick, m_advance, &QPushButton::click);
    m_pointerTimer = Kit::MakeTicker(this, u"PointerTimer"_s);
    connect(m_pointerTimer, &Ticker::Tick, this, [this] {
        m_pointerTimer->Stop();
        setPointerVisible(false);
    });
    m_prepareTimer = Kit::MakeTicker(this, u"PrepareTimer"_s);
    connect(m_prepareTimer, &Ticker::Tick, this, [this] {
        m_prepareTimer->Stop();
        prepareUpcoming();
    });
    m_preparer = new SlidePreparer(this);

    // The pointer comes back as soon as it moves, wherever it is.
    for (QWidget* w : std::initializer_list<QWidget*>{this, m_picture, m_title}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    setPointerVisible(true);
}

Slideshow::~Slideshow() = default;

void Slideshow::Run(QWidget* opener)
{
    m_opener = opener;
    exec();
}

void Slideshow::setVisible(bool visible)
{
    if (visible && !isVisible())
        Kit::PrepareFullScreen(this, m_opener);
    QDialog::setVisible(visible);
}

QString Slideshow::CurrentCardId() const
{
    return m_position->text();
}

QString Slideshow::Title() const
{
    return m_title->text();
}

void Slideshow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // Sized from the display, not from the window: (width - 4) x (height - 4), centred.
    QScreen* display = Kit::ScreenOf(this, m_opener);
    m_picture->setGeometry(TfrmZoom::PictureArea(display ? display->size() : size()));
    m_placeholderBox->setGeometry(m_picture->geometry());
    m_title->setGeometry(0, 0, width(), TitleHeight);
    m_title->raise();
}

void Slideshow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        // The starting screen; the archive is read at the first step, six seconds from now.
        m_sequence.Restart();
        m_position->clear();
        m_title->setText(StartingTitle);
        m_picture->Clear();
        showPlaceholder();
        m_preparer->Forget();
    }
    startRunning();
}

void Slideshow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    stopRunning();
    // However the show is left (a click, Esc, Space, or the program hiding it), the archive is opened again.
    if (!event->spontaneous()) {
        m_preparer->Forget();
        m_sequence.Close();
    }
}

void Slideshow::startRunning()
{
    m_timer->Start(IntervalMs);
    m_prepareTimer->Start(PrepareDelayMs);
    setPointerVisible(true);
    m_pointerTimer->Start(PointerRestMs);
    desktop().InhibitScreenSaver(this, true);
}

void Slideshow::stopRunning()
{
    m_timer->Stop();
    m_prepareTimer->Stop();
    m_pointerTimer->Stop();
    setPointerVisible(true);
    desktop().InhibitScreenSaver(this, false);
}

void Slideshow::leave()
{
    if (isVisible())
        accept();
}

void Slideshow::mouseReleaseEvent(QMouseEvent* event)
{
    // A click on the picture or on the white around it ends the show; one on the title bar does not.
    // Clicks on the picture and the title reach here too, since neither takes them.
    if (event->button() == Qt::LeftButton && !m_title->geometry().contains(event->position().toPoint()))
        leave();
    event->accept();
}

void Slideshow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        leave();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event); // Esc
}

bool Slideshow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && isVisible()) {
        setPointerVisible(true);
        m_pointerTimer->Start(PointerRestMs);
    }
    return QDialog::eventFilter(watched, event);
}

void Slideshow::setPointerVisible(bool visible)
{
    m_pointerHidden = !visible;
    setCursor(visible ? Qt::PointingHandCursor : Qt::BlankCursor);
    m_title->setCursor(visible ? Qt::ArrowCursor : Qt::BlankCursor);
}

void Slideshow::showPlaceholder()
{
    const PlaceholderPicture& placeholder = Placeholders::Viewer();
    if (!m_placeholderBox->HasPicture())
        m_placeholderBox->SetPicture(placeholder.image);
    m_picture->SetPicture(placeholder.image);
}

void Slideshow::AdvanceSlide()
{
    SlideSequence::Step step;
    try {
        step = m_sequence.Advance();
    } catch (...) {
        // One box at a time: while it is shown the show stands still (a modal box runs its own event loop,
        // in which the timer would go on firing and stack a box every six seconds).
        const bool running = m_timer->IsActive();
        m_timer->Stop();
        m_prepareTimer->Stop();
        m_pointerTimer->Stop();
        setPointerVisible(true);
        Kit::Guarded(this, [failure = std::current_exception()] { std::rethrow_exception(failure); });
        if (running && isVisible()) {
            m_timer->Start(IntervalMs);
            m_pointerTimer->Start(PointerRestMs);
        }
        return;
    }
    switch (step.outcome) {
    case SlideSequence::Outcome::Shown:
        showSlide(step.card);
        break;
    case SlideSequence::Outcome::PassEnded:
        m_position->clear();
        break;
    case SlideSequence::Outcome::Unchanged:
        break;
    }
    if (!m_picture->HasPicture())
        showPlaceholder();
    // The next card's picture is made ready during the interval, once this one is on the screen.
    if (m_timer->IsActive())
        m_prepareTimer->Start(PrepareDelayMs);
}

void Slideshow::showSlide(const PhotoCard& card)
{
    m_picture->Clear();
    m_position->setText(QString::number(card.id));
    QString title = card.name;
    if (!card.picture.isEmpty()) {
        const QSize area = m_picture->size();
        FittedPicture decoded;
        const FittedPicture* picture = m_preparer->Find(card.id, card.picture, area);
        if (picture) {
            ++m_preparedShown;
        } else {
            decoded = DecodeFitted(card.picture, area);
            picture = &decoded;
        }
        if (picture->ok())
            m_picture->SetPicture(picture->image, picture->size);
        else
            title += UndecodableSuffix; // the placeholder, and the show goes on: no box
    }
    m_title->setText(title);
    if (!m_picture->HasPicture())
        showPlaceholder();
}

void Slideshow::prepareUpcoming()
{
    std::optional<PhotoCard> upcoming;
    try {
        upcoming = m_sequence.Upcoming();
    } catch (...) {
        return; // the step itself reads the archive again, and reports what fails then
    }
    if (!upcoming || upcoming->picture.isEmpty()) {
        m_preparer->Forget();
        return;
    }
    const QSize area = m_picture->size();
    if (!m_preparer->Find(upcoming->id, upcoming->picture, area))
        m_preparer->Prepare(upcoming->id, upcoming->picture, area);
}
