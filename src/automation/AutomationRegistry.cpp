// SPDX-License-Identifier: GPL-3.0-or-later
#include "AutomationRegistry.h"

#include "EAutomationError.h"

using namespace Qt::Literals::StringLiterals;

namespace Automation {

void Registry::Register(const QString& progId, Factory factory)
{
    m_factories.insert(progId.toCaseFolded(), std::move(factory));
}

void Registry::Unregister(const QString& progId)
{
    m_factories.remove(progId.toCaseFolded());
}

bool Registry::IsRegistered(const QString& progId) const
{
    return m_factories.contains(progId.toCaseFolded());
}

DispatchPtr Registry::Create(const QString& progId) const
{
    const auto it = m_factories.constFind(progId.toCaseFolded());
    if (it == m_factories.cend() || !*it)
        throw ECreateServerError(
            u"Stringa di classe non valida: nessun server di automazione \"%1\"."_s.arg(progId));
    DispatchPtr app = (*it)();
    if (!app)
        throw ECreateServerError(u"Il server di automazione \"%1\" non si \u00e8 avviato."_s.arg(progId));
    return app;
}

} // namespace Automation
