// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/DocumentDesk.h"

#include <QStringList>

// A desktop for the office servers that answers from fields and records what it was asked.
class FakeDocumentDesk final : public DocumentDesk
{
public:
    bool HasDefaultHandler(const QString& mimeType) override
    {
        askedTypes << mimeType;
        return hasHandlers;
    }
    bool OpenFile(const QString& path) override
    {
        opened << path;
        return openSucceeds;
    }

    bool hasHandlers = true;
    bool openSucceeds = true;
    QStringList askedTypes;
    QStringList opened;
};
