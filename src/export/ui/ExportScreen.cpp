// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportScreen.h"

#include "ExportGridView.h"
#include "export/ExcelTransfer.h"
#include "export/ExportGrid.h"
#include "kit/Artwork.h"
#include "kit/BusyCursor.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "shell/GuideTexts.h"
#include "storage/Win1252.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QShowEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QRect ToolbarGeometry{4, 4, 773, 80};
constexpr QSize LogoSize{381, 57};
constexpr int PictureSize = 40;
constexpr int GridTop = 96;
constexpr int GridHeight = 383;

} // namespace

const std::array<QString, 3> ExportScreen::Hints = {u" Esporta i dati in un file di Microsoft Excel."_s,
                                                    u" Visualizza la guida in linea."_s,
                                                    u" Esce dalla schermata di lavoro corrente."_s};

ExportScreen::ExportScreen(ScreenHost& host, const CategoryDescriptor& category)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_host(host)
    , m_category(category)
    , m_store(host.OpenStore(category))
{
    Kit::SetUpWindow(this, Categories::ExportName(category), Categories::ExportCaption(category),
                     Kit::Silver);
    setFixedSize(ClientSize);
    setFont(Kit::Tahoma(11)); // 8 points at 96 dots per inch

    auto* toolbar = new QGroupBox(this);
    toolbar->setObjectName(u"grpControlli"_s);
    toolbar->setGeometry(ToolbarGeometry);
    toolbar->setMouseTracking(true);
    toolbar->installEventFilter(this);
    m_toolbar = toolbar;
    QLabel* logo = Kit::PictureLabel(
        u"imgLogo"_s, Kit::Picture(u"logo"_s).scaled(LogoSize, Qt::KeepAspectRatio, Qt::SmoothTransformation),
        toolbar, QRect(QPoint(8, (ToolbarGeometry.height() - LogoSize.height()) / 2), LogoSize));
    logo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    logo->setAccessibleName(u"Codazzurra"_s);
    addCommand(Excel, u"cmd_excel"_s, u"Esporta in Excel"_s, 520);
    addCommand(Guida, u"cmd_guida"_s, u"Guida"_s, 633);
    addCommand(Esci, u"cmd_esci"_s, u"Esci"_s, 720);

    m_grid = new ExportGridView(this);
    m_grid->setGeometry(0, GridTop, ClientSize.width(), GridHeight);
    m_grid->setFont(Kit::Verdana(11));
    for (QWidget* part :
         {m_grid->viewport(), m_grid->horizontalHeader()->viewport(), m_grid->verticalHeader()->viewport()}) {
        part->setMouseTracking(true);
        part->installEventFilter(this);
    }
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (m_grid->underMouse())
            showCurrentCell();
    });

    m_status = new QLabel(this);
    m_status->setObjectName(u"panInfo"_s);
    m_status->setGeometry(0, ClientSize.height() - StatusHeight, ClientSize.width(), StatusHeight);
    m_status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_status->setIndent(4);
    m_status->setTextFormat(Qt::PlainText);
    Kit::SetColour(m_status, QPalette::WindowText, Qt::black);
}

ExportScreen::~ExportScreen() = default;

void ExportScreen::addCommand(Command command, const QString& picture, const QString& caption, int centreX)
{
    static const char* const names[] = {"Excel", "Guida", "Esci"};
    const QString name = QString::fromLatin1(names[command]);
    auto* image = new CommandPicture(u"img"_s + name, Kit::Picture(picture), m_toolbar);
    image->setGeometry(centreX - PictureSize / 2, 10, PictureSize, PictureSize);
    image->SetHint(Hints[std::size_t(command)], nullptr);
    image->setAccessibleName(caption);
    auto* label = new LinkLabel(u"lbl"_s + name, caption, Qt::black, QColor(), m_toolbar);
    label->setFont(Kit::Verdana(11));
    const QSize size = label->sizeHint();
    label->setGeometry(centreX - size.width() / 2, 10 + PictureSize + 4, size.width(), size.height());
    label->setAccessibleDescription(Hints[std::size_t(command)].trimmed());
    m_pictures[std::size_t(command)] = image;
    m_captions[std::size_t(command)] = label;

    for (PointerButton* button : {static_cast<PointerButton*>(image), static_cast<PointerButton*>(label)}) {
        connect(button, &PointerButton::hovered, this, [this, command] { pointerOn(command); });
        connect(button, &PointerButton::left, this, [this] { pointerOff(QString()); });
        connect(button, &QAbstractButton::clicked, this, [this, command] { runCommand(command); });
        // Any mouse button released over the picture or its caption runs the command; the left one
        // arrives as clicked().
        button->installEventFilter(this);
    }
}

void ExportScreen::runCommand(Command command)
{
    switch (command) {
    case Excel:
        Kit::Guarded(this, [this] { ExportToExcel(); });
        break;
    case Guida:
        Kit::Guarded(this, [this] { ShowGuide(); });
        break;
    case Esci:
        close();
        break;
    }
}

const TextGrid& ExportScreen::Grid() const
{
    return m_grid->Grid();
}

QString ExportScreen::StatusText() const
{
    return m_status->text();
}

void ExportScreen::pointerOn(Command command)
{
    for (std::size_t i = 0; i < m_captions.size(); ++i)
        m_captions[i]->SetColour(i == std::size_t(command) ? QColor(Qt::red) : QColor(Qt::black));
    m_status->setText(Hints[std::size_t(command)]);
}

void ExportScreen::pointerOff(const QString& text)
{
    for (LinkLabel* caption : m_captions)
        caption->SetColour(Qt::black);
    m_status->setText(text);
}

void ExportScreen::showCurrentCell()
{
    // The current cell's text, wherever the pointer is over the grid.
    pointerOff(u" "_s + Win1252::Trimmed(m_grid->CurrentText()));
}

bool ExportScreen::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Enter || type == QEvent::MouseMove) {
        if (watched == m_toolbar)
            pointerOff(QString());
        else if (watched == m_grid->viewport() || watched == m_grid->horizontalHeader()->viewport() ||
                 watched == m_grid->verticalHeader()->viewport())
            showCurrentCell();
    } else if (type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() != Qt::LeftButton && widget &&
            widget->rect().contains(mouse->position().toPoint())) {
            for (std::size_t i = 0; i < m_pictures.size(); ++i) {
                if (watched == m_pictures[i] || watched == m_captions[i]) {
                    runCommand(Command(i));
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ExportScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window restored from the task bar is not being opened.
    if (event->spontaneous())
        return;
    Kit::CentreOnDesktop(this);
    pointerOff(QString());
    LoadArchive();
}

void ExportScreen::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    // However the screen is left (Esci, the close box, Esc), the archive is opened again on its first
    // card, creating its table when missing. Nothing is shown or kept, so a failure is of no consequence.
    try {
        m_store->Open();
    } catch (const std::exception& e) {
        Kit::HandleDamage(this, e); // damage is never passed over
    }
}

void ExportScreen::LoadArchive()
{
    // Never the rows of an earlier showing as if they were the archive's: the designed form until the
    // archive has been read, and whenever it has no cards or cannot be read.
    m_grid->SetGrid(ExportGrid::DesignedEmpty());
    Kit::Guarded(this, [this] {
        TextGrid grid = ExportGrid::DesignedEmpty();
        if (ExportGrid::LoadExportGrid(*m_store, grid))
            m_grid->SetGrid(std::move(grid));
    });
}

void ExportScreen::ExportToExcel()
{
    ExcelExportResult result;
    {
        BusyCursor busy;
        result = ExportGridToExcel(Grid(), Categories::SheetName(m_category), m_host.OfficeServers());
    }
    switch (result.outcome) {
    case ExcelExportResult::Outcome::Done:
        break;
    case ExcelExportResult::Outcome::ServerNotCreated:
    case ExcelExportResult::Outcome::ExportFailed:
        desktop().Plain(this, ExcelExportFailureMessage);
        break;
    case ExcelExportResult::Outcome::CallFailed:
        // The workbook, the sheet's name, its text format or its values were refused: the application's
        // default error box says what the spreadsheet application said.
        desktop().Error(this, result.errorText);
        break;
    }
}

void ExportScreen::ShowGuide()
{
    m_host.ShowGuideTopic(GuideTexts::Export());
}
