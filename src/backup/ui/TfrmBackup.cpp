// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmBackup.h"

#include "backup/Backup.h"
#include "backup/BackupWorker.h"
#include "backup/Generation.h"
#include "backup/Restore.h"
#include "kit/BusyCursor.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/Guard.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "program/Settings.h"
#include "shell/GuideTexts.h"
#include "shell/PasswordFile.h"
#include "storage/CategoryDescriptor.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Title = u"Copie di sicurezza"_s;

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::Italian).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QString cardsText(const Manifest& m)
{
    QStringList parts;
    for (const Manifest::Entry& e : m.entries) {
        const QString name = QFileInfo(e.name).completeBaseName();
        if (!e.damage.isEmpty())
            parts << u"%1 danneggiato"_s.arg(name);
        else if (e.cards)
            parts << u"%1 %2"_s.arg(name).arg(*e.cards);
    }
    return parts.join(u", "_s);
}

} // namespace

TfrmBackup::TfrmBackup(ScreenHost& host, BackupWorker& worker)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_host(host)
    , m_worker(worker)
{
    Kit::SetUpWindow(this, u"TfrmBackup"_s, Title, Kit::Silver);
    setFixedSize(760, 470);
    const QFont font = Kit::Verdana(12);
    Kit::Label(u"lblTitolo"_s, Title, this, QRect(12, 8, 500, 24), Kit::Verdana(15, true), Kit::Navy);

    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(u"tblCopie"_s);
    m_table->setGeometry(12, 38, 736, 230);
    m_table->setHorizontalHeaderLabels({u"Data"_s, u"Motivo"_s, u"Dimensione"_s, u"Schede"_s, u"Verifica"_s});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 140);
    m_table->setColumnWidth(1, 130);
    m_table->setColumnWidth(2, 80);
    m_table->setColumnWidth(3, 230);
    m_table->setAccessibleName(Title);

    m_run = Kit::Button(u"cmdEsegui"_s, u"Esegui ora"_s, this, QRect(12, 278, 110, 30));
    m_verify = Kit::Button(u"cmdVerifica"_s, u"Verifica"_s, this, QRect(130, 278, 110, 30));
    m_restore = Kit::Button(u"cmdRipristina"_s, u"Ripristina"_s, this, QRect(248, 278, 110, 30));
    auto* archiveLabel =
        Kit::Label(u"lblArchivio"_s, u"Da ripristinare:"_s, this, QRect(372, 284, 110, 20), font);
    m_archive = new QComboBox(this);
    m_archive->setObjectName(u"cboArchivio"_s);
    m_archive->setGeometry(486, 280, 262, 26);
    m_archive->addItem(u"Tutto (archivi, password e impostazioni)"_s, QString());
    for (const CategoryDescriptor& c : Categories::All)
        m_archive->addItem(QString(c.databaseFileName), QString(c.databaseFileName));
    archiveLabel->setBuddy(m_archive);

    auto* secondLabel =
        Kit::Label(u"lblSeconda"_s, u"Seconda destinazione:"_s, this, QRect(12, 324, 160, 20), font);
    m_second = new QLineEdit(this);
    m_second->setObjectName(u"txtSeconda"_s);
    m_second->setGeometry(176, 320, 410, 26);
    m_second->setReadOnly(true);
    m_second->setPlaceholderText(u"nessuna (una chiavetta USB, un altro disco, una cartella di rete)"_s);
    secondLabel->setBuddy(m_second);
    m_choose = Kit::Button(u"cmdScegli"_s, u"Scegli..."_s, this, QRect(594, 318, 74, 30));
    m_clear = Kit::Button(u"cmdNessuna"_s, u"Nessuna"_s, this, QRect(674, 318, 74, 30));

    m_status = Kit::Label(u"lblStato"_s, QString(), this, QRect(12, 356, 736, 58), font);
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"prgAvanzamento"_s);
    m_progress->setGeometry(12, 428, 472, 24);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    QPushButton* guide = Kit::Button(u"btnGuida"_s, u"Guida"_s, this, QRect(492, 424, 80, 30));
    m_cancel = Kit::Button(u"cmdAnnulla"_s, u"Annulla"_s, this, QRect(580, 424, 80, 30));
    m_close = Kit::Button(u"cmdChiudi"_s, u"Chiudi"_s, this, QRect(668, 424, 80, 30));

    connect(m_run, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { BackupNow(); }));
    connect(m_verify, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { VerifyAll(); }));
    connect(m_restore, &QPushButton::clicked, this, Kit::GuardedSlot(this, [this] { RestoreChosen(); }));
    connect(m_choose, &QPushButton::clicked, this,
            Kit::GuardedSlot(this, [this] { ChooseSecondDestination(); }));
    connect(m_clear, &QPushButton::clicked, this,
            Kit::GuardedSlot(this, [this] { ClearSecondDestination(); }));
    connect(guide, &QPushButton::clicked, this,
            Kit::GuardedSlot(this, [this] { m_host.ShowGuideTopic(GuideTexts::Backup()); }));
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_worker.Cancel(); });
    connect(m_close, &QPushButton::clicked, this, &TfrmBackup::reject);
    connect(&m_worker, &BackupWorker::Progress, this, [this](qint64 done, qint64 total) {
        m_progress->setValue(total > 0 ? int(done * 100 / total) : 0);
    });
    connect(&m_worker, &BackupWorker::Finished, this, [this] {
        setBusy(false);
        m_progress->setValue(0);
        if (auto done = std::exchange(m_done, {}))
            done();
        Refresh();
    });
}

void TfrmBackup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    Kit::CentreOnDesktop(this);
    m_lastResult.clear();
    {
        BusyCursor busy;
        m_serverNote = Backup::LastServerAutomatic(m_host.ProgramFolder(), desktop().Now());
    }
    setBusy(m_worker.IsRunning());
    Refresh();
}

void TfrmBackup::reject()
{
    // The work goes on when the screen closes; only "Annulla" stops it.
    QDialog::reject();
}

void TfrmBackup::setBusy(bool busy)
{
    for (QWidget* w :
         {static_cast<QWidget*>(m_run), static_cast<QWidget*>(m_verify), static_cast<QWidget*>(m_restore),
          static_cast<QWidget*>(m_choose), static_cast<QWidget*>(m_clear)})
        w->setEnabled(!busy);
    m_cancel->setEnabled(busy);
}

void TfrmBackup::showStatus()
{
    const QString folder = m_host.ProgramFolder();
    QString text = u"Le copie vanno in %1"_s.arg(QDir::toNativeSeparators(Backup::FirstDestination(folder)));
    const QString second = Backup::SecondDestination(folder);
    if (!second.isEmpty())
        text += u" e in %1"_s.arg(QDir::toNativeSeparators(second));
    text += u"; restano le %1 pi\u00f9 recenti e la pi\u00f9 recente di ogni mese dell'ultimo anno."_s.arg(
        Settings(folder).Number(Backup::Section, Backup::KeepKey, Backup::DefaultKeep, 1, 1000));
    if (const auto since = Backup::SecondSkippedSince(folder))
        text += u"\nLa seconda destinazione non era disponibile: saltata dal %1."_s.arg(
            since->toString(u"dd/MM/yyyy HH:mm"_s));
    if (!m_serverNote.isEmpty())
        text += u"\nUltima copia automatica degli archivi del server: %1."_s.arg(m_serverNote);
    if (m_worker.IsRunning() && !m_done)
        text += u"\nCopia di sicurezza automatica in corso."_s;
    if (!m_lastResult.isEmpty())
        text += u'\n' + m_lastResult;
    m_status->setText(text);
}

void TfrmBackup::Refresh()
{
    const QString folder = m_host.ProgramFolder();
    m_second->setText(QDir::toNativeSeparators(Backup::SecondDestination(folder)));
    const auto listed = Generation::List(Backup::FirstDestination(folder));
    m_paths.clear();
    m_table->setRowCount(0);
    auto add = [this](const QString& path, const QStringList& cells) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(row, c, new QTableWidgetItem(cells[c]));
        m_paths << path;
    };
    for (const auto& g : listed) {
        add(g.path,
            {g.manifest.date.toString(u"dd/MM/yyyy HH:mm:ss"_s), Manifest::ReasonText(g.manifest.reason),
             sizeText(g.size), cardsText(g.manifest), m_verdicts.value(g.path, u"non verificata"_s)});
    }
    // A file named as a generation whose manifest cannot be read is shown damaged, never offered.
    for (const QFileInfo& info :
         QDir(Backup::FirstDestination(folder)).entryInfoList(QDir::Files, QDir::Name)) {
        const auto date = Generation::DateOfName(info.fileName());
        if (!date || m_paths.contains(info.filePath()))
            continue;
        add(info.filePath(), {date->toString(u"dd/MM/yyyy HH:mm:ss"_s), QString(), sizeText(info.size()),
                              QString(), u"danneggiata: elenco del contenuto illeggibile"_s});
    }
    if (m_table->rowCount() > 0 && m_table->currentRow() < 0)
        m_table->selectRow(0);
    showStatus();
}

void TfrmBackup::run(const std::function<void(const std::function<bool(qint64, qint64)>&)>& work,
                     std::function<void()> done)
{
    if (m_worker.IsRunning()) {
        desktop().Information(this, Title,
                              u"Una copia di sicurezza \u00e8 gi\u00e0 in corso: attendere che finisca."_s);
        return;
    }
    m_done = std::move(done);
    setBusy(true);
    m_worker.Start([work](const Generation::Progress& progress) { work(progress); });
}

void TfrmBackup::BackupNow()
{
    const QString folder = m_host.ProgramFolder();
    auto outcome = std::make_shared<Backup::Outcome>();
    Backup::Options options;
    options.reason = Manifest::Reason::OnDemand;
    options.now = desktop().Now();
    run(
        [folder, options, outcome](const Generation::Progress& progress) mutable {
            options.progress = progress;
            *outcome = Backup::MakeConfigured(folder, options);
        },
        [this, outcome] {
            if (!outcome->ok) {
                m_lastResult = outcome->cancelled ? u"Copia di sicurezza annullata."_s : QString();
                if (!outcome->cancelled)
                    desktop().Warning(this, Title,
                                      u"La copia di sicurezza non \u00e8 stata eseguita: %1.\n\nLe copie "
                                      u"precedenti sono intatte."_s.arg(outcome->error));
                return;
            }
            for (const QString& p : outcome->paths)
                m_verdicts[p] = u"OK"_s;
            m_lastResult =
                u"Copia eseguita e verificata: %1"_s.arg(QFileInfo(outcome->paths.first()).fileName());
            QString warning;
            if (!outcome->damaged.isEmpty())
                warning += u"Archivi danneggiati, non compresi nella copia:\n%1\n\n"_s.arg(
                    outcome->damaged.join(u'\n'));
            if (outcome->secondSkipped)
                warning += u"La seconda destinazione \u00e8 stata saltata: %1."_s.arg(outcome->secondError);
            if (!warning.isEmpty())
                desktop().Warning(this, Title, warning.trimmed());
        });
}

void TfrmBackup::VerifyAll()
{
    const QStringList paths = m_paths;
    auto verdicts = std::make_shared<QMap<QString, QString>>();
    run(
        [paths, verdicts](const Generation::Progress& progress) {
            for (qsizetype i = 0; i < paths.size(); ++i) {
                const auto v = Generation::Verify(paths[i], {}, [&](qint64 done, qint64 total) {
                    return progress(i * 1000 + (total > 0 ? done * 1000 / total : 0), paths.size() * 1000);
                });
                if (!v.ok && v.reason == u"interrotta"_s)
                    return;
                (*verdicts)[paths[i]] = v.ok ? u"OK"_s : u"danneggiata: "_s + v.reason;
            }
        },
        [this, verdicts] {
            int damaged = 0;
            for (auto it = verdicts->begin(); it != verdicts->end(); ++it) {
                m_verdicts[it.key()] = it.value();
                damaged += it.value() != u"OK"_s;
            }
            m_lastResult = u"Verificate %1 copie: %2 danneggiate."_s.arg(verdicts->size()).arg(damaged);
        });
}

void TfrmBackup::RestoreChosen()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_paths.size()) {
        desktop().Warning(this, Title, u"Scegliere nell'elenco la copia da ripristinare."_s);
        return;
    }
    const QString path = m_paths[row];
    const auto manifest = Generation::ReadManifest(path);
    const QString verdict = m_verdicts.value(path);
    if (!manifest || (!verdict.isEmpty() && verdict != u"OK"_s)) {
        desktop().Warning(this, Title,
                          u"Questa copia \u00e8 danneggiata e non pu\u00f2 essere ripristinata."_s);
        return;
    }
    const QString archive = m_archive->currentData().toString();
    const QString when = manifest->date.toString(u"dd/MM/yyyy HH:mm:ss"_s);
    if (!archive.isEmpty() && (!manifest->Find(archive) || !manifest->Find(archive)->damage.isEmpty())) {
        desktop().Warning(this, Title, u"La copia del %1 non contiene l'archivio %2."_s.arg(when, archive));
        return;
    }
    QString question = archive.isEmpty()
                           ? u"Ripristinare tutti i file della copia del %1?"_s.arg(when)
                           : u"Ripristinare l'archivio %1 dalla copia del %2?"_s.arg(archive, when);
    question += u"\n\nPrima di sostituire qualcosa, i file attuali vengono salvati in una nuova copia di "
                u"sicurezza (\u00abprima del ripristino\u00bb)."_s;
    if (archive.isEmpty() && manifest->Find(QString::fromLatin1(PasswordFile::FileName)))
        question += u"\n\nAttenzione: viene ripristinata anche la password di quel giorno, che da ora "
                    u"servir\u00e0 per entrare nel programma."_s;
    if (!desktop().Ask(this, Desktop::Icon::Question, Title, question))
        return;
    const QString folder = m_host.ProgramFolder();
    Restore::Options options;
    options.archive = archive;
    options.now = desktop().Now();
    auto outcome = std::make_shared<Restore::Outcome>();
    run(
        [folder, path, options, outcome](const Generation::Progress& progress) mutable {
            options.progress = progress;
            *outcome = Restore::Run(folder, path, options);
        },
        [this, outcome, path] {
            if (outcome->status == Restore::Status::Restored) {
                m_verdicts[path] = u"OK"_s;
                m_lastResult = u"Ripristino eseguito: %1."_s.arg(outcome->restored.join(u", "_s));
                desktop().Information(
                    this, Title,
                    u"Ripristino eseguito: %1.\n\nI file precedenti sono nella copia "
                    u"\u00abprima del ripristino\u00bb."_s.arg(outcome->restored.join(u", "_s)));
                return;
            }
            if (outcome->message.startsWith(u"La copia di sicurezza \u00e8 danneggiata"_s))
                m_verdicts[path] = u"danneggiata"_s;
            m_lastResult = u"Ripristino non eseguito."_s;
            desktop().Warning(this, Title, outcome->message);
        });
}

void TfrmBackup::ChooseSecondDestination()
{
    const QString chosen = desktop().ChooseFolder(
        this,
        u"Scegliere la seconda destinazione delle copie di sicurezza (una chiavetta USB, un altro disco, "
        u"una cartella di rete)"_s);
    if (chosen.isEmpty())
        return;
    const QString folder = m_host.ProgramFolder();
    if (QDir(chosen).absolutePath() == QDir(Backup::FirstDestination(folder)).absolutePath()) {
        desktop().Warning(this, Title, u"La seconda destinazione deve essere diversa dalla prima."_s);
        return;
    }
    try {
        const Settings settings(folder);
        settings.SetText(Backup::Section, Backup::SecondKey, QDir(chosen).absolutePath());
        settings.SetText(Backup::Section, Backup::SkippedKey, QString());
    } catch (const std::exception& e) {
        desktop().Warning(this, Title,
                          u"Impossibile registrare la scelta: %1"_s.arg(QString::fromLocal8Bit(e.what())));
    }
    Refresh();
}

void TfrmBackup::ClearSecondDestination()
{
    try {
        const Settings settings(m_host.ProgramFolder());
        settings.SetText(Backup::Section, Backup::SecondKey, QString());
        settings.SetText(Backup::Section, Backup::SkippedKey, QString());
    } catch (const std::exception& e) {
        desktop().Warning(this, Title,
                          u"Impossibile registrare la scelta: %1"_s.arg(QString::fromLocal8Bit(e.what())));
    }
    Refresh();
}
