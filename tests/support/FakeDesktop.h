// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Desktop.h"

#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QList>
#include <QPageLayout>
#include <QPdfWriter>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <stdexcept>

// A desktop that records what screens ask of it and answers from queues. Installed for its lifetime.
class FakeDesktop final : public Desktop
{
public:
    struct Shown
    {
        Icon icon;
        QString title;
        QString text;
    };

    FakeDesktop() { SetDesktop(this); }
    ~FakeDesktop() override { SetDesktop(nullptr); }

    void Message(QWidget*, Icon icon, const QString& title, const QString& text) override
    {
        messages.append({icon, title, text});
        if (whileShown)
            whileShown(Shown{icon, title, text}); // may show another box: messages may grow meanwhile
    }
    bool Question(QWidget*, const QString& title, const QString& text) override
    {
        questions.append({Icon::None, title, text});
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    bool Ask(QWidget*, Icon icon, const QString& title, const QString& text) override
    {
        questions.append({icon, title, text});
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    int Choose(QWidget*, Icon icon, const QString& title, const QString& text, const QStringList&) override
    {
        questions.append({icon, title, text});
        return choices.isEmpty() ? -1 : choices.takeFirst();
    }
    QString ChooseFileToOpen(QWidget*, const QString& title, const QString& filter) override
    {
        if (chooserFails)
            throw std::runtime_error("selettore guasto");
        chooserTitles << title;
        chooserFilters << filter;
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    QString ChooseFileToSave(QWidget*, const QString& title, const QString& filter, const QString&) override
    {
        chooserTitles << title;
        chooserFilters << filter;
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    QString ChooseFolder(QWidget*, const QString& prompt) override
    {
        chooserTitles << prompt;
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    bool Open(const QUrl& url) override
    {
        opened.append(url);
        if (whileOpening)
            whileOpening(url);
        return openSucceeds;
    }
    bool HasDefaultHandler(const QString& mimeType) override
    {
        askedTypes << mimeType;
        return !typesWithoutHandler.contains(mimeType);
    }
    void InhibitScreenSaver(QWidget*, bool inhibit) override { screenSaverInhibited.append(inhibit); }
    void Quit() override { ++quits; }
    QDateTime Now() override { return now; }
    bool HasPrinter() override { return hasPrinter; }
    // The print job is a PDF file at printerPdf (600 dpi, A4 landscape, no margins), or, when printJobFails,
    // a writer whose file cannot be created, so that painting on it fails.
    std::unique_ptr<QPagedPaintDevice> OpenPrintJob() override
    {
        ++printJobs;
        cursorAtPrinting =
            QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        if (!hasPrinter)
            return nullptr;
        return pdfWriter(printJobFails ? unwritablePath() : printerPdf);
    }
    std::unique_ptr<QPagedPaintDevice> OpenPdfFile(const QString& path, QIODevice& output) override
    {
        pdfFiles << path;
        cursorAtPrinting =
            QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        return laidOut(std::make_unique<QPdfWriter>(&output));
    }

    static std::unique_ptr<QPagedPaintDevice> pdfWriter(const QString& path)
    {
        return laidOut(std::make_unique<QPdfWriter>(path));
    }
    static std::unique_ptr<QPagedPaintDevice> laidOut(std::unique_ptr<QPdfWriter> writer)
    {
        writer->setResolution(600);
        writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
        return writer;
    }
    // A path under a file: no one, not even the superuser, can create it.
    static QString unwritablePath()
    {
        const QString file = QDir::temp().filePath(QStringLiteral("codazzurra-not-a-folder"));
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.write("x");
        return file + QStringLiteral("/elenco.pdf");
    }

    QString lastText() const { return messages.isEmpty() ? QString() : messages.back().text; }
    void clear()
    {
        messages.clear();
        questions.clear();
        opened.clear();
        chooserTitles.clear();
        chooserFilters.clear();
        askedTypes.clear();
    }

    QList<Shown> messages;
    QList<Shown> questions;
    QList<bool> answers; // answers to the next questions; No when empty
    QList<int> choices;  // buttons chosen in the next boxes of Choose; closed (-1) when empty
    QStringList files;   // answers to the next choosers; cancel when empty
    QStringList chooserTitles;
    QStringList chooserFilters;
    QList<QUrl> opened;
    bool openSucceeds = true;
    // Runs inside every request to open something, as the desktop starts the program that opens it.
    std::function<void(const QUrl&)> whileOpening;
    QStringList typesWithoutHandler;  // MIME types no program opens; every other one has a program
    QStringList askedTypes;           // every MIME type asked about, in order
    bool chooserFails = false;        // the file chooser raises instead of answering
    QList<bool> screenSaverInhibited; // every request, in order: true to keep the screen on
    // Runs inside every message box, as if while the user reads it (events go on meanwhile).
    std::function<void(const Shown&)> whileShown;
    int quits = 0;
    QDateTime now{QDate(2024, 2, 1), QTime(10, 11, 12)};
    bool hasPrinter = true;
    bool printJobFails = false;
    QString printerPdf;                                 // where the printer's pages go
    int printJobs = 0;                                  // print jobs opened
    QStringList pdfFiles;                               // PDF files asked for
    Qt::CursorShape cursorAtPrinting = Qt::ArrowCursor; // the cursor when the last job or file was opened
};
