// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dispatch.h"

#include <QHash>
#include <functional>
#include <initializer_list>
#include <vector>

namespace Automation {

// Base of the objects of this program's own servers: each object declares the members it answers, with
// the kinds each supports; Invoke finds a member without regard to case and refuses everything else, so a
// misspelt or misused call fails instead of being ignored.
class ServerObject : public Dispatch
{
public:
    Variant Invoke(const QString& member, InvokeKind kind, const Arguments& arguments) final;

protected:
    using Handler = std::function<Variant(const Arguments&)>;
    // Declares member for one kind; a member may be declared once per kind.
    void Define(QStringView member, InvokeKind kind, Handler handler);
    // The name used in error messages ("Range", "Selection"...).
    virtual QString TypeName() const = 0;

private:
    struct Member
    {
        QString name;
        Handler handlers[3];
    };
    QHash<QString, Member> m_members; // by case-folded name
};

// The arguments of one call bound to a member's parameters: positional ones in order, then named ones by
// name (without regard to case). Raises EAutomationError for too many arguments, an unknown name, a
// parameter given twice or a required one missing.
class BoundArguments
{
public:
    BoundArguments(const QString& member, const Arguments& arguments,
                   std::initializer_list<QStringView> parameters, int required);

    bool Has(int parameter) const { return m_values.at(std::size_t(parameter)) != nullptr; }
    const Variant& At(int parameter) const;

private:
    QString m_member;
    std::vector<const Variant*> m_values;
};

} // namespace Automation
