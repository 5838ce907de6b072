// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordCard.h"

#include "AttachmentDialog.h"
#include "card/WordExport.h"
#include "kit/Artwork.h"
#include "kit/BusyCursor.h"
#include "kit/Colours.h"
#include "kit/CommandPicture.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/FieldConventions.h"
#include "kit/Guard.h"
#include "kit/PictureBox.h"
#include "kit/Placeholders.h"
#include "kit/StatusBar.h"
#include "kit/TfrmZoom.h"
#include "kit/WindowPlacement.h"
#include "picture/JpegDecoder.h"
#include "shell/GuideTexts.h"
#include "storage/AtomicFile.h"
#include "storage/ESQLiteException.h"
#include "storage/Win1252.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CommandSpec
{
    const char* name;
    const char* picture;
    const char* hint;
};

// The command pictures of the top row, group by group, left to right.
const std::vector<std::pair<const char*, std::vector<CommandSpec>>>& commandGroups()
{
    static const std::vector<std::pair<const char*, std::vector<CommandSpec>>> groups = {
        {"grpControlli",
         {{"cmdNuovo", "cmd_nuovo", " Prepara la schermata ad accogliere una nuova scheda."},
          {"cmdDuplica", "cmd_duplica",
           " Prepara la schermata ad accogliere una nuova scheda duplicando i dati della scheda corrente."},
          {"cmdSalva", "cmd_salva",
           " Salva in archivio i dati relativi alla scheda corrente oppure aggiorna la scheda esistente."},
          {"cmdTrova", "cmd_trova",
           " Cerca una scheda in archivio in base ai dati contenuti in un singolo campo di testo."},
          {"cmdRicerca", "cmd_ricerca",
           " Effettua una ricerca avanzata in archivio utilizzando pi\u00f9 campi contemporaneamente."},
          {"cmdWord", "cmd_word", " Esporta la scheda corrente in un file di Microsoft Word."},
          {"cmdExcel", "cmd_excel", " Esporta l'archivio corrente in un foglio di Microsoft Excel."},
          {"cmdAllega", "cmd_allega", " Allega file esterni alla scheda corrente."},
          {"cmdAssocia", "cmd_associa", " Associa una cartella alla scheda corrente."},
          {"cmdScadenze", "cmd_scadenze",
           " Scadenze sanitarie (vaccinazioni, sverminazioni, visite) e libretto dei trattamenti della scheda "
           "corrente."}}},
        {"grpOttimizza",
         {{"cmdOttimizza", "cmd_ottimizza",
           " Ottimizza le dimensioni dell'archivio eliminando lo spazio inutilizzato."}}},
        {"grpSospesi", {{"cmdSfogliaFoto", "cmd_sfogliafoto", " Sfoglia le foto con il visualizzatore."}}},
        {"grpFrecce",
         {{"imgPrimo", "arrow_first", " Visualizza la prima scheda in archivio."},
          {"imgIndietro", "arrow_prev", " Visualizza la scheda precedente in archivio."},
          {"imgAvanti", "arrow_next", " Visualizza la scheda successiva in archivio."},
          {"imgUltimo", "arrow_last", " Visualizza l'ultima scheda in archivio"}}},
        {"grpMensile",
         {{"cmdSlideshow", "cmd_slideshow",
           " Esegui lo slideshow delle foto presenti nell'archivio corrente."}}},
        {"grpGuida",
         {{"cmdGuida", "cmd_guida",
           " Visualizza la pagina della guida relativa a questa schermata di lavoro."}}},
        {"grpElimina", {{"cmdElimina", "cmd_elimina", " Elimina dall'archivio la scheda corrente."}}},
        {"grpEsci", {{"cmdEsci", "cmd_esci", " Esci dalla schermata di lavoro corrente."}}},
    };
    return groups;
}

// Enter moves along this chain (it differs from the tab order).
const QStringList& enterChain()
{
    static const QStringList chain = {
        u"txtNome"_s,         u"txtRazza"_s,        u"txtSesso"_s,        u"txtDataNasc"_s,
        u"txtLuogoNasc"_s,    u"txtProprietario"_s, u"txtMedico"_s,       u"txtAltezza"_s,
        u"txtLunghezza"_s,    u"txtTaglia"_s,       u"txtPeso"_s,         u"txtColore"_s,
        u"txtPelo"_s,         u"txtSegni"_s,        u"txtPassaporto"_s,   u"txtMicrochip"_s,
        u"txtTatuaggio"_s,    u"txtSterilizzato"_s, u"txtCertificato"_s,  u"txtAlimentazione"_s,
        u"txtVaccinazioni"_s, u"txtProfilo"_s,      u"txtAddestratore"_s, u"txtTelefono"_s,
        u"txtPrezzo"_s,       u"txtSpecialita"_s,   u"txtNote"_s};
    return chain;
}

const QString JpegFilter = u"File JPEG (*.jpg *.jpeg);;JPG (*.jpg);;JPEG (*.jpeg)"_s;
const QString SaveNotApplicable = u"Salvataggio scheda non applicabile"_s;

// A group of controls on a translucent white panel with a rounded border.
class GroupPanel final : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(159, 187, 224));
        p.setBrush(QColor(255, 255, 255, 190));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }
};

QFrame* makeGroup(const QString& name, QWidget* parent)
{
    auto* frame = new GroupPanel(parent);
    frame->setObjectName(name);
    return frame;
}

// The notes keep Windows line breaks in the archive; the editor works with line feeds.
QString fromStoredLines(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

QString toStoredLines(QString text)
{
    text.replace(u"\n"_s, u"\r\n"_s);
    return text;
}

} // namespace

RecordCard::RecordCard(ScreenHost& host, const CategoryDescriptor& category)
    : WorkingWindow(Categories::RecordCardName(category), Categories::RecordCardCaption(category), 8)
    , m_host(host)
    , m_editor(host.OpenStore(category))
{
    QWidget* container = Container();
    m_status = Kit::MakeStatusBar(container);
    m_status->setGeometry(0, ContainerSize.height() - 26, ContainerSize.width(), 26);
    m_status->setIndent(8);

    buildCommands(container);
    buildPhotoColumn(container);
    buildFields(container);

    // Hidden state: the attachment holders, the pending photo path and the placeholder picture.
    for (int i = CardFields::EditableCount; i < CardFields::Count; ++i) {
        auto* holder = new QLabel(container);
        holder->setObjectName(QString(CardFields::All[std::size_t(i)].control));
        holder->hide();
        m_controls[std::size_t(i)] = holder;
    }
    m_pendingPhoto = new QLabel(container);
    m_pendingPhoto->setObjectName(u"txtFoto"_s);
    m_pendingPhoto->hide();
    // The placeholder is decoded at the first showing, not while every screen is being created.
    m_placeholderBox = new PictureBox(u"imgTemp"_s, container);
    m_placeholderBox->hide();

    Kit::InstallEnterChain(container, enterChain());
    Kit::InstallEnterChain(container, {u"txtDidascalia"_s, u"txtNome"_s});
    // Tab: the caption first, then the fields of the right column in chain order, the notes, the last five.
    QWidget* previous = control(CardFields::Didascalia);
    for (int i = 0; i <= CardFields::Index(20); ++i) {
        setTabOrder(previous, control(i));
        previous = control(i);
    }
    setTabOrder(previous, control(CardFields::Note));
    previous = control(CardFields::Note);
    for (int i = 21; i <= 25; ++i) {
        setTabOrder(previous, control(i));
        previous = control(i);
    }
    // A card's texts have no length limit: a line edit would cut them at 32,767 characters.
    Kit::UnlimitTextLength(this);
}

RecordCard::~RecordCard() = default;

void RecordCard::buildCommands(QWidget* container)
{
    constexpr int Pad = 6, Gap = 4, Size = 40, ArrowSize = 32, PositionWidth = 44, Top = 4, Height = 52;
    struct Built
    {
        QFrame* frame;
        int width;
    };
    std::vector<Built> built;
    int total = 0;
    for (const auto& [groupName, commands] : commandGroups()) {
        QFrame* frame = makeGroup(QString::fromLatin1(groupName), container);
        const bool arrows = QByteArray(groupName) == "grpFrecce";
        int x = Pad;
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const CommandSpec& c = commands[i];
            if (arrows && i == 2) {
                m_position = Kit::Label(u"lblPosizione"_s, QString(), frame,
                                        QRect(x, (Height - 22) / 2, PositionWidth, 22),
                                        Kit::Verdana(13, true), QColor(27, 58, 107));
                m_position->setAlignment(Qt::AlignCenter);
                m_position->setAccessibleName(u"Numero della scheda"_s);
                x += PositionWidth + Gap;
            }
            const int size = arrows ? ArrowSize : Size;
            auto* cmd = new CommandPicture(QString::fromLatin1(c.name),
                                           Kit::Picture(QString::fromLatin1(c.picture)), frame);
            cmd->setGeometry(x, (Height - size) / 2, size, size);
            cmd->SetHint(QString::fromUtf8(c.hint), m_status);
            x += size + Gap;
        }
        const int width = x - Gap + Pad;
        frame->resize(width, Height);
        built.push_back({frame, width});
        total += width;
    }
    const int gap = (ContainerSize.width() - total) / int(built.size() - 1);
    int x = 0;
    for (const Built& b : built) {
        b.frame->move(x, Top);
        x += b.width + gap;
    }

    // Every command runs guarded: a failure it does not answer itself reaches the default error box
    // instead of travelling through Qt's event delivery.
    auto on = [this](const char* name, void (RecordCard::*action)()) {
        auto* cmd = Container()->findChild<CommandPicture*>(QString::fromLatin1(name));
        connect(cmd, &CommandPicture::clicked, this,
                Kit::GuardedSlot(this, [this, action] { (this->*action)(); }));
    };
    on("cmdNuovo", &RecordCard::NewCard);
    on("cmdDuplica", &RecordCard::DuplicateCard);
    on("cmdSalva", &RecordCard::SaveCard);
    on("cmdElimina", &RecordCard::DeleteCard);
    on("cmdOttimizza", &RecordCard::CompactArchive);
    on("imgPrimo", &RecordCard::ShowFirst);
    on("imgIndietro", &RecordCard::ShowPrevious);
    on("imgAvanti", &RecordCard::ShowNext);
    on("imgUltimo", &RecordCard::ShowLast);
    on("cmdAllega", &RecordCard::AttachFiles);
    on("cmdAssocia", &RecordCard::AssociateFolder);
    on("cmdScadenze", &RecordCard::OpenSchedule);
    auto opens = [this](const char* name, ArchiveScreen screen) {
        auto* cmd = Container()->findChild<CommandPicture*>(QString::fromLatin1(name));
        connect(cmd, &CommandPicture::clicked, this,
                Kit::GuardedSlot(this, [this, screen] { OpenArchiveScreen(screen); }));
    };
    opens("cmdTrova", ArchiveScreen::Find);
    opens("cmdRicerca", ArchiveScreen::AdvancedSearch);
    opens("cmdSfogliaFoto", ArchiveScreen::PhotoViewer);
    opens("cmdSlideshow", ArchiveScreen::Slideshow);
    opens("cmdExcel", ArchiveScreen::Export);
    connect(Container()->findChild<CommandPicture*>(u"cmdGuida"_s), &CommandPicture::clicked, this,
            Kit::GuardedSlot(this, [this] { m_host.ShowGuideTopic(GuideTexts::RecordCard()); }));
    connect(Container()->findChild<CommandPicture*>(u"cmdEsci"_s), &CommandPicture::clicked, this,
            &QWidget::close);
    connect(Container()->findChild<CommandPicture*>(u"cmdWord"_s), &CommandPicture::clicked, this,
            Kit::GuardedSlot(this, [this] { ExportToWord(); }));
}

void RecordCard::buildPhotoColumn(QWidget* container)
{
    QFrame* photo = makeGroup(u"grpFoto"_s, container);
    photo->setGeometry(0, 66, 336, 253);
    m_preview = new PictureBox(u"imgFoto"_s, photo);
    m_preview->setGeometry(8, 8, PreviewSize.width(), PreviewSize.height());
    m_preview->setAccessibleName(u"Foto della scheda"_s);
    auto* zoom = new CommandPicture(u"imgZoom"_s, Kit::Picture(u"zoom"_s), photo);
    zoom->setGeometry(8 + PreviewSize.width() - 27, 8 + PreviewSize.height() - 28, 25, 26);
    zoom->SetHint(u" Visualizza la foto corrente a schermo intero."_s, m_status);
    connect(zoom, &CommandPicture::clicked, this, Kit::GuardedSlot(this, [this] { ZoomPhoto(); }));

    auto button = [&](const QString& name, const QString& caption, const QString& hint, int x) {
        QPushButton* b = Kit::Button(name, caption, container, QRect(x, 326, 164, 30));
        b->setFocusPolicy(Qt::NoFocus);
        b->setCursor(Qt::PointingHandCursor);
        b->setFont(Kit::Verdana(12, true));
        b->setToolTip(hint.trimmed());
        Kit::InstallHint(b, hint, m_status);
        return b;
    };
    connect(button(u"cmdFoto"_s, u"Carica foto Jpeg"_s,
                   u" Carica una foto in formato Jpeg da abbinare alla scheda corrente."_s, 0),
            &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { LoadPhoto(); }));
    connect(button(u"cmdSalvaFoto"_s, u"Salva foto su disco"_s,
                   u" Salva su disco la foto corrente in formato Jpeg."_s, 172),
            &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { SavePhotoToDisk(); }));
}

void RecordCard::buildFields(QWidget* container)
{
    const QFont labelFont = Kit::Verdana(11);
    const QFont editFont = Kit::Verdana(11, true);
    auto makeControl = [&](int i, QWidget* parent) -> QWidget* {
        const CardField& f = CardFields::All[std::size_t(i)];
        QWidget* w;
        if (f.kind == CardField::Kind::Choice) {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(CardFields::Choices(i));
            combo->setCurrentIndex(-1);
            combo->lineEdit()->setFont(editFont);
            w = combo;
        } else if (f.kind == CardField::Kind::MultiLine) {
            auto* memo = new QPlainTextEdit(parent);
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setTabChangesFocus(true);
            w = memo;
        } else {
            w = new QLineEdit(parent);
        }
        w->setObjectName(QString(f.control));
        w->setFont(editFont);
        Kit::InstallFocusColours(w, Kit::MoneyGreen);
        m_controls[std::size_t(i)] = w;
        return w;
    };
    auto makeLabel = [&](int i, QWidget* parent, QWidget* buddy) {
        auto* label = new QLabel(CardFields::Label(i, Category()), parent);
        label->setObjectName(u"lbl"_s + QString(CardFields::All[std::size_t(i)].column).mid(3));
        label->setFont(labelFont);
        label->setBuddy(buddy);
        buddy->setAccessibleName(FieldName(i));
        return label;
    };

    // Left column: caption and notes under the photo.
    QWidget* caption = makeControl(CardFields::Didascalia, container);
    makeLabel(CardFields::Didascalia, container, caption)->setGeometry(2, 362, 200, 18);
    caption->setGeometry(0, 381, 336, 26);
    QFrame* notesPanel = makeGroup(u"panCampi02"_s, container);
    notesPanel->setGeometry(0, 414, 336, 242);
    QWidget* notes = makeControl(CardFields::Note, notesPanel);
    makeLabel(CardFields::Note, notesPanel, notes)->setGeometry(8, 6, 200, 18);
    notes->setGeometry(8, 26, 320, 208);

    // Right column: the first 21 fields in two columns, then the last five on wide rows.
    QFrame* first = makeGroup(u"panCampi01"_s, container);
    first->setGeometry(346, 66, 649, 414);
    constexpr int Row = 36, LabelWidth = 150, FieldWidth = 160;
    for (int i = 0; i <= 20; ++i) {
        const int column = i < 11 ? 0 : 1;
        const int row = i < 11 ? i : i - 11;
        const int x = 10 + column * (LabelWidth + FieldWidth + 12);
        const int y = 10 + row * Row;
        QWidget* edit = makeControl(i, first);
        makeLabel(i, first, edit)->setGeometry(x, y + 4, LabelWidth - 4, 18);
        edit->setGeometry(x + LabelWidth, y, FieldWidth, 26);
    }
    QFrame* last = makeGroup(u"panCampi03"_s, container);
    last->setGeometry(346, 486, 649, 170);
    for (int i = 21; i <= 25; ++i) {
        const int y = 10 + (i - 21) * 31;
        QWidget* edit = makeControl(i, last);
        makeLabel(i, last, edit)->setGeometry(10, y + 4, 170, 18);
        edit->setGeometry(190, y, 449, 26);
    }
}

QString RecordCard::FieldName(int field) const
{
    switch (field) {
    case CardFields::File01:
    case CardFields::File02:
    case CardFields::File03:
        return u"File allegato %1"_s.arg(field - CardFields::File01 + 1);
    case CardFields::Desc01:
    case CardFields::Desc02:
    case CardFields::Desc03:
        return u"Descrizione del file allegato %1"_s.arg(field - CardFields::Desc01 + 1);
    case CardFields::Cartella:
        return u"Cartella associata"_s;
    case CardFields::CartellaDesc:
        return u"Descrizione della cartella associata"_s;
    default:
        break;
    }
    QString label = CardFields::Label(field, Category());
    if (label.endsWith(u':'))
        label.chop(1);
    return label;
}

QString RecordCard::Value(int field) const
{
    QWidget* w = control(field);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        // The document's raw text keeps every character as typed (toPlainText() would turn no-break
        // spaces into plain ones); its paragraph and line separators are the line breaks.
        QString text = memo->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, u'\n');
        text.replace(QChar::LineSeparator, u'\n');
        return toStoredLines(text);
    }
    return static_cast<QLabel*>(w)->text();
}

void RecordCard::setControlText(int field, const QString& text)
{
    QWidget* w = control(field);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->setEditText(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        memo->setPlainText(fromStoredLines(text));
    } else {
        static_cast<QLabel*>(w)->setText(text);
    }
}

void RecordCard::SetValue(int field, const QString& text)
{
    m_editor.SetValue(field, text);
    setControlText(field, text);
}

CardValues RecordCard::Values() const
{
    CardValues values;
    for (int i = 0; i < CardFields::Count; ++i)
        values[std::size_t(i)] = Value(i);
    return values;
}

QString RecordCard::CurrentCardId() const
{
    return m_position->text();
}

QString RecordCard::PendingPhotoPath() const
{
    return m_editor.PendingPhotoPath();
}

bool RecordCard::PreviewHasPicture() const
{
    return m_preview->HasPicture();
}

QPoint RecordCard::ContainerPosition(QSize outerSize)
{
    return WorkingWindow::ContainerPosition(outerSize, 8);
}

void RecordCard::pullValues()
{
    m_editor.SetValues(Values());
}

void RecordCard::showPosition()
{
    const QString id = m_editor.IdText();
    m_position->setText(id);
    // A long identifier (another program may have stored one of ten digits) is drawn smaller rather than
    // cut; the whole number is also in the tool tip.
    QFont font = Kit::Verdana(13, true);
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(id) > m_position->width())
        font.setPixelSize(font.pixelSize() - 1);
    m_position->setFont(font);
    m_position->setToolTip(id);
    // The name hides a label's text from assistive technology: the number goes in the description.
    m_position->setAccessibleDescription(id.isEmpty() ? u"nuova scheda"_s : id);
    m_pendingPhoto->setText(m_editor.PendingPhotoPath());
}

void RecordCard::showEditor()
{
    for (int i = 0; i < CardFields::Count; ++i)
        setControlText(i, m_editor.Value(i));
    showPosition();
    showPhoto();
}

void RecordCard::ShowPlaceholder()
{
    const PlaceholderPicture& placeholder = Placeholders::Card();
    if (!m_placeholderBox->HasPicture())
        m_placeholderBox->SetPicture(placeholder.image);
    m_preview->SetPicture(placeholder.image);
    m_previewBytes = placeholder.bytes;
}

void RecordCard::showPhoto()
{
    const QByteArray& bytes = m_editor.PhotoBytes();
    if (bytes.isEmpty()) {
        ShowPlaceholder();
        return;
    }
    if (bytes.isSharedWith(m_previewBytes) && m_preview->HasPicture())
        return;
    const JpegPicture picture = Jpeg::Decode(bytes, PreviewSize);
    if (!picture.ok()) {
        // Never leave the previous card's photo on screen.
        ShowPlaceholder();
        desktop().Warning(this, u"Foto non visualizzabile"_s,
                          u"La foto della scheda %1 non pu\u00f2 essere visualizzata (%2). I dati testuali "
                          "della scheda sono mostrati comunque."_s.arg(CurrentCardId(), picture.error));
        return;
    }
    m_preview->SetPicture(picture.image, picture.size);
    m_previewBytes = bytes;
}

void RecordCard::ClearCard()
{
    m_editor.Clear();
    showEditor();
    control(CardFields::Nome)->setFocus();
}

void RecordCard::SanitiseCardText()
{
    pullValues();
    m_editor.Sanitise();
    for (int i = 0; i < CardFields::Count; ++i) {
        if (Value(i) != m_editor.Value(i))
            setControlText(i, m_editor.Value(i));
    }
}

void RecordCard::LoadCard(const ArchiveCard& card)
{
    m_editor.Load(card);
    showEditor();
}

bool RecordCard::ShowChosenCard(const ArchiveCard& card)
{
    bool shown = false;
    Kit::Guarded(this, [&] {
        LoadCard(card);
        shown = true;
    });
    return shown;
}

void RecordCard::showEvent(QShowEvent* event)
{
    WorkingWindow::showEvent(event);
    // A window restored from the task bar is not being opened: what the user typed stays.
    if (event->spontaneous())
        return;
    // The archive is opened (and its table created when missing) on the first card, but the screen always
    // starts on an empty new card: the first card is not filled in only to be cleared, nor its photo
    // decoded.
    Kit::Guarded(this, [this] { m_editor.OpenArchive(); });
    ClearCard();
}

void RecordCard::closeEvent(QCloseEvent* event)
{
    try {
        m_editor.Store().Open();
    } catch (const std::exception& e) {
        // The start menu comes back all the same; only a damaged archive is told.
        Kit::HandleDamage(this, e);
    }
    event->accept();
    m_host.Show(ScreenHost::Screen::StartMenu);
}

void RecordCard::navigate(CardEditor::Step step)
{
    // Unsaved edits stay on screen when there is no card to go to.
    pullValues();
    Kit::Guarded(this, [&] {
        if (m_editor.Navigate(step))
            showEditor();
    });
}

void RecordCard::ShowFirst()
{
    navigate(CardEditor::Step::First);
}

void RecordCard::ShowPrevious()
{
    navigate(CardEditor::Step::Previous);
}

void RecordCard::ShowNext()
{
    navigate(CardEditor::Step::Next);
}

void RecordCard::ShowLast()
{
    navigate(CardEditor::Step::Last);
}

void RecordCard::NewCard()
{
    ClearCard();
}

void RecordCard::SaveCard()
{
    using Kind = CardEditor::SaveOutcome::Kind;
    pullValues();
    CardEditor::SaveOutcome outcome;
    {
        BusyCursor busy;
        outcome = m_editor.Save();
    }
    if (outcome.kind == Kind::ChangedElsewhere &&
        desktop().Question(this, u"Conferma salvataggio scheda"_s,
                           u"La scheda \u00e8 stata modificata da un'altra postazione dopo l'apertura. "
                           "Sovrascrivere le modifiche?"_s)) {
        BusyCursor busy;
        outcome = m_editor.Save(true);
    }
    // The cleaned texts are shown as they are (or would have been) stored.
    for (int i = 0; i < CardFields::Count; ++i) {
        if (Value(i) != m_editor.Value(i))
            setControlText(i, m_editor.Value(i));
    }
    const QString notApplicable = u"Salvataggio scheda non applicabile"_s;
    switch (outcome.kind) {
    case Kind::NameMissing:
        desktop().Warning(this, notApplicable,
                          outcome.wasStored
                              ? u"Per aggiornare la scheda \u00e8 necessario indicare il nome dell'animale "
                                "domestico."_s
                              : u"Per salvare la scheda \u00e8 necessario indicare il nome dell'animale "
                                "domestico."_s);
        control(CardFields::Nome)->setFocus();
        break;
    case Kind::Unrepresentable:
        desktop().Warning(this, notApplicable,
                          u"Il campo \u00ab%1\u00bb contiene il carattere \u00ab%2\u00bb, che l'archivio non "
                          "pu\u00f2 registrare. Sostituirlo o eliminarlo e salvare di nuovo."_s.arg(
                              FieldName(outcome.field), outcome.character));
        if (outcome.field < CardFields::EditableCount)
            control(outcome.field)->setFocus();
        break;
    case Kind::ChangedElsewhere:
        // The user chose to keep the card as typed, unsaved.
        break;
    case Kind::Failed:
        desktop().Plain(this,
                        u"Attenzione: la scheda corrente non \u00e8 stata salvata in archivio.\n\n%1"_s.arg(
                            outcome.error));
        // A damaged archive is offered its last good copy; the card stays as typed, to be saved again.
        if (outcome.failure)
            Kit::HandleDamage(this, *outcome.failure);
        break;
    case Kind::Updated:
        showPosition();
        showPhoto();
        desktop().Information(
            this, u"Aggiornamento effettuato con successo"_s,
            u"Le modifiche apportate alla scheda corrente sono state inserite in archivio."_s);
        break;
    case Kind::Inserted:
        showEditor();
        desktop().Information(this, u"Salvataggio effettuato con successo"_s,
                              u"La scheda corrente \u00e8 stata inserita in archivio."_s);
        break;
    }
    if (!PreviewHasPicture())
        ShowPlaceholder();
}

void RecordCard::DuplicateCard()
{
    if (!m_editor.Id()) {
        desktop().Warning(
            this, u"Attenzione: operazione non applicabile"_s,
            u"La duplicazione di una scheda pu\u00f2 avvenire soltanto dopo che questa \u00e8 stata "
            "inserita in archivio."_s);
        return;
    }
    desktop().Information(
        this, u"Scheda pronta per essere duplicata"_s,
        u"Apportare le modifiche desiderate alla scheda corrente e premere Salva per archiviarla."_s);
    pullValues();
    m_editor.Duplicate();
    showEditor();
    control(CardFields::Nome)->setFocus();
}

void RecordCard::DeleteCard()
{
    if (!m_editor.Id()) {
        desktop().Warning(
            this, u"Cancellazione scheda non applicabile"_s,
            u"L'operazione di cancellazione non \u00e8 applicabile in quanto la scheda corrente non "
            "\u00e8 ancora stata inserita in archivio."_s);
        return;
    }
    if (!desktop().Question(this, u"Conferma cancellazione scheda"_s,
                            u"Si vuole proprio eliminare la scheda corrente?"_s))
        return;
    try {
        m_editor.Delete();
    } catch (const ESQLiteException& e) {
        desktop().Plain(
            this, u"Attenzione: la scheda corrente non \u00e8 stata eliminata dall'archivio.\n\n%1"_s.arg(
                      e.message()));
        Kit::HandleDamage(this, e);
        return;
    }
    ClearCard();
}

void RecordCard::CompactArchive()
{
    if (!m_editor.Store().CanCompact()) {
        desktop().Plain(this, u"L'archivio \u00e8 sul server, che recupera da s\u00e9 lo spazio delle schede "
                              "cancellate: non serve ottimizzarlo."_s);
        return;
    }
    if (!desktop().Question(
            this, u"Conferma ottimizzazione archivio"_s,
            u"Questa funzione provveder\u00e0 a rimuovere lo spazio inutilizzato dall'archivio "
            "corrente per ottimizzare le sue dimensioni.\r\n\r\nSi consiglia di effettuare una copia "
            "di sicurezza dell'archivio prima di procedere.\r\n\r\nSi vuole ottimizzare l'archivio "
            "corrente?"_s))
        return;
    bool done = false;
    Kit::Guarded(this, [&] {
        BusyCursor busy;
        m_editor.Compact();
        done = true;
    });
    if (done)
        desktop().Plain(this, u"Ottimizzazione dell'archivio completata con successo."_s);
}

void RecordCard::OpenArchiveScreen(ArchiveScreen screen)
{
    ClearCard();
    try {
        m_editor.Store().Open();
    } catch (const std::exception& e) {
        // The archive's screens fail silently and leave an empty new card; a damaged archive is told.
        Kit::HandleDamage(this, e);
        return;
    }
    m_host.ShowArchiveScreen(Category(), screen, QString(Category().tableName));
}

void RecordCard::OpenSchedule()
{
    if (!m_editor.Id()) {
        desktop().Warning(this, u"Scadenze non disponibili"_s,
                          u"Le scadenze e il libretto dei trattamenti si registrano per una scheda già "
                          "inserita in archivio: salvare prima la scheda corrente."_s);
        return;
    }
    // The card stays as it is, unsaved edits included: the schedule keeps only its identifier.
    m_host.ShowArchiveScreen(Category(), ArchiveScreen::Schedule);
}

void RecordCard::ExportToWord()
{
    WordExportResult result;
    {
        BusyCursor busy;
        // Each value is read from its control just before its cell is written: what the card shows,
        // unsaved edits included.
        result = ExportCardToWord([this](int row) { return Value(WordExportField(row)); }, Category(),
                                  m_previewBytes, Placeholders::Card().bytes, m_host.ProgramFolder(),
                                  m_host.OfficeServers());
    }
    if (!result.ok)
        desktop().Plain(this, WordExportFailureMessage);
}

void RecordCard::LoadPhoto()
{
    const QString path = desktop().ChooseFileToOpen(
        this, u"Selezionare una foto in formato JPEG e premere Apri"_s, JpegFilter);
    if (path.isEmpty())
        return;
    JpegPicture picture;
    QByteArray bytes;
    {
        BusyCursor busy;
        try {
            bytes = CategoryStore::ReadPictureFile(path);
            picture = Jpeg::Decode(bytes, PreviewSize);
            if (picture.ok() && picture.warnings > 0)
                picture.error = u"dati dell'immagine incompleti o danneggiati"_s;
        } catch (const ESQLiteException& e) {
            picture.error = e.message();
        }
    }
    if (!picture.clean()) {
        // Only a photo that decodes cleanly can be stored with the card.
        m_editor.DropPhoto();
        showPosition();
        ShowPlaceholder();
        desktop().Warning(this, u"Caricamento foto non riuscito"_s,
                          u"Impossibile caricare la foto \u00ab%1\u00bb (%2)."_s.arg(path, picture.error));
        return;
    }
    m_editor.SetPendingPhoto(path, bytes);
    showPosition();
    m_preview->SetPicture(picture.image, picture.size);
    m_previewBytes = bytes;
}

void RecordCard::SavePhotoToDisk()
{
    QString path = desktop().ChooseFileToSave(this, u"Salva foto in formato JPEG"_s, JpegFilter, u"jpg"_s);
    if (path.isEmpty())
        return;
    if (!path.endsWith(u".jpg"_s, Qt::CaseInsensitive) && !path.endsWith(u".jpeg"_s, Qt::CaseInsensitive))
        path += u".jpg"_s;
    QString error;
    {
        BusyCursor busy;
        // The photo's own bytes, never re-encoded; written whole or not at all.
        if (!AtomicFile::Write(path, m_previewBytes, &error) && error.isEmpty())
            error = u"errore di scrittura"_s;
    }
    if (!error.isEmpty())
        desktop().Warning(this, u"Salvataggio foto non riuscito"_s,
                          u"Impossibile salvare la foto nel file \u00ab%1\u00bb: %2."_s.arg(path, error));
}

void RecordCard::ZoomPhoto()
{
    if (PreviewHasPicture())
        Kit::ShowZoomed(this, m_previewBytes);
}

void RecordCard::AttachFiles()
{
    TfrmAllegaFile dialog(m_host, this);
    dialog.SetToken(QString(Category().tableName));
    for (int slot = 0; slot < 3; ++slot)
        dialog.SetSlot(slot, Win1252::Trimmed(Value(CardFields::File01 + slot)),
                       Win1252::Trimmed(Value(CardFields::Desc01 + slot)));
    dialog.exec();
}

void RecordCard::AssociateFolder()
{
    TfrmAllegaCartella dialog(m_host, this);
    dialog.SetToken(QString(Category().tableName));
    dialog.SetSlot(0, Win1252::Trimmed(Value(CardFields::Cartella)),
                   Win1252::Trimmed(Value(CardFields::CartellaDesc)));
    dialog.exec();
}
