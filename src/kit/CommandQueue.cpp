// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandQueue.h"

#include <QProcess>
#include <QTimer>

CommandQueue::CommandQueue(QObject* parent, int timeoutMs)
    : QObject(parent)
    , m_timeoutMs(timeoutMs)
{}

CommandQueue::~CommandQueue()
{
    const auto finish = [this](QProcess& p) {
        if (!p.waitForFinished(m_timeoutMs)) {
            p.kill();
            p.waitForFinished();
        }
    };
    if (m_running) {
        disconnect(m_running, nullptr, this, nullptr);
        finish(*m_running);
    }
    for (const Command& command : m_waiting) {
        QProcess* p = process(command);
        p->start();
        finish(*p);
    }
}

QProcess* CommandQueue::process(const Command& command)
{
    auto* p = new QProcess(this);
    p->setProgram(command.program);
    p->setArguments(command.arguments);
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    return p;
}

void CommandQueue::Run(const QString& program, const QStringList& arguments)
{
    m_waiting.push_back({program, arguments});
    startNext();
}

void CommandQueue::startNext()
{
    while (!m_running && !m_waiting.empty()) {
        QProcess* p = process(m_waiting.front());
        m_waiting.pop_front();
        m_running = p;
        connect(p, &QProcess::finished, this, [this, p] { ended(p); });
        connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                ended(p);
        });
        QTimer::singleShot(m_timeoutMs, p, [p] { p->kill(); });
        p->start(); // a command that cannot start ends here at once, and the next one starts
    }
}

void CommandQueue::ended(QProcess* process)
{
    if (process != m_running)
        return;
    m_running = nullptr;
    process->deleteLater();
    startNext();
}
