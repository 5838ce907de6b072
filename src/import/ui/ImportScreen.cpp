// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportScreen.h"

#include "import/ArchiveCardSource.h"
#include "import/ColumnMapping.h"
#include "import/CsvSource.h"
#include "import/ImportError.h"
#include "import/TableCardSource.h"
#include "kit/BusyCursor.h"
#include "kit/Colours.h"
#include "kit/Controls.h"
#include "kit/Desktop.h"
#include "kit/ScreenHost.h"
#include "kit/WindowPlacement.h"
#include "shell/GuideTexts.h"
#include "storage/AtomicFile.h"
#include "storage/CardFields.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

enum Page { ChoosePage, MappingPage, CheckPage };

QLabel* label(const QString& name, const QString& text, QWidget* parent, QRect geometry, bool bold = false)
{
    QLabel* l = Kit::Label(name, text, parent, geometry, Kit::Tahoma(11, bold));
    l->setWordWrap(true);
    return l;
}

QRadioButton* radio(const QString& name, const QString& text, QWidget* parent, QRect geometry,
                    QButtonGroup* group, int id)
{
    auto* r = new QRadioButton(text, parent);
    r->setObjectName(name);
    r->setGeometry(geometry);
    group->addButton(r, id);
    return r;
}

} // namespace

ImportScreen::ImportScreen(ScreenHost& host)
    : QDialog(nullptr,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_host(host)
{
    Kit::SetUpWindow(this, u"TfrmImporta"_s, u" Importazione schede"_s, Kit::Silver);
    setFixedSize(ClientSize);
    setFont(Kit::Tahoma(11));

    m_step = label(u"lblPasso"_s, QString(), this, {12, 8, 756, 20}, true);
    m_pages = new QStackedWidget(this);
    m_pages->setGeometry(8, 32, 764, 470);

    // 1. The archive and the file.
    auto* choose = new QWidget(m_pages);
    label(u"lblArchivio"_s, u"Archivio in cui importare:"_s, choose, {4, 8, 200, 20});
    m_archive = new QComboBox(choose);
    m_archive->setObjectName(u"cmbArchivio"_s);
    m_archive->setGeometry(210, 6, 220, 24);
    for (const CategoryDescriptor& c : Categories::All)
        m_archive->addItem(QString(c.title));
    label(u"lblFile"_s, u"File da importare:"_s, choose, {4, 44, 200, 20});
    m_fileName = new QLineEdit(choose);
    m_fileName->setObjectName(u"txtFile"_s);
    m_fileName->setGeometry(210, 42, 380, 24);
    m_fileName->setReadOnly(true);
    connect(Kit::Button(u"cmdSfoglia"_s, u"Scegli file..."_s, choose, {600, 41, 150, 26}),
            &QPushButton::clicked, this, &ImportScreen::ChooseFile);
    connect(Kit::Button(u"cmdCartella"_s, u"Altra cartella..."_s, choose, {600, 73, 150, 26}),
            &QPushButton::clicked, this, &ImportScreen::ChooseFolder);
    label(u"lblCodifica"_s, u"Codifica (CSV):"_s, choose, {4, 112, 200, 20});
    m_encoding = new QComboBox(choose);
    m_encoding->setObjectName(u"cmbCodifica"_s);
    m_encoding->setGeometry(210, 110, 220, 24);
    m_encoding->addItems({u"UTF-8"_s, u"Windows-1252"_s});
    label(u"lblFoglio"_s, u"Foglio:"_s, choose, {4, 146, 200, 20});
    m_sheet = new QComboBox(choose);
    m_sheet->setObjectName(u"cmbFoglio"_s);
    m_sheet->setGeometry(210, 144, 220, 24);
    label(
        u"lblSpiega"_s,
        u"Si possono importare file CSV (separati da punto e virgola o da virgola), cartelle di lavoro .xlsx e "
        u".ods, oppure le schede dello stesso archivio da un'altra cartella del programma o da una copia di "
        u"sicurezza (.zip), con foto, allegati e scadenze. Prima di importare, una prova mostra cosa verr\u00e0 "
        u"aggiunto e quali righe hanno problemi; l'archivio cambia solo con \u00abImporta\u00bb, e tutto o "
        u"niente."_s,
        choose, {4, 190, 750, 100});
    m_pages->addWidget(choose);

    // 2. The first rows, and the mapping in the row above them.
    auto* mapping = new QWidget(m_pages);
    label(u"lblAnteprima"_s,
          u"Le prime 20 righe del file. Nella prima riga, il campo della scheda che ogni colonna riempie."_s,
          mapping, {4, 0, 750, 20});
    m_preview = new QTableWidget(mapping);
    m_preview->setObjectName(u"grdAnteprima"_s);
    m_preview->setGeometry(4, 24, 756, 440);
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pages->addWidget(mapping);

    // 3. The dry run, the choices, the import and its report.
    auto* check = new QWidget(m_pages);
    m_duplicates = new QButtonGroup(check);
    label(u"lblDoppioni"_s, u"Doppioni:"_s, check, {4, 4, 120, 20});
    radio(u"optSaltaDoppioni"_s, u"salta"_s, check, {130, 2, 120, 24}, m_duplicates, 1)->setChecked(true);
    radio(u"optImportaDoppioni"_s, u"importa comunque"_s, check, {260, 2, 200, 24}, m_duplicates, 2);
    m_unrepresentable = new QButtonGroup(check);
    label(u"lblCaratteri"_s, u"Caratteri che l'archivio non pu\u00f2 contenere:"_s, check, {4, 30, 280, 20});
    radio(u"optSostituisci"_s, u"sostituisci con \u00ab?\u00bb"_s, check, {290, 28, 170, 24},
          m_unrepresentable, 1)
        ->setChecked(true);
    radio(u"optSaltaRighe"_s, u"salta quelle righe"_s, check, {470, 28, 170, 24}, m_unrepresentable, 2);
    connect(m_duplicates, &QButtonGroup::idClicked, this, [this] { RunDryRun(); });
    connect(m_unrepresentable, &QButtonGroup::idClicked, this, [this] { RunDryRun(); });
    m_reportView = new QPlainTextEdit(check);
    m_reportView->setObjectName(u"txtRapporto"_s);
    m_reportView->setGeometry(4, 58, 756, 370);
    m_reportView->setReadOnly(true);
    m_reportView->setFont(Kit::Font(u"Courier New"_s, 12));
    m_progress = new QProgressBar(check);
    m_progress->setObjectName(u"prgAvanzamento"_s);
    m_progress->setGeometry(4, 436, 600, 24);
    m_progress->setRange(0, 1000);
    m_cancel = Kit::NonDefaultButton(u"cmdAnnulla"_s, u"Annulla"_s, check, {620, 435, 140, 26});
    m_cancel->setEnabled(false);
    connect(m_cancel, &QPushButton::clicked, this, &ImportScreen::Cancel);
    m_pages->addWidget(check);

    // The buttons of every step.
    auto* guide = Kit::NonDefaultButton(u"cmdGuida"_s, u"Guida"_s, this, {12, 520, 100, 28});
    connect(guide, &QPushButton::clicked, this, [this] { m_host.ShowGuideTopic(GuideTexts::Import()); });
    m_save = Kit::NonDefaultButton(u"cmdSalvaRapporto"_s, u"Salva rapporto..."_s, this, {122, 520, 140, 28});
    connect(m_save, &QPushButton::clicked, this, &ImportScreen::SaveReport);
    m_back = Kit::NonDefaultButton(u"cmdIndietro"_s, u"< Indietro"_s, this, {350, 520, 100, 28});
    m_next = Kit::NonDefaultButton(u"cmdAvanti"_s, u"Avanti >"_s, this, {460, 520, 100, 28});
    m_import = Kit::NonDefaultButton(u"cmdImporta"_s, u"Importa"_s, this, {570, 520, 100, 28});
    auto* close = Kit::NonDefaultButton(u"cmdChiudi"_s, u"Chiudi"_s, this, {680, 520, 88, 28});
    connect(close, &QPushButton::clicked, this, &ImportScreen::reject);
    connect(m_back, &QPushButton::clicked, this, [this] {
        const int page = m_pages->currentIndex();
        m_pages->setCurrentIndex(page == CheckPage && isArchiveSource() ? ChoosePage : std::max(0, page - 1));
        setBusy(false);
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        const int page = m_pages->currentIndex();
        if (page == ChoosePage) {
            if (m_path.isEmpty() || (!isArchiveSource() && m_previewed != m_path && !OpenFile(m_path)))
                return;
            m_pages->setCurrentIndex(isArchiveSource() ? CheckPage : MappingPage);
        } else {
            m_pages->setCurrentIndex(CheckPage);
        }
        setBusy(false);
        if (m_pages->currentIndex() == CheckPage)
            RunDryRun();
    });
    connect(m_import, &QPushButton::clicked, this, &ImportScreen::RunImport);
    // The colour and coat-type captions, and the archive's duplicates, follow the chosen archive.
    connect(m_archive, &QComboBox::activated, this, [this] {
        if (!m_path.isEmpty() && !isArchiveSource())
            OpenFile(m_path);
        if (m_pages->currentIndex() == CheckPage)
            RunDryRun();
    });
    connect(m_encoding, &QComboBox::activated, this, [this] {
        if (!m_path.isEmpty() && !isArchiveSource())
            OpenFile(m_path);
    });
    connect(m_sheet, &QComboBox::activated, this, [this] {
        if (!m_path.isEmpty() && !isArchiveSource())
            OpenFile(m_path);
    });
    setBusy(false);
}

ImportScreen::~ImportScreen() = default;

const CategoryDescriptor& ImportScreen::category() const
{
    return Categories::All.at(std::size_t(std::max(0, m_archive->currentIndex())));
}

bool ImportScreen::isArchiveSource() const
{
    return !m_path.isEmpty() && ArchiveCardSource::IsArchiveSource(m_path);
}

void ImportScreen::ChooseFile()
{
    const QString path =
        desktop().ChooseFileToOpen(this, u"Scegliere il file da importare"_s,
                                   u"File da importare (*.csv *.txt *.xlsx *.ods *.zip);;Tutti i file (*)"_s);
    if (path.isEmpty())
        return;
    if (ArchiveCardSource::IsArchiveSource(path)) {
        m_path = path;
        m_fileName->setText(path);
        m_sheet->clear();
        setBusy(false);
        return;
    }
    OpenFile(path);
}

void ImportScreen::ChooseFolder()
{
    const QString path = desktop().ChooseFolder(this, u"Scegliere l'altra cartella del programma"_s);
    if (path.isEmpty())
        return;
    m_path = path;
    m_fileName->setText(path);
    m_sheet->clear();
    setBusy(false);
}

bool ImportScreen::OpenFile(const QString& path)
{
    TableFile file = TableFile::ForPath(path);
    const bool samePath = path == m_path;
    try {
        BusyCursor busy;
        if (file.kind == TableFile::Kind::Csv) {
            if (samePath)
                file.encoding = m_encoding->currentIndex() == 1 ? TableFile::Encoding::Windows1252
                                                                : TableFile::Encoding::Utf8;
            else
                file.encoding = CsvSource::DetectFile(path);
            m_encoding->setCurrentIndex(file.encoding == TableFile::Encoding::Windows1252 ? 1 : 0);
            m_sheet->clear();
        } else {
            const QStringList sheets = SheetNames(file);
            const int chosen = samePath ? std::max(0, m_sheet->currentIndex()) : 0;
            m_sheet->clear();
            m_sheet->addItems(sheets);
            m_sheet->setCurrentIndex(chosen);
            file.sheet = chosen;
        }
        m_file = file;
        m_path = path;
        m_fileName->setText(path);
        showPreview();
        m_previewed = path;
    } catch (const EImportError& e) {
        desktop().Warning(this, u"Importazione"_s, e.message());
        return false;
    }
    setBusy(false);
    return true;
}

void ImportScreen::showPreview()
{
    const TablePreview preview = PreviewTable(m_file, PreviewRows);
    const QList<int> targets = ColumnMapping::FromHeaders(preview.headers, category());
    m_preview->clear();
    m_preview->setColumnCount(int(preview.headers.size()));
    m_preview->setRowCount(int(preview.rows.size()) + 1);
    m_preview->setHorizontalHeaderLabels(preview.headers);
    QStringList rowNames{u"Campo"_s};
    for (const qint64 number : preview.numbers)
        rowNames.append(QString::number(number));
    m_preview->setVerticalHeaderLabels(rowNames);
    m_targets.clear();
    for (int c = 0; c < preview.headers.size(); ++c) {
        auto* combo = new QComboBox(m_preview);
        combo->setObjectName(u"cmbCampo%1"_s.arg(c + 1));
        combo->addItem(ColumnMapping::TargetName(ColumnMapping::Ignored, category()), ColumnMapping::Ignored);
        for (int f = 0; f < CardFields::EditableCount; ++f)
            combo->addItem(ColumnMapping::TargetName(f, category()), f);
        combo->addItem(ColumnMapping::TargetName(ColumnMapping::Photo, category()), ColumnMapping::Photo);
        combo->setCurrentIndex(combo->findData(targets.value(c, ColumnMapping::Ignored)));
        // One column per field: choosing a field for this column frees it from any other.
        connect(combo, &QComboBox::activated, this, [this, combo] {
            const int chosen = combo->currentData().toInt();
            for (QComboBox* other : std::as_const(m_targets)) {
                if (other != combo && chosen != ColumnMapping::Ignored &&
                    other->currentData().toInt() == chosen)
                    other->setCurrentIndex(0);
            }
        });
        m_preview->setCellWidget(0, c, combo);
        m_targets.append(combo);
        for (int r = 0; r < preview.rows.size(); ++r)
            m_preview->setItem(r + 1, c, new QTableWidgetItem(preview.rows[r].value(c)));
    }
    m_preview->resizeColumnsToContents();
    m_preview->scrollToTop();
    m_preview->horizontalScrollBar()->setValue(0);
    for (int c = 0; c < m_preview->columnCount(); ++c)
        m_preview->setColumnWidth(c, std::clamp(m_preview->columnWidth(c), 120, 260));
}

QList<int> ImportScreen::Mapping() const
{
    QList<int> targets;
    for (const QComboBox* combo : m_targets)
        targets.append(combo->currentData().toInt());
    return targets;
}

ImportOptions ImportScreen::Options() const
{
    ImportOptions options;
    options.duplicates =
        m_duplicates->checkedId() == 2 ? ImportOptions::Duplicates::Include : ImportOptions::Duplicates::Skip;
    options.unrepresentable = m_unrepresentable->checkedId() == 2 ? ImportOptions::Unrepresentable::Skip
                                                                  : ImportOptions::Unrepresentable::Replace;
    return options;
}

std::unique_ptr<CardSource> ImportScreen::openSource() const
{
    if (isArchiveSource())
        return std::make_unique<ArchiveCardSource>(m_path, category());
    auto table = std::make_unique<TableCardSource>(m_file);
    table->SetMapping(Mapping());
    return table;
}

ImportReport ImportScreen::run(bool write)
{
    m_cancelled = false;
    setBusy(true);
    m_reportView->setPlainText(write ? u"Importazione in corso..."_s
                                     : u"Prova in corso: lettura del file..."_s);
    ImportReport report;
    try {
        const auto source = openSource();
        report =
            ::RunImport(*source, category(), m_host.ProgramFolder(), Options(), write, [this](double done) {
                m_progress->setValue(int(done * 1000));
                QCoreApplication::processEvents();
                return !m_cancelled;
            });
    } catch (const EImportError& e) {
        report.outcome = ImportReport::Outcome::Unreadable;
        report.error = e.message();
    }
    setBusy(false);
    return report;
}

void ImportScreen::RunDryRun()
{
    if (m_running)
        return;
    m_report = run(false);
    m_reportView->setPlainText(ReportText());
    setBusy(false);
}

void ImportScreen::RunImport()
{
    if (m_running || m_report.outcome != ImportReport::Outcome::Ready || !m_report.dryRun)
        return;
    m_report = run(true);
    m_reportView->setPlainText(ReportText());
    setBusy(false);
    if (m_report.outcome == ImportReport::Outcome::Imported)
        desktop().Information(
            this, u"Importazione"_s,
            u"Importazione completata: %1 schede aggiunte all'archivio %2."_s.arg(m_report.accepted)
                .arg(QString(category().title)));
    else
        desktop().Warning(
            this, u"Importazione"_s,
            u"Nessuna scheda \u00e8 stata importata: l'archivio \u00e8 invariato. Il rapporto dice perch\u00e9."_s);
}

QString ImportScreen::ReportText() const
{
    // A workbook of several sheets: the report says which one was read.
    QString source = QFileInfo(m_path).fileName();
    if (!isArchiveSource() && m_sheet->count() > 1)
        source += u" \u2013 foglio "_s + m_sheet->currentText();
    return m_report.Text(source, category());
}

void ImportScreen::SaveReport()
{
    QString path = desktop().ChooseFileToSave(this, u"Salva il rapporto dell'importazione"_s,
                                              u"File di testo (*.txt)"_s, u"txt"_s);
    if (path.isEmpty())
        return;
    if (!path.endsWith(u".txt"_s, Qt::CaseInsensitive))
        path += u".txt"_s;
    QString error;
    QString text = ReportText();
    text.replace(u'\n', u"\r\n"_s);
    if (!AtomicFile::Write(path, text.toUtf8(), &error))
        desktop().Warning(this, u"Salva rapporto"_s,
                          u"Impossibile salvare il rapporto in \u00ab%1\u00bb (%2)."_s.arg(path, error));
}

void ImportScreen::setBusy(bool busy)
{
    m_running = busy;
    const int page = m_pages->currentIndex();
    m_step->setText(page == ChoosePage    ? u"1. L'archivio e il file da importare"_s
                    : page == MappingPage ? u"2. Anteprima e corrispondenza delle colonne"_s
                                          : u"3. Prova e importazione"_s);
    m_pages->widget(ChoosePage)->setEnabled(!busy);
    m_preview->setEnabled(!busy);
    for (QAbstractButton* b : m_duplicates->buttons())
        b->setEnabled(!busy);
    for (QAbstractButton* b : m_unrepresentable->buttons())
        b->setEnabled(!busy);
    m_cancel->setEnabled(busy);
    m_back->setEnabled(!busy && page != ChoosePage);
    m_next->setEnabled(!busy && page != CheckPage && !m_path.isEmpty());
    m_import->setEnabled(!busy && page == CheckPage && m_report.dryRun &&
                         m_report.outcome == ImportReport::Outcome::Ready && m_report.accepted > 0);
    m_save->setEnabled(!busy && page == CheckPage && m_report.rowsRead + m_report.error.size() > 0);
    m_encoding->setEnabled(!busy && m_file.kind == TableFile::Kind::Csv && !isArchiveSource());
    m_sheet->setEnabled(!busy && m_sheet->count() > 1);
}

void ImportScreen::reject()
{
    // Closing while a run goes on cancels it; the run returns first, and nothing is left half-done.
    if (m_running) {
        m_cancelled = true;
        return;
    }
    QDialog::reject();
}
