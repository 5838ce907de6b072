// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerObject.h"

#include "EAutomationError.h"

using namespace Qt::Literals::StringLiterals;

namespace Automation {

void ServerObject::Define(QStringView member, InvokeKind kind, Handler handler)
{
    Member& m = m_members[member.toString().toCaseFolded()];
    if (m.name.isEmpty())
        m.name = member.toString();
    m.handlers[int(kind)] = std::move(handler);
}

Variant ServerObject::Invoke(const QString& member, InvokeKind kind, const Arguments& arguments)
{
    const auto it = m_members.constFind(member.toCaseFolded());
    if (it == m_members.cend())
        throw EAutomationError(
            u"Nome sconosciuto: l'oggetto %1 non ha il membro \"%2\"."_s.arg(TypeName(), member));
    const Handler& handler = it->handlers[int(kind)];
    if (!handler) {
        const QString how = kind == InvokeKind::PropertyGet   ? u"letto"_s
                            : kind == InvokeKind::PropertyPut ? u"impostato"_s
                                                              : u"chiamato come metodo"_s;
        throw EAutomationError(
            u"Membro non trovato: %1.%2 non pu\u00f2 essere %3."_s.arg(TypeName(), it->name, how));
    }
    return handler(arguments);
}

BoundArguments::BoundArguments(const QString& member, const Arguments& arguments,
                               std::initializer_list<QStringView> parameters, int required)
    : m_member(member)
    , m_values(parameters.size(), nullptr)
{
    const std::vector<QStringView> names(parameters);
    std::size_t next = 0;
    for (const Argument& a : arguments) {
        std::size_t at = 0;
        if (a.name.isEmpty()) {
            at = next++;
            if (at >= names.size())
                throw EAutomationError(u"Numero di parametri non valido per \"%1\"."_s.arg(member));
        } else {
            at = names.size();
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (a.name.compare(names[i], Qt::CaseInsensitive) == 0)
                    at = i;
            }
            if (at == names.size())
                throw EAutomationError(
                    u"Nome di parametro sconosciuto per \"%1\": %2."_s.arg(member, a.name));
        }
        if (m_values[at])
            throw EAutomationError(u"Il parametro \"%1\" di \"%2\" \u00e8 indicato due volte."_s.arg(
                names[at].toString(), member));
        m_values[at] = &a.value;
    }
    for (int i = 0; i < required; ++i) {
        if (!m_values[std::size_t(i)])
            throw EAutomationError(u"Parametro obbligatorio mancante per \"%1\": %2."_s.arg(
                member, names[std::size_t(i)].toString()));
    }
}

const Variant& BoundArguments::At(int parameter) const
{
    const Variant* v = m_values.at(std::size_t(parameter));
    if (!v)
        throw EAutomationError(u"Parametro mancante per \"%1\"."_s.arg(m_member));
    return *v;
}

} // namespace Automation
