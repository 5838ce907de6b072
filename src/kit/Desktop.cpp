// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include "QtDesktop.h"
#include "program/ErrorText.h"
#include "program/MakerInfo.h"

namespace {
Desktop* g_replacement = nullptr;
}

Desktop& desktop()
{
    static QtDesktop real;
    return g_replacement ? *g_replacement : real;
}

void SetDesktop(Desktop* replacement)
{
    g_replacement = replacement;
}

void Desktop::Warning(QWidget* parent, const QString& title, const QString& text)
{
    Message(parent, Icon::Warning, title, text);
}

void Desktop::Information(QWidget* parent, const QString& title, const QString& text)
{
    Message(parent, Icon::Information, title, text);
}

void Desktop::Plain(QWidget* parent, const QString& text)
{
    Message(parent, Icon::None, MakerInfo::ApplicationTitle(), text);
}

void Desktop::Error(QWidget* parent, const QString& message)
{
    Message(parent, Icon::Stop, MakerInfo::ApplicationTitle(), DefaultErrorText(message));
}
