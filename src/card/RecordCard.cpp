// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordCard.h"

#include "JpegDecoder.h"
#include "TfrmAllegaCartella.h"
#include "TfrmAllegaFile.h"
#include "shell/Desktop.h"
#include "shell/GuideTexts.h"
#include "shell/PictureBox.h"
#include "shell/ScreenKit.h"
#include "shell/Screens.h"
#include "shell/TfrmAvvio.h"
#include "shell/TfrmZoom.h"
#include "storage/ESQLiteException.h"
#include "storage/Win1252.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>

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
          {"cmdAssocia", "cmd_associa", " Associa una cartella alla scheda corrente."}}},
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

QFont fieldFont(int pixels, bool bold)
{
    QFont f(u"Verdana"_s);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

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

const QByteArray& placeholderBytes()
{
    static const QByteArray bytes = [] {
        QFile f(u":/art/placeholder.jpg"_s);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    return bytes;
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

RecordCard::RecordCard(Screens& screens, const CategoryDescriptor& category)
    : QWidget(nullptr)
    , m_screens(screens)
    , m_category(category)
    , m_store(category, screens.ProgramFolder())
{
    m_container = ScreenKit::SetUpContainerWindow(this, Categories::RecordCardName(category),
                                                  Categories::RecordCardCaption(category));

    m_status = ScreenKit::MakeStatusBar(m_container);
    m_status->setGeometry(0, ScreenKit::ContainerSize.height() - 26, ScreenKit::ContainerSize.width(), 26);
    m_status->setIndent(8);

    buildCommands(m_container);
    buildPhotoColumn(m_container);
    buildFields(m_container);

    // Hidden state: the attachment holders, the pending photo path and the placeholder picture.
    for (int i = CardFields::EditableCount; i < CardFields::Count; ++i) {
        auto* holder = new QLabel(m_container);
        holder->setObjectName(QString(CardFields::All[std::size_t(i)].control));
        holder->hide();
        m_controls[std::size_t(i)] = holder;
    }
    m_pendingPhoto = new QLineEdit(m_container);
    m_pendingPhoto->setObjectName(u"txtFoto"_s);
    m_pendingPhoto->hide();
    m_placeholderBox = new PictureBox(u"imgTemp"_s, m_container);
    m_placeholderBox->hide();
    static const QImage placeholder = Jpeg::Decode(placeholderBytes()).image;
    m_placeholderBox->SetPicture(placeholder);

    ScreenKit::InstallEnterChain(m_container, enterChain());
    ScreenKit::InstallEnterChain(m_container, {u"txtDidascalia"_s, u"txtNome"_s});
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
    ShowPlaceholder();
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
                m_position = new QLabel(frame);
                m_position->setObjectName(u"lblPosizione"_s);
                m_position->setAlignment(Qt::AlignCenter);
                m_position->setFont(fieldFont(13, true));
                m_position->setGeometry(x, (Height - 22) / 2, PositionWidth, 22);
                QPalette pp = m_position->palette();
                pp.setColor(QPalette::WindowText, QColor(27, 58, 107));
                m_position->setPalette(pp);
                m_position->setAccessibleName(u"Numero della scheda"_s);
                x += PositionWidth + Gap;
            }
            const int size = arrows ? ArrowSize : Size;
            auto* cmd = new CommandPicture(QString::fromLatin1(c.name),
                                           ScreenKit::Picture(QString::fromLatin1(c.picture)), frame);
            cmd->setGeometry(x, (Height - size) / 2, size, size);
            cmd->SetHint(QString::fromUtf8(c.hint), m_status);
            x += size + Gap;
        }
        const int width = x - Gap + Pad;
        frame->resize(width, Height);
        built.push_back({frame, width});
        total += width;
    }
    const int gap = (ScreenKit::ContainerSize.width() - total) / int(built.size() - 1);
    int x = 0;
    for (const Built& b : built) {
        b.frame->move(x, Top);
        x += b.width + gap;
    }

    auto on = [this](const char* name, void (RecordCard::*action)()) {
        auto* cmd = m_container->findChild<CommandPicture*>(QString::fromLatin1(name));
        connect(cmd, &CommandPicture::clicked, this, action);
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
    auto opens = [this](const char* name, ArchiveScreen screen) {
        auto* cmd = m_container->findChild<CommandPicture*>(QString::fromLatin1(name));
        connect(cmd, &CommandPicture::clicked, this, [this, screen] { OpenArchiveScreen(screen); });
    };
    opens("cmdTrova", ArchiveScreen::Find);
    opens("cmdRicerca", ArchiveScreen::AdvancedSearch);
    opens("cmdSfogliaFoto", ArchiveScreen::PhotoViewer);
    opens("cmdSlideshow", ArchiveScreen::Slideshow);
    opens("cmdExcel", ArchiveScreen::Export);
    connect(m_container->findChild<CommandPicture*>(u"cmdGuida"_s), &CommandPicture::clicked, this,
            [this] { m_screens.ShowGuideTopic(GuideTexts::RecordCard()); });
    connect(m_container->findChild<CommandPicture*>(u"cmdEsci"_s), &CommandPicture::clicked, this,
            &QWidget::close);
    // The word-processor export of the shown card is built on the office automation layer.
    connect(m_container->findChild<CommandPicture*>(u"cmdWord"_s), &CommandPicture::clicked, this, [] {});
}

void RecordCard::buildPhotoColumn(QWidget* container)
{
    QFrame* photo = makeGroup(u"grpFoto"_s, container);
    photo->setGeometry(0, 66, 336, 253);
    m_preview = new PictureBox(u"imgFoto"_s, photo);
    m_preview->setGeometry(8, 8, PreviewSize.width(), PreviewSize.height());
    m_preview->setAccessibleName(u"Foto della scheda"_s);
    auto* zoom = new CommandPicture(u"imgZoom"_s, ScreenKit::Picture(u"zoom"_s), photo);
    zoom->setGeometry(8 + PreviewSize.width() - 27, 8 + PreviewSize.height() - 28, 25, 26);
    zoom->SetHint(u" Visualizza la foto corrente a schermo intero."_s, m_status);
    connect(zoom, &CommandPicture::clicked, this, &RecordCard::ZoomPhoto);

    auto button = [&](const QString& name, const QString& caption, const QString& hint, int x) {
        auto* b = new QPushButton(caption, container);
        b->setObjectName(name);
        b->setGeometry(x, 326, 164, 30);
        b->setFocusPolicy(Qt::NoFocus);
        b->setCursor(Qt::PointingHandCursor);
        b->setFont(fieldFont(12, true));
        b->setToolTip(hint.trimmed());
        ScreenKit::InstallHint(b, hint, m_status);
        return b;
    };
    connect(button(u"cmdFoto"_s, u"Carica foto Jpeg"_s,
                   u" Carica una foto in formato Jpeg da abbinare alla scheda corrente."_s, 0),
            &QPushButton::clicked, this, &RecordCard::LoadPhoto);
    connect(button(u"cmdSalvaFoto"_s, u"Salva foto su disco"_s,
                   u" Salva su disco la foto corrente in formato Jpeg."_s, 172),
            &QPushButton::clicked, this, &RecordCard::SavePhotoToDisk);
}

void RecordCard::buildFields(QWidget* container)
{
    const QFont labelFont = fieldFont(11, false);
    const QFont editFont = fieldFont(11, true);
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
        ScreenKit::InstallFocusColours(w, ScreenKit::MoneyGreen);
        m_controls[std::size_t(i)] = w;
        return w;
    };
    auto makeLabel = [&](int i, QWidget* parent, QWidget* buddy) {
        auto* label = new QLabel(CardFields::Label(i, m_category), parent);
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
    QString label = CardFields::Label(field, m_category);
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
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        return toStoredLines(memo->toPlainText());
    return static_cast<QLabel*>(w)->text();
}

void RecordCard::SetValue(int field, const QString& text)
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
    return m_pendingPhoto->text();
}

bool RecordCard::PreviewHasPicture() const
{
    return m_preview->HasPicture();
}

QPoint RecordCard::ContainerPosition(QSize outerSize)
{
    return ScreenKit::CentredContainerPosition(outerSize, 8);
}

void RecordCard::ShowPlaceholder()
{
    m_preview->SetPicture(m_placeholderBox->Image());
    m_previewBytes = placeholderBytes();
}

void RecordCard::ClearCard()
{
    ShowPlaceholder();
    m_position->clear();
    m_pendingPhoto->clear();
    for (int i = 0; i < CardFields::Count; ++i)
        SetValue(i, QString());
    control(CardFields::Nome)->setFocus();
}

void RecordCard::SanitiseCardText()
{
    for (int i = 0; i < CardFields::Count; ++i) {
        QString text = Value(i);
        if (text.contains(u';') || text.contains(u'"')) {
            text.replace(u';', u' ');
            text.replace(u'"', u' ');
            SetValue(i, text);
        }
    }
}

void RecordCard::showPicture(const QByteArray& bytes, bool fromArchive)
{
    const JpegPicture picture = Jpeg::Decode(bytes, PreviewSize);
    if (!picture.ok()) {
        // Never leave the previous card's photo on screen.
        ShowPlaceholder();
        if (fromArchive)
            desktop().Warning(
                this, u"Foto non visualizzabile"_s,
                u"La foto della scheda %1 non pu\u00f2 essere visualizzata perch\u00e9 i suoi dati sono "
                "danneggiati (%2). I dati testuali della scheda sono mostrati comunque."_s.arg(
                    CurrentCardId(), picture.error));
        return;
    }
    m_preview->SetPicture(picture.image, picture.size);
    m_previewBytes = bytes;
}

void RecordCard::LoadCardFromRow(const TSQLiteTable& row)
{
    m_preview->Clear();
    m_previewBytes.clear();
    m_pendingPhoto->clear();
    const qint32 id = qint32(row.IntegerValue(row.ColumnIndexOf(u"ID"_s)));
    m_position->setText(QString::number(id));
    const CardValues values = CategoryStore::ReadCard(row);
    for (int i = 0; i < CardFields::Count; ++i)
        SetValue(i, values[std::size_t(i)]);
    const int picture = row.ColumnIndexOf(u"picture"_s);
    if (!row.IsNull(picture))
        showPicture(*row.BlobStream(picture), true);
}

void RecordCard::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_container->move(ContainerPosition(OuterSize(this)));
    // A window restored from the task bar is not being opened: what the user typed stays.
    if (event->spontaneous())
        return;
    // The archive is opened (and its table created when missing) on the first card, but the screen always
    // starts on an empty new card: the first card is not filled in only to be cleared, nor its photo
    // decoded.
    ScreenKit::Guarded(this, [this] {
        if (m_store.OpenArchive(m_store.QueryFirst()))
            m_store.Cursor()->GoFirst();
    });
    ClearCard();
}

void RecordCard::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_container->move(ContainerPosition(OuterSize(this)));
}

void RecordCard::closeEvent(QCloseEvent* event)
{
    try {
        m_store.OpenArchive(m_store.QueryFirst());
    } catch (const std::exception&) {
        // The start menu comes back all the same.
    }
    event->accept();
    ScreenKit::ShowMaximised(m_screens.StartMenu());
}

void RecordCard::navigate(const QString& positioningSql)
{
    ScreenKit::Guarded(this, [&] {
        if (!m_store.OpenArchive(positioningSql))
            return;
        if (m_store.Cursor()->RowCount() > 0)
            LoadCardFromRow(*m_store.Cursor());
        if (!PreviewHasPicture())
            ShowPlaceholder();
    });
}

void RecordCard::ShowFirst()
{
    navigate(m_store.QueryFirst());
}

void RecordCard::ShowPrevious()
{
    const QString id = CurrentCardId().trimmed();
    navigate(id.isEmpty() ? m_store.QueryFirst() : m_store.QueryPrevious(id.toLongLong()));
}

void RecordCard::ShowNext()
{
    const QString id = CurrentCardId().trimmed();
    navigate(id.isEmpty() ? m_store.QueryFirst() : m_store.QueryNext(id.toLongLong()));
}

void RecordCard::ShowLast()
{
    navigate(m_store.QueryLast());
}

void RecordCard::NewCard()
{
    ClearCard();
}

void RecordCard::saveFailed(const QString& reason)
{
    desktop().Plain(
        this, u"Attenzione: la scheda corrente non \u00e8 stata salvata in archivio.\n\n%1"_s.arg(reason));
}

void RecordCard::SaveCard()
{
    try {
        m_store.OpenArchive(m_store.QueryFirst());
    } catch (const ESQLiteException& e) {
        saveFailed(e.message());
        return;
    }
    const bool stored = !CurrentCardId().trimmed().isEmpty();
    {
        BusyCursor busy;
        SanitiseCardText();
    }
    auto finish = [this] {
        if (!PreviewHasPicture())
            ShowPlaceholder();
    };
    if (Value(CardFields::Nome).trimmed().isEmpty()) {
        desktop().Warning(this, SaveNotApplicable,
                          stored
                              ? u"Per aggiornare la scheda \u00e8 necessario indicare il nome dell'animale "
                                "domestico."_s
                              : u"Per salvare la scheda \u00e8 necessario indicare il nome dell'animale "
                                "domestico."_s);
        control(CardFields::Nome)->setFocus();
        finish();
        return;
    }
    // A text that the archive's character set cannot hold is refused, never altered.
    const CardValues values = Values();
    for (int i = 0; i < CardFields::Count; ++i) {
        qsizetype bad = 0;
        if (!Win1252::Encode(values[std::size_t(i)], &bad)) {
            desktop().Warning(
                this, SaveNotApplicable,
                u"Il campo \u00ab%1\u00bb contiene il carattere \u00ab%2\u00bb, che l'archivio non pu\u00f2 "
                "registrare. Sostituirlo o eliminarlo e salvare di nuovo."_s.arg(
                    FieldName(i), values[std::size_t(i)].mid(
                                      bad, values[std::size_t(i)].at(bad).isHighSurrogate() ? 2 : 1)));
            if (i < CardFields::EditableCount)
                control(i)->setFocus();
            finish();
            return;
        }
    }

    qint64 id = 0;
    try {
        BusyCursor busy;
        const std::optional<qint64> existing =
            stored ? std::optional<qint64>(CurrentCardId().trimmed().toLongLong()) : std::nullopt;
        id = m_store.SaveCard(existing, values, PendingPhotoPath().trimmed());
    } catch (const ESQLiteException& e) {
        // Nothing was stored: the card stays as typed, with its identifier and its pending photo.
        saveFailed(e.message());
        finish();
        return;
    }
    m_pendingPhoto->clear();
    if (stored) {
        finish();
        desktop().Information(
            this, u"Aggiornamento effettuato con successo"_s,
            u"Le modifiche apportate alla scheda corrente sono state inserite in archivio."_s);
        return;
    }
    // The card is stored: from now on a save updates it, whatever the read-back below does.
    m_position->setText(QString::number(qint32(id)));
    try {
        TSQLiteTable& row = m_store.Query(m_store.QueryById(id));
        if (row.GoLast())
            LoadCardFromRow(row);
    } catch (const ESQLiteException&) {
        // The card keeps showing what was typed, which is what was stored.
    }
    finish();
    desktop().Information(this, u"Salvataggio effettuato con successo"_s,
                          u"La scheda corrente \u00e8 stata inserita in archivio."_s);
}

void RecordCard::DuplicateCard()
{
    if (CurrentCardId().trimmed().isEmpty()) {
        desktop().Warning(
            this, u"Attenzione: operazione non applicabile"_s,
            u"La duplicazione di una scheda pu\u00f2 avvenire soltanto dopo che questa \u00e8 stata "
            "inserita in archivio."_s);
        return;
    }
    desktop().Information(
        this, u"Scheda pronta per essere duplicata"_s,
        u"Apportare le modifiche desiderate alla scheda corrente e premere Salva per archiviarla."_s);
    ShowPlaceholder();
    m_position->clear();
    m_pendingPhoto->clear();
    for (int i = CardFields::EditableCount; i < CardFields::Count; ++i)
        SetValue(i, QString());
    control(CardFields::Nome)->setFocus();
}

void RecordCard::ensureConnection()
{
    // Delete and compact act on the screen's current connection; a failed open may have left none.
    if (!m_store.Database())
        m_store.OpenArchive(m_store.QueryFirst());
}

void RecordCard::DeleteCard()
{
    const QString id = CurrentCardId().trimmed();
    if (id.isEmpty()) {
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
        ensureConnection();
        m_store.DeleteCard(id.toLongLong());
        m_store.Cursor()->GoFirst();
    } catch (const ESQLiteException& e) {
        desktop().Plain(
            this, u"Attenzione: la scheda corrente non \u00e8 stata eliminata dall'archivio.\n\n%1"_s.arg(
                      e.message()));
        return;
    }
    ClearCard();
}

void RecordCard::CompactArchive()
{
    if (!desktop().Question(
            this, u"Conferma ottimizzazione archivio"_s,
            u"Questa funzione provveder\u00e0 a rimuovere lo spazio inutilizzato dall'archivio "
            "corrente per ottimizzare le sue dimensioni.\r\n\r\nSi consiglia di effettuare una copia "
            "di sicurezza dell'archivio prima di procedere.\r\n\r\nSi vuole ottimizzare l'archivio "
            "corrente?"_s))
        return;
    bool done = false;
    ScreenKit::Guarded(this, [&] {
        BusyCursor busy;
        ensureConnection();
        m_store.CompactArchive();
        done = true;
    });
    if (done)
        desktop().Plain(this, u"Ottimizzazione dell'archivio completata con successo."_s);
}

void RecordCard::OpenArchiveScreen(ArchiveScreen screen)
{
    ClearCard();
    try {
        m_store.OpenArchive(m_store.QueryFirst());
    } catch (const std::exception&) {
        return; // the archive's screens fail silently and leave an empty new card
    }
    // The find, advanced search, photo viewer, slideshow and export screens of this archive are shown
    // here, modally, once they exist.
    Q_UNUSED(screen);
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
        m_pendingPhoto->clear();
        ShowPlaceholder();
        desktop().Warning(this, u"Caricamento foto non riuscito"_s,
                          u"Impossibile caricare la foto \u00ab%1\u00bb: il file non \u00e8 un'immagine JPEG "
                          "valida (%2)."_s.arg(path, picture.error.isEmpty() ? u"formato non riconosciuto"_s
                                                                             : picture.error));
        return;
    }
    m_pendingPhoto->setText(path);
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
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(m_previewBytes) != m_previewBytes.size() ||
            !file.commit())
            error = file.errorString();
    }
    if (!error.isEmpty())
        desktop().Warning(this, u"Salvataggio foto non riuscito"_s,
                          u"Impossibile salvare la foto nel file \u00ab%1\u00bb: %2."_s.arg(path, error));
}

void RecordCard::ZoomPhoto()
{
    if (!PreviewHasPicture())
        return;
    QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize area = TfrmZoom::PictureArea(display ? display->size() : QSize(1280, 1024)).size();
    const JpegPicture picture = Jpeg::Decode(m_previewBytes, area);
    if (!picture.ok()) {
        desktop().Message(this, Desktop::Icon::None, u"Operazione annullata"_s,
                          u"Attenzione: impossibile individuare la foto corrente."_s);
        return;
    }
    TfrmZoom zoom(this);
    zoom.SetPicture(picture.image, picture.size);
    zoom.exec();
}

void RecordCard::AttachFiles()
{
    TfrmAllegaFile dialog(m_screens, this);
    dialog.SetToken(QString(m_category.tableName));
    for (int slot = 0; slot < 3; ++slot)
        dialog.SetSlot(slot, Value(CardFields::File01 + slot).trimmed(),
                       Value(CardFields::Desc01 + slot).trimmed());
    dialog.exec();
}

void RecordCard::AssociateFolder()
{
    TfrmAllegaCartella dialog(m_screens, this);
    dialog.SetToken(QString(m_category.tableName));
    dialog.SetSlot(0, Value(CardFields::Cartella).trimmed(), Value(CardFields::CartellaDesc).trimmed());
    dialog.exec();
}
