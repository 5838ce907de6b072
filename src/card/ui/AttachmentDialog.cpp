// SPDX-License-Identifier: GPL-3.0-or-later
#include "AttachmentDialog.h"

#include "kit/Artwork.h"
#include "kit/BusyCursor.h"
#include "kit/CardTarget.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/FieldConventions.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "storage/CardFields.h"
#include "storage/Win1252.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// Backspace empties a path field, which accepts no other typing.
class BackspaceClears final : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
            static_cast<QLineEdit*>(watched)->clear();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

AttachmentDialog::AttachmentDialog(ScreenHost& host, QWidget* owner, Kind kind)
    : QDialog(owner, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_host(host)
    , m_kind(kind)
{
    const bool files = kind == Kind::Files;
    Kit::SetUpWindow(this, files ? u"TfrmAllegaFile"_s : u"TfrmAllegaCartella"_s,
                     files ? u" File allegati"_s : u" Associa cartella"_s, Qt::white);
    setFixedSize(616, files ? 470 : 254);
    const QFont font = Kit::Verdana(12);
    setFont(font);

    Kit::PictureLabel(u"imgGuida"_s,
                      Kit::Picture(files ? u"cmd_allega"_s : u"cmd_associa"_s)
                          .scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                      this, QRect(14, 14, 48, 48));
    const QStringList lines =
        files
            ? QStringList{u"Selezionare i file da allegare alla scheda corrente servendosi del pulsante Sfoglia."_s,
                          u"Quindi fare clic su Applica e chiudi e poi sull'icona del floppy per salvare la scheda."_s,
                          u"Per visualizzare un file \u00e8 sufficiente premere il pulsante Apri."_s}
            : QStringList{
                  u"Selezionare la cartella da associare alla scheda corrente servendosi del pulsante "
                  "Sfoglia."_s,
                  u"Quindi fare clic su Applica e chiudi e poi sul pulsante Salva per salvare le modifiche."_s,
                  u"Per aprire la cartella \u00e8 sufficiente premere il pulsante Apri."_s};
    for (int i = 0; i < lines.size(); ++i) {
        auto* line = new QLabel(lines.at(i), this);
        line->setObjectName(u"lblIstruzioni%1"_s.arg(i + 1));
        line->setGeometry(74, 12 + i * 20, 530, 20);
    }

    m_memory = new QLabel(this);
    m_memory->setObjectName(u"lblMemory"_s);
    m_memory->hide();

    const QFont bold = Kit::Verdana(12, true);
    const int count = files ? 3 : 1;
    for (int i = 0; i < count; ++i) {
        const QString n = u"%1"_s.arg(i + 1, 2, 10, QLatin1Char('0'));
        auto* group = new QFrame(this);
        group->setObjectName(u"grpAllegato"_s + n);
        group->setFrameShape(QFrame::StyledPanel);
        group->setGeometry(10, 80 + i * 120, 596, 112);
        QLabel* caption =
            Kit::Label(QString(), files ? u"File allegato %1"_s.arg(i + 1) : u"Cartella associata"_s, group,
                       QRect(10, 6, 300, 18), bold);
        QLineEdit* path = Kit::Edit(u"txtFile"_s + n, group, QRect(10, 26, 404, 26), font, caption);
        path->setReadOnly(true);
        Kit::SetColour(path, QPalette::Text, Qt::red);
        path->installEventFilter(new BackspaceClears(path));
        QPushButton* browseButton =
            Kit::Button(u"cmdSfoglia"_s + n, u"Sfoglia..."_s, group, QRect(420, 24, 86, 30));
        QPushButton* open = Kit::Button(u"cmdApri"_s + n, u"Apri"_s, group, QRect(512, 24, 74, 30));
        open->setEnabled(false);
        QLabel* descCaption = Kit::Label(QString(), u"Descrizione"_s, group, QRect(10, 56, 300, 18), font);
        QLineEdit* description =
            Kit::Edit(u"txtDesc"_s + n, group, QRect(10, 76, 576, 26), bold, descCaption);
        m_slots.push_back({path, description, open});

        connect(path, &QLineEdit::textChanged, open,
                [open](const QString& text) { open->setEnabled(!Win1252::Trimmed(text).isEmpty()); });
        connect(browseButton, &QPushButton::clicked, this, [this, i] { browse(i); });
        connect(open, &QPushButton::clicked, this, [this, i] {
            BusyCursor busy;
            // A missing file or folder gives no message of ours.
            desktop().Open(QUrl::fromLocalFile(Win1252::Trimmed(m_slots[std::size_t(i)].path->text())));
        });
    }

    QPushButton* apply =
        Kit::Button(u"cmdApplica"_s, u"Applica e chiudi"_s, this, QRect(466, height() - 40, 140, 30));
    connect(apply, &QPushButton::clicked, this, &AttachmentDialog::Apply);
    // Paths and descriptions have no length limit.
    Kit::UnlimitTextLength(this);
}

void AttachmentDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Kit::CentreOnDesktop(this);
}

void AttachmentDialog::SetToken(const QString& tableName)
{
    m_memory->setText(tableName);
}

void AttachmentDialog::SetSlot(int slot, const QString& path, const QString& description)
{
    m_slots.at(std::size_t(slot)).path->setText(path);
    m_slots.at(std::size_t(slot)).description->setText(description);
}

QString AttachmentDialog::Path(int slot) const
{
    return m_slots.at(std::size_t(slot)).path->text();
}

QString AttachmentDialog::Description(int slot) const
{
    return m_slots.at(std::size_t(slot)).description->text();
}

void AttachmentDialog::browse(int slot)
{
    QLineEdit* path = m_slots.at(std::size_t(slot)).path;
    const QString chosen = m_kind == Kind::Files
                               ? desktop().ChooseFileToOpen(this, u"Selezionare un file e premere Apri:"_s,
                                                            u"Tutti i file (*)"_s)
                               : desktop().ChooseFolder(this, u"Selezionare una cartella:"_s);
    if (chosen.isEmpty())
        return;
    BusyCursor busy;
    path->setText(chosen);
}

void AttachmentDialog::Apply()
{
    CardTarget* card = m_host.CardByToken(Win1252::Trimmed(m_memory->text()));
    if (!card)
        return;
    if (m_kind == Kind::Files) {
        for (int i = 0; i < 3; ++i) {
            card->SetValue(CardFields::File01 + i, Win1252::Trimmed(Path(i)));
            card->SetValue(CardFields::Desc01 + i, Win1252::Trimmed(Description(i)));
        }
    } else {
        card->SetValue(CardFields::Cartella, Win1252::Trimmed(Path(0)));
        card->SetValue(CardFields::CartellaDesc, Win1252::Trimmed(Description(0)));
    }
    accept();
}
