// SPDX-License-Identifier: GPL-3.0-or-later
#include "OfficeServers.h"

#include "AutomationRegistry.h"
#include "DocumentServer.h"
#include "SpreadsheetServer.h"

namespace Automation {

void RegisterOfficeServers(Registry& registry, DocumentDesk& desk, const QString& programFolder)
{
    registry.Register(SpreadsheetServer::ProgId,
                      [&desk, programFolder] { return SpreadsheetServer::Create(desk, programFolder); });
    registry.Register(DocumentServer::ProgId,
                      [&desk, programFolder] { return DocumentServer::Create(desk, programFolder); });
}

} // namespace Automation
