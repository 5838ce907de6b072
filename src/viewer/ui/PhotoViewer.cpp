// SPDX-License-Identifier: GPL-3.0-or-later
#include "PhotoViewer.h"

#include "kit/Artwork.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/PictureBox.h"
#include "kit/Placeholders.h"
#include "kit/ScreenHost.h"
#include "kit/TfrmZoom.h"
#include "kit/WindowPlacement.h"
#include "viewer/FittedPicture.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString IntroTitle = u"Visualizzatore foto"_s;
const QString IntroCaption = u"Per visualizzare le foto, servirsi delle frecce di scorrimento."_s;
constexpr int TitlePixels = 32;
constexpr int CaptionPixels = 19;
// Text is never shrunk below this size to make it fit.
constexpr int SmallestPixels = 12;

QLabel* makeLabel(const QString& name, const QColor& colour, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    Kit::SetColour(label, QPalette::WindowText, colour);
    return label;
}

} // namespace

PhotoViewer::PhotoViewer(ScreenHost& host, const CategoryDescriptor& category)
    : WorkingWindow(Categories::ViewerName(category), u"  Visualizzatore foto"_s, LeftShift, nullptr,
                    Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , m_category(category)
    , m_browser(host.OpenStore(category))
{
    Kit::SetColour(this, QPalette::Window, Qt::black);

    QWidget* container = Container();
    container->setAutoFillBackground(true);

    m_title = makeLabel(u"lblTitolo"_s, Kit::SkyBlue, container);
    m_title->setGeometry(14, 14, 966, 38);
    m_caption = makeLabel(u"lblDidascalia"_s, QColor(100, 162, 230), container);
    m_caption->setGeometry(14, 634, 966, 28);

    auto* frame = new QFrame(container);
    frame->setObjectName(u"grpFoto"_s);
    frame->setGeometry(133, 65, 729, 557);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    Kit::SetColour(frame, QPalette::WindowText, QColor(64, 64, 64));

    // The photo, and the placeholder it shows when a card has none (decoded at the first showing).
    m_placeholderBox = new PictureBox(u"imgTemp"_s, frame);
    m_placeholderBox->setGeometry(QRect(QPoint(7, 9), PhotoArea));
    m_placeholderBox->hide();
    m_photo = new PictureBox(u"imgFoto"_s, frame);
    m_photo->setGeometry(QRect(QPoint(7, 9), PhotoArea));
    m_photo->setAccessibleName(u"Foto"_s);
    m_photo->setAccessibleDescription(u"Un clic visualizza la foto successiva."_s);
    connect(m_photo, &PictureBox::clicked, this, Kit::GuardedSlot(this, [this] { ShowNext(); }));

    // The viewer has no status bar: the hints are tool tips, and descriptions for assistive technology.
    auto command = [this](const QString& name, const QString& picture, const QString& hint, QWidget* parent,
                          QRect geometry, void (PhotoViewer::*action)()) {
        auto* cmd = new CommandPicture(name, Kit::Picture(picture), parent);
        cmd->setGeometry(geometry);
        cmd->SetHint(hint, nullptr);
        cmd->setToolTip(hint.trimmed());
        connect(cmd, &CommandPicture::clicked, this,
                Kit::GuardedSlot(this, [this, action] { (this->*action)(); }));
        return cmd;
    };
    command(u"imgZoom"_s, u"zoom"_s, u" Visualizza la foto corrente a schermo intero. "_s, frame,
            QRect(702, 529, 25, 26), &PhotoViewer::ZoomPhoto);
    constexpr int Arrow = 48, ArrowTop = 65 + 557 / 2 - Arrow / 2;
    command(u"imgPrimo"_s, u"viewer_first"_s, u" Visualizza prima foto in archivio. "_s, container,
            QRect(14, ArrowTop, Arrow, Arrow), &PhotoViewer::ShowFirst);
    command(u"imgIndietro"_s, u"viewer_prev"_s, u" Visualizza foto precedente in archivio. "_s, container,
            QRect(71, ArrowTop, Arrow, Arrow), &PhotoViewer::ShowPrevious);
    command(u"imgAvanti"_s, u"viewer_next"_s, u" Visualizza foto successiva in archivio. "_s, container,
            QRect(876, ArrowTop, Arrow, Arrow), &PhotoViewer::ShowNext);
    command(u"imgUltimo"_s, u"viewer_last"_s, u" Visualizza ultima foto in archivio. "_s, container,
            QRect(933, ArrowTop, Arrow, Arrow), &PhotoViewer::ShowLast);

    m_position = new QLabel(container);
    m_position->setObjectName(u"lblPosizione"_s);
    m_position->hide();

    setLabelText(m_title, IntroTitle, TitlePixels);
    setLabelText(m_caption, IntroCaption, CaptionPixels);
}

PhotoViewer::~PhotoViewer() = default;

void PhotoViewer::Run(QWidget* opener)
{
    m_opener = opener;
    exec();
}

void PhotoViewer::setVisible(bool visible)
{
    // Maximised on the opener's screen; without a window manager nobody else would size it.
    if (visible && !isVisible()) {
        if (QScreen* screen = Kit::ScreenOf(this, m_opener)) {
            if (!windowHandle())
                winId();
            if (QWindow* handle = windowHandle())
                handle->setScreen(screen);
            setGeometry(screen->availableGeometry());
        }
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    WorkingWindow::setVisible(visible);
}

void PhotoViewer::showEvent(QShowEvent* event)
{
    WorkingWindow::showEvent(event);
    if (event->spontaneous())
        return;
    // Always the introductory state: the archive is opened on its first card, which is neither shown nor
    // decoded.
    ResetViewer();
    Kit::Guarded(this, [this] { m_browser.Open(); });
}

void PhotoViewer::hideEvent(QHideEvent* event)
{
    WorkingWindow::hideEvent(event);
    // However the viewer is left (close box, Esc, or the program hiding it), the archive is opened again.
    if (!event->spontaneous())
        m_browser.Close();
}

void PhotoViewer::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        ShowPrevious();
        break;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        ShowNext();
        break;
    case Qt::Key_Home:
        ShowFirst();
        break;
    case Qt::Key_End:
        ShowLast();
        break;
    default:
        WorkingWindow::keyPressEvent(event); // Esc closes
        return;
    }
    event->accept();
}

void PhotoViewer::setLabelText(QLabel* label, const QString& text, int pixels)
{
    // A long name or caption is drawn smaller rather than cut; the whole text is in the tool tip when
    // even the smallest size cannot hold it.
    QFont font = Kit::Tahoma(pixels, true);
    const int room = label->width() - 8;
    while (pixels > SmallestPixels && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(--pixels);
    label->setFont(font);
    label->setText(text);
    label->setToolTip(QFontMetrics(font).horizontalAdvance(text) > room ? text : QString());
}

void PhotoViewer::showPlaceholder()
{
    const PlaceholderPicture& placeholder = Placeholders::Viewer();
    if (!m_placeholderBox->HasPicture())
        m_placeholderBox->SetPicture(placeholder.image);
    m_photo->SetPicture(placeholder.image);
    m_photoBytes.clear();
}

void PhotoViewer::ResetViewer()
{
    showPlaceholder();
    m_position->clear();
    setLabelText(m_title, IntroTitle, TitlePixels);
    setLabelText(m_caption, IntroCaption, CaptionPixels);
}

QString PhotoViewer::CurrentCardId() const
{
    return m_position->text();
}

void PhotoViewer::ShowViewerCard(const PhotoCard& card)
{
    m_photo->Clear();
    m_photoBytes.clear();
    m_position->setText(QString::number(card.id));
    setLabelText(m_title, card.name, TitlePixels);
    setLabelText(m_caption, card.caption, CaptionPixels);
    if (card.picture.isEmpty()) {
        showPlaceholder();
        return;
    }
    const FittedPicture picture = DecodeFitted(card.picture, PhotoArea);
    if (!picture.ok()) {
        // Never the previous card's photo under this card's name.
        showPlaceholder();
        // The program's general error box, as for any other failure while navigating.
        desktop().Error(
            this, u"La foto della scheda %1 non pu\u00f2 essere visualizzata (%2). I dati testuali "
                  "della scheda sono mostrati comunque."_s.arg(QString::number(card.id), picture.error));
        return;
    }
    m_photo->SetPicture(picture.image, picture.size);
    m_photoBytes = card.picture;
}

void PhotoViewer::navigate(PhotoBrowser::Step step)
{
    Kit::Guarded(this, [&] {
        if (const std::optional<PhotoCard> card = m_browser.Navigate(step))
            ShowViewerCard(*card);
    });
    if (!m_photo->HasPicture())
        showPlaceholder();
}

void PhotoViewer::ShowFirst()
{
    navigate(PhotoBrowser::Step::First);
}

void PhotoViewer::ShowPrevious()
{
    navigate(PhotoBrowser::Step::Previous);
}

void PhotoViewer::ShowNext()
{
    navigate(PhotoBrowser::Step::Next);
}

void PhotoViewer::ShowLast()
{
    navigate(PhotoBrowser::Step::Last);
}

void PhotoViewer::ZoomPhoto()
{
    // The placeholder, when the viewer shows it, is zoomed like a photo.
    if (m_photo->HasPicture())
        Kit::ShowZoomed(this, m_photoBytes.isEmpty() ? Placeholders::Viewer().bytes : m_photoBytes);
}
