// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

// Whether the desktop has a default program for a MIME type ("application/pdf",
// "x-scheme-handler/mailto"), as `xdg-mime query default` answers. The question runs as a process of its
// own that nobody waits for, which can take seconds on a loaded desktop: the answer is kept, and every
// later question answers from it at once while asking afresh.
class DefaultHandlers final : public QObject
{
public:
    explicit DefaultHandlers(QObject* parent = nullptr, int timeoutMs = 3000);
    ~DefaultHandlers() override; // questions still under way are ended

    // Starts finding out, unless that is already under way.
    void LookUp(const QString& mimeType);
    // False only when the desktop answered that it has no program for mimeType. No answer yet, or a
    // question that ran out of time, is not "no program": the caller goes ahead, and opening the file
    // tells whether it worked. Asks afresh.
    bool Has(const QString& mimeType);

private:
    enum class Answer { Unknown, Yes, No };

    QHash<QString, Answer> m_answers;
    QSet<QString> m_asking;
    int m_timeoutMs;
};
