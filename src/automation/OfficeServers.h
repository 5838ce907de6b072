// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class DocumentDesk;

namespace Automation {

class Registry;

// Registers this platform's servers: "Excel.Application" (SpreadsheetServer) and "Word.Application"
// (DocumentServer), both writing into exportFolder (created on first use) and opening their files through
// desk, which must outlive the registry.
void RegisterOfficeServers(Registry& registry, DocumentDesk& desk, const QString& exportFolder);

} // namespace Automation
