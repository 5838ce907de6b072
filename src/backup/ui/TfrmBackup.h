// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QMap>
#include <functional>

class BackupWorker;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class ScreenHost;

// The backup screen: the generations with their date, reason, size, cards per archive and whether they
// verify; "Esegui ora", "Verifica", "Ripristina" (everything or one archive); the second destination; a
// progress bar with "Annulla". The work runs on the program's backup worker, shared with the automatic
// backup, so that the screen stays responsive and only one backup runs at a time.
class TfrmBackup : public QDialog
{
    Q_OBJECT
public:
    TfrmBackup(ScreenHost& host, BackupWorker& worker);

    // Lists the generations again (the verification results of this session are kept).
    void Refresh();
    void BackupNow();
    void VerifyAll();
    void RestoreChosen();
    void ChooseSecondDestination();
    void ClearSecondDestination();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    // Runs work on the worker; then, on this thread, done.
    void run(const std::function<void(const std::function<bool(qint64, qint64)>&)>& work,
             std::function<void()> done);
    void setBusy(bool busy);
    void showStatus();

    ScreenHost& m_host;
    BackupWorker& m_worker;
    QTableWidget* m_table;
    QPushButton* m_run;
    QPushButton* m_verify;
    QPushButton* m_restore;
    QComboBox* m_archive;
    QLineEdit* m_second;
    QPushButton* m_choose;
    QPushButton* m_clear;
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QPushButton* m_close;
    QStringList m_paths;               // the rows' generations
    QMap<QString, QString> m_verdicts; // path -> "OK" or why it is damaged, for this session
    std::function<void()> m_done;      // what follows this screen's own work
    QString m_lastResult;
    QString m_serverNote; // the newest automatic backup of the server's archives, by any workstation
};
