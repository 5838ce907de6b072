// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The text of the application's default error box: the message, with a full stop appended when its last
// character sorts after ".".
inline QString DefaultErrorText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
