// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/CategoryDescriptor.h"

#include <QWidget>

class Screens;

// The working screen of one archive.
class RecordCard : public QWidget
{
    Q_OBJECT
public:
    RecordCard(Screens& screens, const CategoryDescriptor& category);
    const CategoryDescriptor& Category() const noexcept { return m_category; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Screens& m_screens;
    const CategoryDescriptor& m_category;
};
