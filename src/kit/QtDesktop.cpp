// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtDesktop.h"

#include "CommandQueue.h"
#include "DefaultHandlers.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QWidget>

namespace {

QMessageBox::Icon boxIcon(Desktop::Icon icon)
{
    switch (icon) {
    case Desktop::Icon::Information:
        return QMessageBox::Information;
    case Desktop::Icon::Warning:
        return QMessageBox::Warning;
    case Desktop::Icon::Stop:
        return QMessageBox::Critical;
    case Desktop::Icon::Question:
        return QMessageBox::Question;
    case Desktop::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

DefaultHandlers* QtDesktop::handlers()
{
    if (!m_handlers && QCoreApplication::instance())
        m_handlers = new DefaultHandlers(QCoreApplication::instance());
    return m_handlers;
}

CommandQueue* QtDesktop::screenSaverRequests()
{
    if (!m_screenSaverRequests && QCoreApplication::instance())
        m_screenSaverRequests = new CommandQueue(QCoreApplication::instance());
    return m_screenSaverRequests;
}

void QtDesktop::Message(QWidget* parent, Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, parent);
    box.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box.exec();
}

bool QtDesktop::Question(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtDesktop::Ask(QWidget* parent, Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int QtDesktop::Choose(QWidget* parent, Icon icon, const QString& title, const QString& text,
                      const QStringList& buttons)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::NoButton, parent);
    box.setWindowModality(Qt::ApplicationModal);
    QList<QAbstractButton*> made;
    for (const QString& caption : buttons)
        made.append(
            box.addButton(caption, made.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    if (!made.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton*>(made.constFirst()));
    box.exec();
    return int(made.indexOf(box.clickedButton()));
}

QString QtDesktop::ChooseFileToOpen(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString QtDesktop::ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtDesktop::ChooseFolder(QWidget* parent, const QString& prompt)
{
    return QFileDialog::getExistingDirectory(parent, prompt, QString(), QFileDialog::ShowDirsOnly);
}

bool QtDesktop::Open(const QUrl& url)
{
    if (url.isLocalFile()) {
        const QFileInfo info(url.toLocalFile());
        if (!info.exists())
            return false;
    } else if (!HasDefaultHandler(QStringLiteral("x-scheme-handler/") + url.scheme())) {
        return false;
    }
    return QDesktopServices::openUrl(url);
}

bool QtDesktop::HasDefaultHandler(const QString& mimeType)
{
    DefaultHandlers* known = handlers();
    return !known || known->Has(mimeType);
}

void QtDesktop::LookUpDefaultHandlers(const QStringList& mimeTypes)
{
    if (DefaultHandlers* known = handlers()) {
        for (const QString& type : mimeTypes)
            known->LookUp(type);
    }
}

void QtDesktop::InhibitScreenSaver(QWidget* window, bool inhibit)
{
    // xdg-screensaver knows the desktop's screen saver and power saving; it needs an X11 window, and its
    // suspension ends by itself when that window is destroyed. A "resume" started before its "suspend" has
    // finished finds nothing to end yet, and the screen would stay on: the requests run in order.
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-screensaver"));
    CommandQueue* requests = screenSaverRequests();
    if (tool.isEmpty() || !requests)
        return;
    requests->Run(tool, {inhibit ? QStringLiteral("suspend") : QStringLiteral("resume"),
                         QString::number(window->winId())});
}

QDateTime QtDesktop::Now()
{
    return QDateTime::currentDateTime();
}

bool QtDesktop::HasPrinter()
{
    return !QPrinterInfo::defaultPrinter().isNull();
}

std::unique_ptr<QPagedPaintDevice> QtDesktop::OpenPrintJob()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    // Without a printer a QPrinter quietly turns into a PDF printer with no file: asked for by name only.
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setColorMode(QPrinter::Color);
    printer->setPageOrientation(QPageLayout::Landscape);
    printer->setDocName(QString());
    return printer;
}

std::unique_ptr<QPagedPaintDevice> QtDesktop::OpenPdfFile(const QString&, QIODevice& output)
{
    auto writer = std::make_unique<QPdfWriter>(&output);
    writer->setResolution(600);
    writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    return writer;
}

void QtDesktop::Quit()
{
    QApplication::quit();
}
