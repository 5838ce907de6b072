// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordCard.h"

#include "shell/ScreenKit.h"
#include "shell/Screens.h"
#include "shell/TfrmAvvio.h"

#include <QCloseEvent>

RecordCard::RecordCard(Screens& screens, const CategoryDescriptor& category)
    : QWidget(nullptr)
    , m_screens(screens)
    , m_category(category)
{
    setObjectName(Categories::RecordCardName(category));
    setWindowTitle(Categories::RecordCardCaption(category));
}

void RecordCard::closeEvent(QCloseEvent* event)
{
    event->accept();
    ScreenKit::ShowMaximised(m_screens.StartMenu());
}
