// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationRegistry.h"

#include <QString>
#include <memory>

class DocumentDesk;

// The program's office applications: one automation registry holding this platform's servers of
// "Excel.Application" and "Word.Application", which write into the export folder ("Esportazioni") and
// hand their files to the desktop (the one desktop() answers at that moment, so a test's fake desktop
// answers too). Creating it touches no file.
class OfficeAutomation
{
public:
    explicit OfficeAutomation(const QString& exportFolder);
    ~OfficeAutomation();
    OfficeAutomation(const OfficeAutomation&) = delete;
    OfficeAutomation& operator=(const OfficeAutomation&) = delete;

    Automation::Registry& Registry() noexcept { return m_registry; }
    const Automation::Registry& Registry() const noexcept { return m_registry; }

private:
    std::unique_ptr<DocumentDesk> m_desk; // outlives the registry's servers: declared first
    Automation::Registry m_registry;
};
