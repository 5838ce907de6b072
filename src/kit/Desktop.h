// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

class QIODevice;
class QPagedPaintDevice;
class QWidget;

// Everything a screen asks of the desktop: message boxes, choosers, opening addresses and paths with
// their default handlers, the clock, the printer, and ending the program. Tests install a fake that
// records and answers.
class Desktop
{
public:
    enum class Icon { None, Information, Warning, Stop, Question };

    virtual ~Desktop() = default;

    // A task-modal box with an OK button.
    virtual void Message(QWidget* parent, Icon icon, const QString& title, const QString& text) = 0;
    // Yes and No, no icon; true for Yes.
    virtual bool Question(QWidget* parent, const QString& title, const QString& text) = 0;
    // Yes and No with an icon, modal to the whole task; true for Yes.
    virtual bool Ask(QWidget* parent, Icon icon, const QString& title, const QString& text) = 0;
    // A task-modal box with buttons of the given captions, the first the default; the index of the button
    // chosen, or -1 when the box was closed otherwise.
    virtual int Choose(QWidget* parent, Icon icon, const QString& title, const QString& text,
                       const QStringList& buttons) = 0;
    // Empty when the user cancels. filter is in Qt's form ("Name (*.a *.b);;Other (*)").
    virtual QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& filter) = 0;
    // Asks before replacing an existing file; defaultSuffix is added to a name typed without one.
    virtual QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& defaultSuffix) = 0;
    virtual QString ChooseFolder(QWidget* parent, const QString& prompt) = 0;
    // Opens a web or mailto address, a file or a folder with the desktop's default handler, without
    // waiting for it. False when nothing can handle it.
    virtual bool Open(const QUrl& url) = 0;
    // Whether the desktop has a default program for a MIME type ("application/pdf",
    // "x-scheme-handler/mailto"). Opening a file reports success even when nothing can open it, so this is
    // asked first where the answer matters. Never waits: false only when the desktop is known to have no
    // such program; while that is not known yet the answer is true, and opening tells.
    virtual bool HasDefaultHandler(const QString& mimeType) = 0;
    // Starts finding out, without waiting, what HasDefaultHandler will be asked about later.
    virtual void LookUpDefaultHandlers(const QStringList& mimeTypes) { Q_UNUSED(mimeTypes) }
    // Keeps the screen from blanking while window shows something to watch (inhibit true), or lets it
    // blank again (false). Asked without waiting, and carried out in the order asked; a desktop that
    // cannot do it is no error.
    virtual void InhibitScreenSaver(QWidget* window, bool inhibit) = 0;
    // The local date and time.
    virtual QDateTime Now() = 0;
    // Whether the system has a default printer.
    virtual bool HasPrinter() = 0;
    // A print job, untitled, on the system's default printer, set to colour and landscape for this job
    // only (the printer's own settings stay as they are); nullptr when there is no printer. The pages go
    // to the printer when painting on the device ends.
    virtual std::unique_ptr<QPagedPaintDevice> OpenPrintJob() = 0;
    // Pages of a PDF document (A4, landscape) for the file at path, written into output when painting
    // ends. The caller owns output and finishes the file, so that it can tell whether every byte was
    // written.
    virtual std::unique_ptr<QPagedPaintDevice> OpenPdfFile(const QString& path, QIODevice& output) = 0;
    // Ends the event loop; every screen is destroyed afterwards.
    virtual void Quit() = 0;

    // The application's message styles.
    void Warning(QWidget* parent, const QString& title, const QString& text);
    void Information(QWidget* parent, const QString& title, const QString& text);
    // The plain message: OK, no icon, the application title as caption.
    void Plain(QWidget* parent, const QString& text);
    // The default error box: the message (with a full stop when needed), stop icon, application title.
    void Error(QWidget* parent, const QString& message);
};

// The desktop the program talks to. SetDesktop does not take ownership; nullptr restores the real one.
Desktop& desktop();
void SetDesktop(Desktop* replacement);
