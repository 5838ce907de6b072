// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dispatch.h"

#include <QHash>
#include <functional>

namespace Automation {

// The automation servers the program can create, by ProgID ("Excel.Application", "Word.Application").
// ProgIDs are matched without regard to case, as the Windows registry does.
class Registry
{
public:
    // Makes a new application object; raises ECreateServerError when the server cannot start.
    using Factory = std::function<DispatchPtr()>;

    void Register(const QString& progId, Factory factory); // replaces an earlier registration
    void Unregister(const QString& progId);
    bool IsRegistered(const QString& progId) const;

    // The application object of a new server; ECreateServerError when none is registered under progId or
    // it cannot be created.
    DispatchPtr Create(const QString& progId) const;

private:
    QHash<QString, Factory> m_factories; // by case-folded ProgID
};

} // namespace Automation
