// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Desktop.h"

#include <QPointer>

class CommandQueue;
class DefaultHandlers;

// The real desktop: Qt's message boxes and choosers, the desktop's own handlers through xdg-open (whether
// one exists asked of xdg-mime, without waiting), the screen saver through xdg-screensaver, the system
// clock and the printers the system knows.
class QtDesktop final : public Desktop
{
public:
    void Message(QWidget* parent, Icon icon, const QString& title, const QString& text) override;
    bool Question(QWidget* parent, const QString& title, const QString& text) override;
    bool Ask(QWidget* parent, Icon icon, const QString& title, const QString& text) override;
    int Choose(QWidget* parent, Icon icon, const QString& title, const QString& text,
               const QStringList& buttons) override;
    QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& filter) override;
    QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                             const QString& defaultSuffix) override;
    QString ChooseFolder(QWidget* parent, const QString& prompt) override;
    bool Open(const QUrl& url) override;
    bool HasDefaultHandler(const QString& mimeType) override;
    void LookUpDefaultHandlers(const QStringList& mimeTypes) override;
    void InhibitScreenSaver(QWidget* window, bool inhibit) override;
    QDateTime Now() override;
    bool HasPrinter() override;
    std::unique_ptr<QPagedPaintDevice> OpenPrintJob() override;
    std::unique_ptr<QPagedPaintDevice> OpenPdfFile(const QString& path, QIODevice& output) override;
    void Quit() override;

private:
    // Both live with the application (its children), and are made when first needed.
    DefaultHandlers* handlers();
    CommandQueue* screenSaverRequests();

    QPointer<DefaultHandlers> m_handlers;
    QPointer<CommandQueue> m_screenSaverRequests;
};
