// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>

class QProcess;

// Desktop commands run one at a time, in the order they were asked for: each starts only once the one
// before it has ended, so that a request never overtakes the one it answers (a screen saver's "resume"
// its "suspend"). Nothing ever waits for a command while the program runs; one that runs longer than
// timeoutMs is ended so that those after it still run. Their output is discarded.
class CommandQueue final : public QObject
{
public:
    explicit CommandQueue(QObject* parent = nullptr, int timeoutMs = 10000);
    // The command running and those still waiting are run to their end first (each within the time
    // limit): a request asked for is never dropped.
    ~CommandQueue() override;

    void Run(const QString& program, const QStringList& arguments);

private:
    struct Command
    {
        QString program;
        QStringList arguments;
    };
    QProcess* process(const Command& command);
    void startNext();
    void ended(QProcess* process);

    std::deque<Command> m_waiting;
    QProcess* m_running = nullptr;
    int m_timeoutMs;
};
