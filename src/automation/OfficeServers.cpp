// SPDX-License-Identifier: GPL-3.0-or-later
#include "OfficeServers.h"

#include "AutomationRegistry.h"
#include "DocumentServer.h"
#include "SpreadsheetServer.h"

namespace Automation {

void RegisterOfficeServers(Registry& registry, DocumentDesk& desk, const QString& exportFolder)
{
    registry.Register(SpreadsheetServer::ProgId,
                      [&desk, exportFolder] { return SpreadsheetServer::Create(desk, exportFolder); });
    registry.Register(DocumentServer::ProgId,
                      [&desk, exportFolder] { return DocumentServer::Create(desk, exportFolder); });
}

} // namespace Automation
