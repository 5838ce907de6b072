// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScheduleScreen.h"

#include "StateColours.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "program/Settings.h"
#include "schedule/ScheduleRules.h"
#include "schedule/SuggestedSets.h"
#include "shell/GuideTexts.h"
#include "storage/ESQLiteException.h"
#include "storage/FileScheduleSql.h"

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Title = u"Scadenze"_s;
const QString DateForm = u"Scrivere la data nella forma gg/mm/aaaa (per esempio 05/03/2025)."_s;

QTableWidget* makeTable(const QString& name, const QStringList& headers, QWidget* parent, QRect geometry)
{
    auto* table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(name);
    table->setGeometry(geometry);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setFont(Kit::Verdana(11));
    return table;
}

void setRow(QTableWidget* table, int row, const QStringList& cells, const QColor& background = {})
{
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (background.isValid())
            item->setBackground(background);
        table->setItem(row, c, item);
    }
}

} // namespace

ScheduleScreen::ScheduleScreen(ScreenHost& host, const CategoryDescriptor& category, qint64 cardId,
                               const QString& animal, QWidget* parent, const ScheduleSource& source)
    : QDialog(parent)
    , m_host(host)
    , m_category(category)
    , m_cardId(cardId)
    , m_noticeDays(Settings(host.ProgramFolder())
                       .Number("Scadenze", "Preavviso", ScheduleRules::DefaultNoticeDays, 0,
                               ScheduleRules::MaxNoticeDays))
{
    Kit::SetUpWindow(this, u"TfrmScadenze"_s,
                     u" Scadenze e libretto sanitario - %1 (%2)"_s.arg(animal, QString(category.title)),
                     Kit::Silver);
    setFixedSize(900, 640);
    const QFont font = Kit::Verdana(11);
    const QFont bold = Kit::Verdana(12, true);

    Kit::Label(u"lblScadenze"_s, u"Scadenze"_s, this, QRect(16, 8, 300, 20), bold);
    m_problem =
        Kit::Label(u"lblProblema"_s, QString(), this, QRect(320, 8, 564, 20), font, QColor(170, 0, 0));
    m_list = makeTable(
        u"tblScadenze"_s,
        {u"Tipo"_s, u"Descrizione"_s, u"Ultima esecuzione"_s, u"Scadenza"_s, u"Ripetizione"_s, u"Note"_s},
        this, QRect(16, 30, 868, 170));
    m_list->setColumnWidth(0, 120);
    m_list->setColumnWidth(1, 250);
    m_list->setColumnWidth(2, 120);
    m_list->setColumnWidth(3, 90);
    m_list->setColumnWidth(4, 100);
    m_list->setAccessibleName(u"Scadenze della scheda"_s);

    // The entry's fields.
    auto* kindLabel = Kit::Label(u"lblTipo"_s, u"Tipo:"_s, this, QRect(16, 212, 120, 18), font);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(u"cboTipo"_s);
    m_kind->setGeometry(16, 232, 150, 26);
    m_kind->addItems(ScheduleRules::Kinds());
    kindLabel->setBuddy(m_kind);
    auto* descriptionLabel =
        Kit::Label(u"lblDescrizione"_s, u"Descrizione:"_s, this, QRect(176, 212, 200, 18), font);
    m_description = Kit::Edit(u"txtDescrizione"_s, this, QRect(176, 232, 260, 26), font, descriptionLabel);
    // The due date's caption ends before the repetition's begins.
    auto* dueLabel =
        Kit::Label(u"lblScadenza"_s, u"Scadenza (gg/mm/aaaa):"_s, this, QRect(446, 212, 172, 18), font);
    m_due = Kit::Edit(u"txtScadenza"_s, this, QRect(446, 232, 130, 26), font, dueLabel);
    auto* repeatLabel =
        Kit::Label(u"lblRipeti"_s, u"Ripeti ogni (mesi):"_s, this, QRect(626, 212, 150, 18), font);
    m_repeat = new QSpinBox(this);
    m_repeat->setObjectName(u"spnRipeti"_s);
    m_repeat->setGeometry(626, 232, 120, 26);
    m_repeat->setRange(0, ScheduleRules::MaxRepeatMonths);
    m_repeat->setSpecialValueText(u"una volta"_s);
    repeatLabel->setBuddy(m_repeat);
    auto* noteLabel = Kit::Label(u"lblNote"_s, u"Note:"_s, this, QRect(16, 264, 120, 18), font);
    m_note = Kit::Edit(u"txtNote"_s, this, QRect(16, 284, 730, 26), font, noteLabel);

    auto button = [this](const QString& name, const QString& text, QRect geometry,
                         void (ScheduleScreen::*action)()) {
        QPushButton* b = Kit::NonDefaultButton(name, text, this, geometry);
        connect(b, &QPushButton::clicked, this,
                Kit::GuardedSlot(this, [this, action] { (this->*action)(); }));
        return b;
    };
    button(u"btnNuova"_s, u"Nuova"_s, QRect(756, 212, 128, 26), &ScheduleScreen::NewEntry);
    button(u"btnSalva"_s, u"Salva"_s, QRect(756, 246, 128, 26), &ScheduleScreen::SaveEntry);
    button(u"btnElimina"_s, u"Elimina"_s, QRect(756, 280, 128, 26), &ScheduleScreen::DeleteEntry);

    // Done: today or on a date.
    auto* doneLabel =
        Kit::Label(u"lblData"_s, u"Data di esecuzione (gg/mm/aaaa):"_s, this, QRect(16, 326, 250, 18), font);
    m_doneDate = Kit::Edit(u"txtData"_s, this, QRect(16, 346, 130, 26), font, doneLabel);
    button(u"btnEseguitaOggi"_s, u"Eseguita oggi"_s, QRect(156, 345, 150, 28),
           &ScheduleScreen::MarkDoneToday);
    button(u"btnEseguita"_s, u"Eseguita nella data"_s, QRect(316, 345, 170, 28), &ScheduleScreen::MarkDoneOn);
    button(u"btnAnnota"_s, u"Annota nel libretto"_s, QRect(496, 345, 170, 28),
           &ScheduleScreen::AddBookletRow);
    button(u"btnSet"_s, u"Aggiungi set suggerito"_s, QRect(676, 345, 208, 28),
           &ScheduleScreen::AddSuggestedSet);

    Kit::Label(u"lblLibretto"_s, u"Libretto dei trattamenti"_s, this, QRect(16, 384, 300, 20), bold);
    m_bookletList = makeTable(u"tblLibretto"_s, {u"Data"_s, u"Tipo"_s, u"Descrizione"_s, u"Note"_s}, this,
                              QRect(16, 406, 868, 160));
    m_bookletList->setColumnWidth(0, 100);
    m_bookletList->setColumnWidth(1, 130);
    m_bookletList->setColumnWidth(2, 320);
    m_bookletList->setAccessibleName(u"Libretto dei trattamenti"_s);

    m_status = Kit::Label(u"lblStato"_s, QString(), this, QRect(16, 574, 600, 18), font);
    Kit::Label(
        u"lblLegenda"_s,
        u"Rosso: scaduta. Giallo: in scadenza entro %1 giorni. Verde: pi\u00f9 avanti."_s.arg(m_noticeDays),
        this, QRect(16, 600, 560, 18), font);
    button(u"btnEliminaRiga"_s, u"Elimina riga"_s, QRect(626, 572, 128, 26),
           &ScheduleScreen::DeleteBookletRow);
    QPushButton* guide = Kit::NonDefaultButton(u"btnGuida"_s, u"Guida"_s, this, QRect(626, 604, 128, 28));
    connect(guide, &QPushButton::clicked, this,
            Kit::GuardedSlot(this, [this] { m_host.ShowGuideTopic(GuideTexts::Schedule()); }));
    QPushButton* close = Kit::NonDefaultButton(u"btnChiudi"_s, u"Chiudi"_s, this, QRect(764, 604, 120, 28));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    connect(m_list, &QTableWidget::itemSelectionChanged, this, [this] {
        const QModelIndexList selected = m_list->selectionModel()->selectedRows();
        const int row = selected.isEmpty() ? -1 : selected.first().row();
        fillFields(row >= 0 && row < int(m_entries.size()) ? &m_entries[std::size_t(row)] : nullptr);
    });

    m_doneDate->setText(ScheduleRules::Italian(today()));
    Kit::Guarded(this, [this, &source] {
        const ScheduleOpener open = (source ? source : FileScheduleSql::Source(m_host.ProgramFolder()))();
        m_book = std::make_unique<ScheduleBook>(m_category, open(m_category, false));
    });
    Reload();
    if (m_book && m_book->Inspect().kind == ScheduleTables::State::Kind::WrongColumns) {
        const QString problem = m_book->Inspect().problem;
        m_problem->setText(u"Scadenze non leggibili: "_s + problem);
        setEnabledAll(false);
        desktop().Warning(this, Title,
                          u"Le scadenze di questo archivio non possono essere lette n\u00e9 scritte: %1 "
                          "(la tabella \u00e8 stata creata da un altro programma). La scheda resta "
                          "utilizzabile."_s.arg(problem));
    }
}

ScheduleScreen::~ScheduleScreen() = default;

QDate ScheduleScreen::today() const
{
    return desktop().Now().date();
}

void ScheduleScreen::setEnabledAll(bool enabled)
{
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->objectName() != u"btnChiudi"_s && w->objectName() != u"btnGuida"_s &&
            !qobject_cast<QLabel*>(w))
            w->setEnabled(enabled);
    }
}

void ScheduleScreen::Reload()
{
    m_entries.clear();
    m_booklet.clear();
    if (m_book) {
        try {
            m_entries = m_book->Entries(m_cardId);
            m_booklet = m_book->Booklet(m_cardId);
        } catch (const ESQLiteException& e) {
            m_problem->setText(u"Scadenze non leggibili: "_s + e.message());
        }
    }
    const QDate now = today();
    m_list->clearSelection();
    m_list->setRowCount(int(m_entries.size()));
    for (int r = 0; r < int(m_entries.size()); ++r) {
        const ScheduleEntry& e = m_entries[std::size_t(r)];
        const QColor colour = e.due ? StateColours::Of(ScheduleRules::StateOf(*e.due, now, m_noticeDays))
                                    : StateColours::Of(ScheduleRules::DueState::Overdue);
        setRow(m_list, r,
               {e.kind, e.description, e.lastDone ? ScheduleRules::Italian(*e.lastDone) : QString(),
                e.due ? ScheduleRules::Italian(*e.due) : e.dueText, ScheduleRules::RepeatText(e.repeatMonths),
                e.note},
               colour);
    }
    m_bookletList->setRowCount(int(m_booklet.size()));
    for (int r = 0; r < int(m_booklet.size()); ++r) {
        const BookletRow& b = m_booklet[std::size_t(r)];
        setRow(m_bookletList, r,
               {b.date ? ScheduleRules::Italian(*b.date) : b.dateText, b.kind, b.description, b.note});
    }
    fillFields(nullptr);
}

void ScheduleScreen::SelectEntry(int row)
{
    if (row < 0)
        m_list->clearSelection();
    else
        m_list->selectRow(row);
    fillFields(row >= 0 && row < int(m_entries.size()) ? &m_entries[std::size_t(row)] : nullptr);
}

void ScheduleScreen::SelectBookletRow(int row)
{
    m_bookletList->selectRow(row);
}

void ScheduleScreen::fillFields(const ScheduleEntry* entry)
{
    m_editing = entry ? std::optional<qint64>(entry->id) : std::nullopt;
    m_kind->setCurrentIndex(entry ? int(ScheduleRules::Kinds().indexOf(entry->kind)) : 0);
    m_description->setText(entry ? entry->description : QString());
    m_due->setText(entry ? (entry->due ? ScheduleRules::Italian(*entry->due) : entry->dueText) : QString());
    m_repeat->setValue(entry ? entry->repeatMonths : 0);
    m_note->setText(entry ? entry->note : QString());
}

void ScheduleScreen::NewEntry()
{
    SelectEntry(-1);
    m_due->setText(ScheduleRules::Italian(today()));
    m_description->setFocus();
}

std::optional<EntryInput> ScheduleScreen::typedEntry()
{
    EntryInput e;
    e.kind = m_kind->currentText();
    e.description = m_description->text().trimmed();
    e.repeatMonths = m_repeat->value();
    e.note = m_note->text().trimmed();
    const std::optional<QDate> due = ScheduleRules::ParseItalian(m_due->text());
    if (!due) {
        desktop().Warning(
            this, Title,
            u"La data di scadenza \u00ab%1\u00bb non \u00e8 valida. %2"_s.arg(m_due->text(), DateForm));
        m_due->setFocus();
        return std::nullopt;
    }
    e.due = *due;
    return e;
}

std::optional<QDate> ScheduleScreen::typedDoneDate()
{
    const std::optional<QDate> date = ScheduleRules::ParseItalian(m_doneDate->text());
    if (!date) {
        desktop().Warning(this, Title,
                          u"La data di esecuzione \u00ab%1\u00bb non \u00e8 valida. %2"_s.arg(
                              m_doneDate->text(), DateForm));
        m_doneDate->setFocus();
        return std::nullopt;
    }
    if (*date > today()) {
        desktop().Warning(this, Title, u"La data di esecuzione non pu\u00f2 essere successiva a oggi."_s);
        m_doneDate->setFocus();
        return std::nullopt;
    }
    return date;
}

bool ScheduleScreen::write(const QString& what, const std::function<void()>& work)
{
    if (!m_book) {
        desktop().Plain(this, u"Attenzione: %1.\n\nL'archivio non \u00e8 aperto."_s.arg(what));
        return false;
    }
    bool done = false;
    try {
        work();
        done = true;
    } catch (const std::exception& e) {
        const auto* sql = dynamic_cast<const ESQLiteException*>(&e);
        desktop().Plain(
            this, u"Attenzione: %1.\n\n%2"_s.arg(what, sql ? sql->message() : QString::fromUtf8(e.what())));
    }
    Reload();
    return done;
}

void ScheduleScreen::SaveEntry()
{
    const std::optional<EntryInput> entry = typedEntry();
    if (!entry)
        return;
    const std::optional<qint64> editing = m_editing;
    if (write(u"la scadenza non \u00e8 stata salvata"_s, [&] {
            if (editing)
                m_book->UpdateEntry(*editing, *entry);
            else
                m_book->AddEntry(m_cardId, *entry);
        }))
        m_status->setText(u"Scadenza salvata."_s);
}

void ScheduleScreen::DeleteEntry()
{
    if (!m_editing) {
        desktop().Warning(this, Title, u"Selezionare nell'elenco la scadenza da eliminare."_s);
        return;
    }
    if (!desktop().Question(this, Title,
                            u"Si vuole eliminare la scadenza selezionata? Il libretto conserva i trattamenti "
                            "gi\u00e0 registrati."_s))
        return;
    const qint64 id = *m_editing;
    if (write(u"la scadenza non \u00e8 stata eliminata"_s, [&] { m_book->DeleteEntry(id); }))
        m_status->setText(u"Scadenza eliminata."_s);
}

void ScheduleScreen::markDone(const QDate& date)
{
    if (!m_editing) {
        desktop().Warning(this, Title, u"Selezionare nell'elenco la scadenza eseguita."_s);
        return;
    }
    const qint64 id = *m_editing;
    ScheduleBook::Done done;
    if (!write(u"l'esecuzione non \u00e8 stata registrata"_s, [&] { done = m_book->MarkDone(id, date); }))
        return;
    m_status->setText(done.nextDue ? u"Eseguita il %1: prossima scadenza il %2."_s.arg(
                                         ScheduleRules::Italian(date), ScheduleRules::Italian(*done.nextDue))
                                   : u"Eseguita il %1: la scadenza, unica, esce dall'elenco."_s.arg(
                                         ScheduleRules::Italian(date)));
}

void ScheduleScreen::MarkDoneToday()
{
    markDone(today());
}

void ScheduleScreen::MarkDoneOn()
{
    if (const std::optional<QDate> date = typedDoneDate())
        markDone(*date);
}

void ScheduleScreen::AddBookletRow()
{
    const std::optional<QDate> date = typedDoneDate();
    if (!date)
        return;
    const QString kind = m_kind->currentText(), description = m_description->text().trimmed(),
                  note = m_note->text().trimmed();
    if (write(u"il trattamento non \u00e8 stato annotato nel libretto"_s,
              [&] { m_book->AddBookletRow(m_cardId, kind, description, *date, note); }))
        m_status->setText(u"Trattamento annotato nel libretto."_s);
}

void ScheduleScreen::DeleteBookletRow()
{
    const QModelIndexList selected = m_bookletList->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? -1 : selected.first().row();
    if (row < 0 || row >= int(m_booklet.size())) {
        desktop().Warning(this, Title, u"Selezionare nel libretto la riga da eliminare."_s);
        return;
    }
    if (!desktop().Question(this, Title, u"Si vuole eliminare dal libretto la riga selezionata?"_s))
        return;
    const qint64 id = m_booklet[std::size_t(row)].id;
    if (write(u"la riga del libretto non \u00e8 stata eliminata"_s, [&] { m_book->DeleteBookletRow(id); }))
        m_status->setText(u"Riga del libretto eliminata."_s);
}

void ScheduleScreen::AddSuggestedSet()
{
    const std::vector<EntryInput> set = SuggestedSets::For(m_category, today());
    int added = 0;
    if (!write(u"il set suggerito non \u00e8 stato aggiunto"_s,
               [&] { added = m_book->AddEntries(m_cardId, set); }))
        return;
    desktop().Information(
        this, Title,
        u"Aggiunte %1 scadenze suggerite. Sono indicazioni generali, non un parere "
        "veterinario: correggere date e intervalli secondo le indicazioni del proprio medico "
        "veterinario."_s.arg(added));
}
