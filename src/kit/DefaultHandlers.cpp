// SPDX-License-Identifier: GPL-3.0-or-later
#include "DefaultHandlers.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

DefaultHandlers::DefaultHandlers(QObject* parent, int timeoutMs)
    : QObject(parent)
    , m_timeoutMs(timeoutMs)
{}

DefaultHandlers::~DefaultHandlers()
{
    for (QProcess* query : findChildren<QProcess*>()) {
        disconnect(query, nullptr, this, nullptr);
        query->kill();
        query->waitForFinished();
    }
}

void DefaultHandlers::LookUp(const QString& mimeType)
{
    if (m_asking.contains(mimeType))
        return;
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty()) {
        // Without the desktop's tools nothing opens a file either.
        m_answers.insert(mimeType, Answer::No);
        return;
    }
    auto* query = new QProcess(this);
    m_asking.insert(mimeType);
    const auto done = [this, query, mimeType] {
        m_asking.remove(mimeType);
        query->deleteLater();
    };
    connect(query, &QProcess::finished, this,
            [this, query, mimeType, done](int code, QProcess::ExitStatus status) {
                // A question ended for running out of time leaves what was known before.
                if (status == QProcess::NormalExit)
                    m_answers.insert(mimeType,
                                     code == 0 && !query->readAllStandardOutput().trimmed().isEmpty()
                                         ? Answer::Yes
                                         : Answer::No);
                done();
            });
    connect(query, &QProcess::errorOccurred, this, [done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            done();
    });
    QTimer::singleShot(m_timeoutMs, query, [query] { query->kill(); });
    query->setStandardErrorFile(QProcess::nullDevice());
    query->start(tool, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
}

bool DefaultHandlers::Has(const QString& mimeType)
{
    const Answer known = m_answers.value(mimeType, Answer::Unknown);
    LookUp(mimeType);
    return known != Answer::No;
}
