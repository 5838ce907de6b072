// SPDX-License-Identifier: GPL-3.0-or-later
#include "BackupWorker.h"

BackupWorker::BackupWorker(QObject* parent)
    : QObject(parent)
{}

BackupWorker::~BackupWorker()
{
    m_cancel = true;
    Wait();
}

bool BackupWorker::Start(Work work)
{
    if (m_running)
        return false;
    Wait();
    m_running = true;
    m_cancel = false;
    m_lastPercent = -1;
    m_thread = QThread::create([this, work = std::move(work)] {
        work([this](qint64 done, qint64 total) {
            // At most one report per percent reaches the screens.
            const int percent = total > 0 ? int(done * 100 / total) : 0;
            if (percent != m_lastPercent.exchange(percent))
                emit Progress(done, total);
            return !m_cancel.load();
        });
    });
    connect(m_thread, &QThread::finished, this, [this] {
        m_running = false;
        emit Finished();
    });
    m_thread->start();
    return true;
}

void BackupWorker::Wait()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}
