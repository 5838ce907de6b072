// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "import/CardImport.h"
#include "import/TableSource.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class ScreenHost;

// The import screen, in four steps: the archive and the file (a CSV file, a workbook, another program
// folder or a backup); the first 20 rows with the column mapping; the dry run, with the user's choices for
// duplicates and for text the archive cannot hold; the import, with a progress bar and "Annulla", and its
// report, which can be saved as a text file. Nothing is written before "Importa", and then all or nothing.
class ImportScreen : public QDialog
{
    Q_OBJECT
public:
    static constexpr QSize ClientSize{780, 560};
    static constexpr int PreviewRows = 20;

    explicit ImportScreen(ScreenHost& host);
    ~ImportScreen() override;

    // The steps, as their buttons run them.
    void ChooseFile();
    void ChooseFolder();
    // Reads the file's header and first rows into the mapping step; false (with a message) when the file
    // cannot be read.
    bool OpenFile(const QString& path);
    void RunDryRun();
    void RunImport();
    void Cancel() { m_cancelled = true; }
    void SaveReport();

    const ImportReport& LastReport() const noexcept { return m_report; }
    QString ReportText() const;
    QList<int> Mapping() const;
    ImportOptions Options() const;

protected:
    void reject() override;

private:
    const CategoryDescriptor& category() const;
    std::unique_ptr<CardSource> openSource() const;
    bool isArchiveSource() const;
    void showPreview();
    ImportReport run(bool write);
    void setBusy(bool busy);

    ScreenHost& m_host;
    TableFile m_file;
    QString m_path;
    QString m_previewed; // the file whose rows and mapping the mapping step shows
    bool m_running = false;
    bool m_cancelled = false;
    ImportReport m_report;

    QStackedWidget* m_pages = nullptr;
    QComboBox* m_archive = nullptr;
    QLineEdit* m_fileName = nullptr;
    QComboBox* m_encoding = nullptr;
    QComboBox* m_sheet = nullptr;
    QTableWidget* m_preview = nullptr;
    QList<QComboBox*> m_targets;
    QButtonGroup* m_duplicates = nullptr;
    QButtonGroup* m_unrepresentable = nullptr;
    QPlainTextEdit* m_reportView = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_step = nullptr;
};
