// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReminderWindow.h"

#include "StateColours.h"
#include "kit/BusyCursor.h"
#include "kit/CardTarget.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/PrintedList.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "program/Settings.h"
#include "schedule/CalendarExport.h"
#include "schedule/ScheduleRules.h"
#include "search/ResultListPrinter.h"
#include "shell/GuideTexts.h"
#include "storage/ArchiveStore.h"
#include "storage/ESQLiteException.h"
#include "storage/FileScheduleSql.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Title = u"Scadenze"_s;
constexpr const char* Section = "Scadenze";
constexpr const char* NoticeKey = "Preavviso";
constexpr const char* HiddenKey = "NonMostrareIl";

QString delayText(const Reminder& r, const QDate& today)
{
    if (!r.due)
        return u"data non valida"_s;
    const int days = Reminders::DaysOverdue(r, today);
    return days > 0     ? QString::number(days)
           : days == 0  ? u"oggi"_s
           : days == -1 ? u"domani"_s
                        : u"fra %1 giorni"_s.arg(-days);
}

} // namespace

ReminderWindow::ReminderWindow(ScreenHost& host, ScheduleSource source)
    : m_host(host)
    , m_source(std::move(source))
{
    Kit::SetUpWindow(this, u"TfrmPromemoria"_s, u" Scadenze"_s, Kit::Silver);
    setFixedSize(900, 520);
    const QFont font = Kit::Verdana(11);
    Kit::Label(u"lblInfo"_s,
               u"Scadenze passate o in scadenza nei dieci archivi. Per aprire la scheda dell'animale, fare "
               "doppio clic sulla riga."_s,
               this, QRect(16, 10, 868, 18), font);
    m_list = new QTableWidget(0, 6, this);
    m_list->setObjectName(u"tblPromemoria"_s);
    m_list->setGeometry(16, 34, 868, 360);
    m_list->setHorizontalHeaderLabels(
        {u"Archivio"_s, u"Animale"_s, u"Tipo"_s, u"Descrizione"_s, u"Scadenza"_s, u"Giorni di ritardo"_s});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setFont(font);
    for (const auto& [column, width] : {std::pair{0, 100}, {1, 130}, {2, 120}, {3, 300}, {4, 90}})
        m_list->setColumnWidth(column, width);
    m_list->setAccessibleName(u"Scadenze"_s);
    m_problems =
        Kit::Label(u"lblProblemi"_s, QString(), this, QRect(16, 398, 868, 36), font, QColor(170, 0, 0));
    m_problems->setWordWrap(true);
    m_count = Kit::Label(u"lblTotale"_s, QString(), this, QRect(16, 440, 300, 20), font);

    auto* noticeLabel =
        Kit::Label(u"lblPreavviso"_s, u"Preavviso (giorni):"_s, this, QRect(560, 440, 180, 20), font);
    noticeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_notice = new QSpinBox(this);
    m_notice->setObjectName(u"spnPreavviso"_s);
    m_notice->setGeometry(750, 437, 80, 26);
    m_notice->setRange(0, ScheduleRules::MaxNoticeDays);
    m_notice->setValue(NoticeDays());
    noticeLabel->setBuddy(m_notice);
    connect(m_notice, &QSpinBox::editingFinished, this,
            Kit::GuardedSlot(this, [this] { SetNoticeDays(m_notice->value()); }));

    auto button = [this](const QString& name, const QString& text, int x, int width,
                         std::function<void()> action) {
        QPushButton* b = Kit::NonDefaultButton(name, text, this, QRect(x, 476, width, 30));
        connect(b, &QPushButton::clicked, this, Kit::GuardedSlot(this, std::move(action)));
        return b;
    };
    button(u"btnStampa"_s, u"Stampa"_s, 16, 100, [this] { Print(); });
    button(u"btnCalendario"_s, u"Esporta calendario"_s, 126, 170, [this] { ExportCalendar(); });
    button(u"btnNonOggi"_s, u"Non mostrare pi\u00f9 oggi"_s, 306, 200, [this] { HideForToday(); });
    button(u"btnGuida"_s, u"Guida"_s, 654, 100, [this] { m_host.ShowGuideTopic(GuideTexts::Schedule()); });
    button(u"btnChiudi"_s, u"Chiudi"_s, 764, 120, [this] { close(); });
    connect(m_list, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { Kit::Guarded(this, [this, row] { OpenCard(row); }); });
}

ReminderWindow::~ReminderWindow()
{
    // The check reads only the archives; it ends by itself, soon.
    if (m_check) {
        m_check->wait();
        delete m_check;
    }
}

QDate ReminderWindow::today() const
{
    return desktop().Now().date();
}

int ReminderWindow::NoticeDays() const
{
    return Settings(m_host.ProgramFolder())
        .Number(Section, NoticeKey, ScheduleRules::DefaultNoticeDays, 0, ScheduleRules::MaxNoticeDays);
}

void ReminderWindow::SetNoticeDays(int days)
{
    if (days == NoticeDays())
        return;
    try {
        Settings(m_host.ProgramFolder()).SetNumber(Section, NoticeKey, days);
    } catch (const std::exception& e) {
        desktop().Warning(this, Title,
                          u"Il periodo di preavviso non \u00e8 stato salvato in %1: %2"_s.arg(
                              QString::fromLatin1(Settings::FileName), QString::fromUtf8(e.what())));
    }
    m_notice->setValue(NoticeDays());
    Refresh();
}

void ReminderWindow::Refresh()
{
    const QDate now = today();
    ReminderScan scan;
    {
        BusyCursor busy;
        scan = Reminders::FindDue(source(), now, NoticeDays());
    }
    ShowScan(scan, now);
}

void ReminderWindow::ShowScan(const ReminderScan& scan, const QDate& day)
{
    m_reminders = scan.reminders;
    m_today = day;
    const int notice = NoticeDays();
    m_notice->setValue(notice);
    m_list->setRowCount(int(m_reminders.size()));
    for (int r = 0; r < int(m_reminders.size()); ++r) {
        const Reminder& e = m_reminders[std::size_t(r)];
        const QColor colour = StateColours::Of(e.due ? ScheduleRules::StateOf(*e.due, day, notice)
                                                     : ScheduleRules::DueState::Overdue);
        const QStringList cells = {QString(Categories::All.at(std::size_t(e.archive)).title),
                                   e.animal,
                                   e.kind,
                                   e.description,
                                   e.due ? ScheduleRules::Italian(*e.due) : e.dueText,
                                   delayText(e, day)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setBackground(colour);
            m_list->setItem(r, c, item);
        }
    }
    m_problems->setText(scan.problems.join(u'\n'));
    m_count->setText(m_reminders.empty() ? u"Nessuna scadenza nei prossimi %1 giorni."_s.arg(notice)
                                         : u"Totale scadenze: %1"_s.arg(m_reminders.size()));
}

void ReminderWindow::CheckAfterUnlock()
{
    if (m_check)
        return;
    const QDate now = today();
    const QString folder = m_host.ProgramFolder();
    const Settings settings(folder);
    if (settings.Text(Section, HiddenKey) == ScheduleRules::Iso(now))
        return;
    const int notice = NoticeDays();
    m_check = QThread::create([this, scheduleSource = source(), now, notice] {
        try {
            m_checked = Reminders::FindDue(scheduleSource, now, notice);
        } catch (const std::exception& e) {
            m_checked.problems << QString::fromUtf8(e.what());
        }
    });
    m_check->setObjectName(u"ControlloScadenze"_s);
    connect(m_check, &QThread::finished, this, [this, now] {
        m_check->deleteLater();
        m_check = nullptr;
        const ReminderScan scan = std::move(m_checked);
        m_checked = {};
        // A damaged archive is offered its restore now, not only when it is next opened.
        if (!scan.damaged.empty())
            m_host.ArchiveDamaged(parentWidget(), scan.damaged.front().first, scan.damaged.front().second);
        // Nothing due: the window stays closed, and so it does when the user opened it meanwhile.
        if (scan.reminders.empty() || isVisible())
            return;
        ShowScan(scan, now);
        show();
        raise();
    });
    m_check->start(QThread::LowPriority);
}

bool ReminderWindow::Checking() const
{
    return m_check != nullptr;
}

ScheduleSource ReminderWindow::source() const
{
    return m_source ? m_source : FileScheduleSql::Source(m_host.ProgramFolder());
}

void ReminderWindow::OpenCard(int row)
{
    if (row < 0 || row >= int(m_reminders.size()))
        return;
    const Reminder& r = m_reminders[std::size_t(row)];
    const CategoryDescriptor& category = Categories::All.at(std::size_t(r.archive));
    // The card as it is now, read whole through a store of this window; the record card is opened first
    // (it opens on an empty card), then shown the card.
    const std::optional<ArchiveCard> chosen = m_host.OpenStore(category)->Read(r.cardId);
    if (!chosen) {
        desktop().Plain(this, u"La scheda selezionata non \u00e8 pi\u00f9 presente in archivio."_s);
        Refresh();
        return;
    }
    m_host.ShowArchiveScreen(category, ScreenHost::ArchiveScreen::RecordCard);
    CardTarget* card = m_host.CardByToken(QString(category.tableName));
    if (card && card->ShowChosenCard(*chosen)) {
        close();
        emit CardOpened();
    }
}

void ReminderWindow::Print()
{
    if (m_reminders.empty()) {
        desktop().Plain(this, ListPrintingTexts::EmptyList);
        return;
    }
    if (!desktop().Question(this, ListPrintingTexts::ConfirmTitle,
                            u"Si vuole stampare l'elenco delle scadenze?"_s))
        return;
    const QStringList lines = Reminders::PrintedLines(m_reminders, m_today);
    Kit::PrintLines(this, lines, [](const QDateTime& now) {
        return PrintedListTexts{QString(FindDashLine), u"Scadenze sanitarie degli animali"_s,
                                ScheduleRules::Italian(now.date()),
                                PrintedTime(now.time(), QLocale::system())};
    });
}

void ReminderWindow::ExportCalendar()
{
    CalendarExport::Written written;
    try {
        BusyCursor busy;
        written = CalendarExport::Export(source(), m_host.ExportsFolder(), desktop().Now());
    } catch (const std::exception& e) {
        desktop().Warning(
            this, Title,
            u"Il calendario non \u00e8 stato esportato.\n\n%1"_s.arg(QString::fromUtf8(e.what())));
        return;
    }
    QString text =
        u"Il calendario con %1 scadenze \u00e8 stato scritto nel file %2. Importarlo nel calendario "
        "del telefono o del programma di posta: ogni scadenza sar\u00e0 ricordata il giorno prima."_s
            .arg(written.events)
            .arg(QDir::toNativeSeparators(written.path));
    if (written.skipped > 0)
        text +=
            u"\n\n%1 scadenze con una data non valida non sono state esportate: correggerle nella scheda."_s
                .arg(written.skipped);
    desktop().Information(this, Title, text);
}

void ReminderWindow::HideForToday()
{
    try {
        Settings(m_host.ProgramFolder()).SetText(Section, HiddenKey, ScheduleRules::Iso(today()));
    } catch (const std::exception& e) {
        desktop().Warning(this, Title,
                          u"La scelta non \u00e8 stata salvata: %1"_s.arg(QString::fromUtf8(e.what())));
        return;
    }
    close();
}
