// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// A failed automation call: the server refused the member, its arguments or the work asked of it. Like
// the description of a COM error, the message says what went wrong in words the user can read.
class EAutomationError : public std::runtime_error
{
public:
    explicit EAutomationError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}

    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

// The server of a ProgID could not be created: nothing is registered under it, or what it needs (a program
// that opens its documents) is missing. No call was made.
class ECreateServerError : public EAutomationError
{
public:
    using EAutomationError::EAutomationError;
};
