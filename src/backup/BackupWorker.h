// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Generation.h"

#include <QThread>
#include <atomic>
#include <functional>

// Runs one piece of backup work (making, verifying, restoring generations) on a thread of its own, so that
// the screens stay responsive. The work gets a progress callback that reports to the owner's thread and
// says whether to go on; Cancel makes it answer no. Finished comes on the owner's thread.
class BackupWorker : public QObject
{
    Q_OBJECT
public:
    using Work = std::function<void(const Generation::Progress& progress)>;

    explicit BackupWorker(QObject* parent = nullptr);
    ~BackupWorker() override; // waits for running work to end, cancelled

    // False when work is already running.
    bool Start(Work work);
    bool IsRunning() const noexcept { return m_running; }
    void Cancel() noexcept { m_cancel = true; }
    // Waits for the running work to end (tests, and the end of the program).
    void Wait();

signals:
    void Progress(qint64 done, qint64 total);
    void Finished();

private:
    QThread* m_thread = nullptr;
    bool m_running = false;
    std::atomic<bool> m_cancel = false;
    std::atomic<int> m_lastPercent = -1;
};
