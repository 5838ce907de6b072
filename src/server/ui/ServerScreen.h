// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "backup/BackupWorker.h"
#include "server/ArchiveMove.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class ScreenHost;

// The archives' server, from the start menu: where the archives are, and the two moves, "Copia sul server"
// (the program folder's file archives to the server of Codazzurra.ini) and "Copia dal server in una
// cartella" (the server's archives as files into an empty or new folder), with a progress bar, "Annulla"
// (the archive being copied stays as it was) and one result line per archive. A server that already holds
// cards is replaced only after the user confirms it.
class ServerScreen : public QDialog
{
    Q_OBJECT
public:
    explicit ServerScreen(ScreenHost& host, QWidget* parent = nullptr);

    // The commands, as their buttons run them.
    void CopyToServer();
    void CopyFromServer();
    void Cancel();

    bool IsRunning() const noexcept { return m_worker.IsRunning(); }
    // Waits for the running move to end and shows its result (tests).
    void Wait();
    QStringList ResultLines() const;

protected:
    void reject() override;

private:
    // Runs the move on the worker; then, on this thread, shows its outcome and calls done.
    void run(const std::function<ArchiveMove::Outcome(const ArchiveMove::Progress&)>& move,
             std::function<void(const ArchiveMove::Outcome&)> done);
    void setBusy(bool busy);
    void showWhere();
    QString server() const;

    ScreenHost& m_host;
    BackupWorker m_worker;
    QLabel* m_where;
    QPushButton* m_toServer;
    QPushButton* m_fromServer;
    QListWidget* m_results;
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QPushButton* m_close;
    ArchiveMove::Outcome m_outcome; // written by the worker, read once it has finished
    std::function<void(const ArchiveMove::Outcome&)> m_done;
};
