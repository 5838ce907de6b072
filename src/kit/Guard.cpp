// SPDX-License-Identifier: GPL-3.0-or-later
#include "Guard.h"

#include "Desktop.h"
#include "storage/ESQLiteException.h"

#include <exception>
#include <new>

namespace Kit {

void Guarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
    } catch (const ESQLiteException& e) {
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
