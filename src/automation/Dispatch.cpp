// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dispatch.h"

#include "EAutomationError.h"

#include <atomic>

using namespace Qt::Literals::StringLiterals;

namespace Automation {

namespace {
std::atomic<int> liveObjects{0};

DispatchPtr requireObject(const Variant& result, const QString& member)
{
    if (result.type() != Variant::Type::Dispatch)
        throw EAutomationError(
            u"Il membro \"%1\" non ha restituito un oggetto (%2)."_s.arg(member, result.TypeName()));
    return result.ToObject();
}
} // namespace

QString KindName(InvokeKind kind)
{
    switch (kind) {
    case InvokeKind::PropertyGet:
        return u"get"_s;
    case InvokeKind::PropertyPut:
        return u"put"_s;
    case InvokeKind::Method:
        return u"method"_s;
    }
    return {};
}

Dispatch::Dispatch()
{
    ++liveObjects;
}

Dispatch::~Dispatch()
{
    --liveObjects;
}

int Dispatch::LiveObjects() noexcept
{
    return liveObjects.load();
}

Variant Dispatch::Get(const QString& member, const Arguments& arguments)
{
    return Invoke(member, InvokeKind::PropertyGet, arguments);
}

void Dispatch::Put(const QString& member, const Variant& value)
{
    Invoke(member, InvokeKind::PropertyPut, {value});
}

Variant Dispatch::Call(const QString& member, const Arguments& arguments)
{
    return Invoke(member, InvokeKind::Method, arguments);
}

DispatchPtr Dispatch::GetObject(const QString& member, const Arguments& arguments)
{
    return requireObject(Get(member, arguments), member);
}

DispatchPtr Dispatch::CallObject(const QString& member, const Arguments& arguments)
{
    return requireObject(Call(member, arguments), member);
}

} // namespace Automation
