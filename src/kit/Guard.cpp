// SPDX-License-Identifier: GPL-3.0-or-later
#include "Guard.h"

#include "Desktop.h"
#include "ScreenHost.h"
#include "storage/ESQLiteException.h"

#include <exception>
#include <new>

namespace {

ScreenHost* damageHost = nullptr;

} // namespace

namespace Kit {

void SetDamageHost(ScreenHost* host)
{
    damageHost = host;
}

bool HandleDamage(QWidget* parent, const std::exception& failure)
{
    const auto* e = dynamic_cast<const ESQLiteException*>(&failure);
    if (!e || !e->IsDamage())
        return false;
    if (damageHost)
        damageHost->ArchiveDamaged(parent, e->DatabaseFile(), e->DamageDescription());
    else
        desktop().Error(parent, e->message());
    return true;
}

void Guarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
    } catch (const ESQLiteException& e) {
        if (!HandleDamage(parent, e))
            desktop().Error(parent, e.message());
    } catch (const std::bad_alloc&) {
        desktop().Error(parent, QStringLiteral("Memoria insufficiente per completare l'operazione"));
    } catch (const std::exception& e) {
        desktop().Error(parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        desktop().Error(parent, QStringLiteral("Errore imprevisto"));
    }
}

} // namespace Kit
