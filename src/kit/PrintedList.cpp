// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintedList.h"

#include "kit/BusyCursor.h"
#include "kit/Desktop.h"
#include "storage/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPrinter>

using namespace Qt::Literals::StringLiterals;

namespace {

// Where to save the pages when there is no printer; empty when the user declines or cancels.
QString choosePdfFile(QWidget* parent)
{
    using namespace ListPrintingTexts;
    if (!desktop().Question(parent, ConfirmTitle, NoPrinter))
        return {};
    QString path = desktop().ChooseFileToSave(parent, PdfChooserTitle, PdfFilter, u"pdf"_s);
    if (path.isEmpty())
        return {};
    // The chooser adds the suffix only to a name typed without any; the pages are a PDF file all the same.
    if (!path.endsWith(u".pdf"_s, Qt::CaseInsensitive)) {
        path += u".pdf"_s;
        if (QFileInfo::exists(path) &&
            !desktop().Question(
                parent, ReplaceTitle,
                u"Il file %1 esiste gi\u00e0. Si vuole sostituirlo?"_s.arg(QDir::toNativeSeparators(path))))
            return {};
    }
    return path;
}

} // namespace

bool Kit::PrintLines(QWidget* parent, const QStringList& lines,
                     const std::function<PrintedListTexts(const QDateTime& now)>& texts)
{
    using namespace ListPrintingTexts;
    QString pdfPath;
    if (!desktop().HasPrinter()) {
        pdfPath = choosePdfFile(parent);
        if (pdfPath.isEmpty())
            return false;
    }

    bool done = false;
    {
        BusyCursor busy;
        const PrintedListTexts headings = texts(desktop().Now());
        // The PDF file is written whole or not at all: painting reports success whatever its device met,
        // so the file itself tells whether every byte reached the disk.
        AtomicFile::Writer pdfFile(pdfPath);
        std::unique_ptr<QPagedPaintDevice> device;
        if (pdfPath.isEmpty())
            device = desktop().OpenPrintJob();
        else if (pdfFile.Open())
            device = desktop().OpenPdfFile(pdfPath, pdfFile.Device());
        done = device && PrintResultList(*device, lines, headings);
        // A printer reports a spooling failure in its state once painting has ended.
        if (auto* printer = dynamic_cast<QPrinter*>(device.get()))
            done = done && printer->printerState() != QPrinter::Error &&
                   printer->printerState() != QPrinter::Aborted;
        device.reset();
        if (done && !pdfPath.isEmpty())
            done = pdfFile.Commit();
    }
    if (!done) {
        desktop().Error(parent, pdfPath.isEmpty() ? PrintFailed
                                                  : PdfFailed + QDir::toNativeSeparators(pdfPath) + u'.');
    }
    return done;
}
