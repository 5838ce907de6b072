// SPDX-License-Identifier: GPL-3.0-or-later
#include "OfficeAutomation.h"

#include "automation/DocumentDesk.h"
#include "automation/DocumentServer.h"
#include "automation/OfficeServers.h"
#include "automation/SpreadsheetServer.h"
#include "kit/Desktop.h"

#include <QUrl>

namespace {

// What the office servers ask of the desktop, asked of the program's Desktop. Opening never waits for
// the program that opens the file.
class DesktopDocumentDesk final : public DocumentDesk
{
public:
    bool HasDefaultHandler(const QString& mimeType) override { return desktop().HasDefaultHandler(mimeType); }
    bool OpenFile(const QString& path) override { return desktop().Open(QUrl::fromLocalFile(path)); }
};

} // namespace

OfficeAutomation::OfficeAutomation(const QString& exportFolder)
    : m_desk(std::make_unique<DesktopDocumentDesk>())
{
    Automation::RegisterOfficeServers(m_registry, *m_desk, exportFolder);
    // Known before the first export asks, without keeping the program waiting.
    desktop().LookUpDefaultHandlers(
        {QString(DocumentServer::MimeType), QString(SpreadsheetServer::MimeType)});
}

OfficeAutomation::~OfficeAutomation() = default;
