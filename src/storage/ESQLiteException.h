// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the storage layer. It carries a message only; screens decide what to show.
class ESQLiteException : public std::runtime_error
{
public:
    explicit ESQLiteException(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}

    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};
