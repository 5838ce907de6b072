// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Desktop.h"

// The real desktop: Qt's message boxes and choosers, the desktop's own handlers through xdg-open.
class QtDesktop final : public Desktop
{
public:
    void Message(QWidget* parent, Icon icon, const QString& title, const QString& text) override;
    bool Question(QWidget* parent, const QString& title, const QString& text) override;
    QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& filter) override;
    QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                             const QString& defaultSuffix) override;
    QString ChooseFolder(QWidget* parent, const QString& prompt) override;
    bool Open(const QUrl& url) override;
    bool HasDefaultHandler(const QString& mimeType) override;
    void InhibitScreenSaver(QWidget* window, bool inhibit) override;
    void Quit() override;
};
