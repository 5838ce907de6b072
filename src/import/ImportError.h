// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// Why a file to import cannot be read (empty, binary, damaged, a zip bomb...): an Italian message for the
// user. Nothing has been imported when it is raised.
class EImportError : public std::runtime_error
{
public:
    explicit EImportError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}

    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};
